#include "browser/recovery_policy.h"

namespace {
const uint32_t kFirstRetryMs = 2000;
const uint32_t kLongestRetryMs = 30000;
}  // namespace

uint32_t RetryDelayMs(int failures) {
  uint32_t delay = kFirstRetryMs;
  for (int i = 1; i < failures && delay < kLongestRetryMs; ++i) delay *= 2;
  return delay < kLongestRetryMs ? delay : kLongestRetryMs;
}

bool CrashHistory::RecordAndCheckRepeated(int browserId, uint32_t nowMs) {
  auto it = m_lastDeath.find(browserId);
  // Unsigned difference: right across a wrap of the tick count.
  bool repeated = it != m_lastDeath.end() && nowMs - it->second < kCrashWindowMs;
  m_lastDeath[browserId] = nowMs;
  return repeated;
}
