#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "fakes/shared.h"
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

  bool called(const std::string& line) const {
    return m_calls.look([&](const std::vector<std::string>& calls) {
      return std::find(calls.begin(), calls.end(), line) != calls.end();
    });
  }
  // Waits until the calls include the line, up to the time given.
  bool waitFor(const std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(8)) const {
    return waitUntil([&] { return called(line); }, timeout);
  }

  std::vector<std::string> calls() const { return m_calls.copy(); }

 private:
  void add(std::string line) {
    m_calls.change([&](std::vector<std::string>& calls) { calls.push_back(std::move(line)); });
  }

  Shared<std::vector<std::string>> m_calls;
};

}  // namespace tavolin::testing
