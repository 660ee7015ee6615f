// A one-shot timer that runs a function on a timer thread of its own
// (kernel32's timer queues). PageRecovery's retry and load-deadline timers
// are two of these; nothing else in the client sets timers for pages.
#ifndef VELMORA_BROWSER_RECOVERY_TIMER_H_
#define VELMORA_BROWSER_RECOVERY_TIMER_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>

class RecoveryTimer {
 public:
  explicit RecoveryTimer(std::function<void()> fire);
  // Waits for a shot that is running; none runs afterwards.
  ~RecoveryTimer();
  RecoveryTimer(const RecoveryTimer&) = delete;
  RecoveryTimer& operator=(const RecoveryTimer&) = delete;

  // Fires once after |delayMs|; replaces a shot still pending. Any thread.
  void Start(uint32_t delayMs);
  // Drops a pending shot. Any thread; a shot that has already begun may
  // still finish.
  void Stop();

 private:
  static void CALLBACK Fired(PVOID self, BOOLEAN);

  std::function<void()> m_fire;
  std::mutex m_lock;         // guards the members below
  HANDLE m_queue = nullptr;  // made at the first start
  HANDLE m_timer = nullptr;
  bool m_armed = false;
  DWORD m_due = 0;           // tick count of the armed shot
};

#endif  // VELMORA_BROWSER_RECOVERY_TIMER_H_
