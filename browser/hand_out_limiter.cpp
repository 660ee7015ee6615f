#include "browser/hand_out_limiter.h"

HandOutLimiter::HandOutLimiter(size_t limit, uint64_t windowMs) : m_limit(limit), m_windowMs(windowMs) {}

bool HandOutLimiter::Allow(uint64_t nowMs) {
  std::lock_guard<std::mutex> lock(m_lock);
  while (!m_times.empty() && nowMs - m_times.front() >= m_windowMs) m_times.pop_front();
  if (m_times.size() >= m_limit) return false;
  m_times.push_back(nowMs);
  return true;
}
