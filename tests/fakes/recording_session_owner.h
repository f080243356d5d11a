#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "readers/session_owner.h"

namespace tavolin::testing {

// A main window that writes down what the sessions tell it, one line a
// call, from any thread.
class RecordingSessionOwner : public SessionOwner {
 public:
  void takeReading(const char* reading, std::int32_t length, bool testMode) override {
    add((testMode ? "Shown " : "Typed ") + std::string(reading, static_cast<std::size_t>(length)));
  }
  void ShowCounter(std::int32_t field, std::int32_t value) override {
    add("ShowCounter " + std::to_string(field) + " " + std::to_string(value));
  }
  void ShowMessage(std::int32_t field, const std::string& text, std::int32_t expected, std::int32_t received) override {
    add("ShowMessage " + std::to_string(field) + " '" + text + "' " + std::to_string(expected) + " " +
        std::to_string(received));
  }

  // Waits until the calls include the line, up to the time given.
  bool waitFor(const std::string& line, std::chrono::milliseconds timeout = std::chrono::milliseconds(8000)) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout,
                              [&] { return std::find(m_calls.begin(), m_calls.end(), line) != m_calls.end(); });
  }

  std::vector<std::string> calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
  }

 private:
  void add(std::string line) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_calls.push_back(std::move(line));
    }
    m_changed.notify_all();
  }

  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::string> m_calls;
};

}  // namespace tavolin::testing
