// When a page that failed or died is tried again: plain arithmetic on
// millisecond ticks, apart from the timers and CEF, so that any platform
// can test it (PageRecovery applies it).
#ifndef VELMORA_BROWSER_RECOVERY_POLICY_H_
#define VELMORA_BROWSER_RECOVERY_POLICY_H_

#include <cstdint>
#include <map>

// A main-frame load whose site has not begun to answer after this long
// counts as failed: a server that takes the connection and says nothing.
constexpr uint32_t kLoadDeadlineMs = 30000;
// A renderer that dies again this soon after its last death is not
// started again by itself: the page would most likely kill it once more.
constexpr uint32_t kCrashWindowMs = 60000;

// The wait before the retry that follows the |failures|-th failed load in a
// row (counted from 1): 2 s, doubling each time, never more than 30 s.
uint32_t RetryDelayMs(int failures);

// The renderer deaths of each browser, by browser identifier.
class CrashHistory {
 public:
  // Records a death of |browserId|'s renderer at |nowMs| (a tick count that
  // may wrap). True when that browser's renderer had died less than
  // kCrashWindowMs before.
  bool RecordAndCheckRepeated(int browserId, uint32_t nowMs);

 private:
  std::map<int, uint32_t> m_lastDeath;
};

#endif  // VELMORA_BROWSER_RECOVERY_POLICY_H_
