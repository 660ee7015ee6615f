// How many addresses the browsers may hand to the system's browser: a page
// that opens windows in a loop must not flood the player's desktop.
#ifndef VELMORA_BROWSER_HAND_OUT_LIMITER_H_
#define VELMORA_BROWSER_HAND_OUT_LIMITER_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

class HandOutLimiter {
 public:
  // At most |limit| hand-overs within any |windowMs| milliseconds.
  HandOutLimiter(size_t limit, uint64_t windowMs);

  // Whether one more may go at |nowMs| (a steady clock); counts it if so.
  // Safe to call from any thread.
  bool Allow(uint64_t nowMs);

 private:
  const size_t m_limit;
  const uint64_t m_windowMs;
  std::mutex m_lock;
  std::deque<uint64_t> m_times;  // of the hand-overs still in the window
};

#endif  // VELMORA_BROWSER_HAND_OUT_LIMITER_H_
