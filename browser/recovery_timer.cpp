#include "browser/recovery_timer.h"

namespace {
// A shot this much before the armed due time belongs to a timer that was
// replaced while it fired.
const LONG kStaleShotMs = 100;
}  // namespace

RecoveryTimer::RecoveryTimer(std::function<void()> fire) : m_fire(std::move(fire)) {}

RecoveryTimer::~RecoveryTimer() {
  HANDLE queue;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_armed = false;
    queue = m_queue;
  }
  // Deletes the timers and waits for the queue's thread, which runs the
  // shots, so none can touch this object afterwards.
  if (queue) ::DeleteTimerQueueEx(queue, INVALID_HANDLE_VALUE);
}

void RecoveryTimer::Start(uint32_t delayMs) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (!m_queue) m_queue = ::CreateTimerQueue();
  if (!m_queue) return;
  if (m_timer) ::DeleteTimerQueueTimer(m_queue, m_timer, nullptr);  // does not wait
  m_timer = nullptr;
  m_armed = true;
  m_due = ::GetTickCount() + delayMs;
  if (!::CreateTimerQueueTimer(&m_timer, m_queue, &Fired, this, delayMs, 0,
                               WT_EXECUTEINTIMERTHREAD | WT_EXECUTEONLYONCE)) {
    m_timer = nullptr;
    m_armed = false;
  }
}

void RecoveryTimer::Stop() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_armed = false;
  if (m_timer) ::DeleteTimerQueueTimer(m_queue, m_timer, nullptr);
  m_timer = nullptr;
}

void CALLBACK RecoveryTimer::Fired(PVOID self, BOOLEAN) {
  RecoveryTimer* timer = static_cast<RecoveryTimer*>(self);
  {
    std::lock_guard<std::mutex> lock(timer->m_lock);
    if (!timer->m_armed) return;
    if (static_cast<LONG>(::GetTickCount() - timer->m_due) < -kStaleShotMs) return;
    timer->m_armed = false;
  }
  timer->m_fire();
}
