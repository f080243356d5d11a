#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tavolin {

// An auto-reset event: set() lets exactly one test or wait through, which
// clears it again.
class AutoResetEvent {
 public:
  void set() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_bSignalled = true;
    }
    m_changed.notify_one();
  }

  // Tests without waiting; true (and cleared) when it was set.
  bool tryTake() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool signalled = m_bSignalled;
    m_bSignalled = false;
    return signalled;
  }

  // Waits up to the time given; true (and cleared) when it was set.
  bool waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_changed.wait_for(lock, timeout, [this] { return m_bSignalled; })) return false;
    m_bSignalled = false;
    return true;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_bSignalled = false;
};

}  // namespace tavolin
