#pragma once

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>

namespace tavolin::testing {

// What a fake keeps when a reading thread may write it while the test
// reads it: the value lives under its own lock, every change and every
// look takes the lock, and what the test gets is a copy taken under it.
// Every fake that a reading thread writes keeps its state so.
template <typename T>
class Shared {
 public:
  Shared() = default;
  explicit Shared(T value) : m_value(std::move(value)) {}
  Shared(const Shared&) = delete;
  Shared& operator=(const Shared&) = delete;

  // Runs the change on the value under the lock; returns what it returns.
  template <typename Change>
  decltype(auto) change(Change&& change) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return change(m_value);
  }
  // Runs the look at the value under the lock; returns what it returns.
  template <typename Look>
  auto look(Look&& look) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return look(static_cast<const T&>(m_value));
  }
  T copy() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_value;
  }

 private:
  mutable std::mutex m_mutex;
  T m_value{};
};

// The tests' one wait: until the condition holds, false when the deadline
// passes first. The condition looks at fakes only through their locks.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds deadline = std::chrono::seconds(8)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Milliseconds since start, for the bounds of how long something takes.
inline long long msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace tavolin::testing
