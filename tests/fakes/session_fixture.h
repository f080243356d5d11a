#pragma once

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_system.h"
#include "fakes/memory_text_file.h"
#include "fakes/recording_services.h"
#include "fakes/shared.h"
#include "fakes/simulated_port.h"
#include "readers/session.h"
#include "readers/session_owner.h"

namespace tavolin::testing {

// A main window that writes down what the sessions tell it, one line a call, from any thread.
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
  bool waitFor(const std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(8)) const {
    const auto called = [&](const std::vector<std::string>& calls) {
      return std::find(calls.begin(), calls.end(), line) != calls.end();
    };
    return waitUntil([&] { return m_calls.look(called); }, timeout);
  }
  std::vector<std::string> calls() const { return m_calls.copy(); }

 private:
  void add(std::string line) {
    m_calls.change([&](std::vector<std::string>& calls) { calls.push_back(std::move(line)); });
  }

  Shared<std::vector<std::string>> m_calls;
};

// Everything a reader session needs, as fakes, with a simulated port.
struct SessionFixture {
  SessionServices services(const BuildTexts& texts = BuildTexts::english()) { return services(system, ports, texts); }
  // The same on another system and serial ports (the edition's own).
  SessionServices services(System& onSystem, SerialPorts& onPorts, const BuildTexts& texts = BuildTexts::english()) {
    return {onSystem, onPorts, sound, eventLog, captured.trace, dataLog, abortEvent, texts};
  }
  bool traced(const std::string& line) const { return captured.contains(line); }
  // The trace from the first occurrence of line on.
  std::string traceFrom(const std::string& line) const {
    const std::string text = captured.text();
    const std::size_t at = text.find(line);
    return at == std::string::npos ? std::string() : text.substr(at);
  }

  FakeSystem system;
  SimulatedPorts ports;
  RecordingSound sound;
  RecordingEventLog eventLog;
  CapturedTrace captured;
  DataLog dataLog{system, captured.trace};
  AutoResetEvent abortEvent;
  RecordingSessionOwner owner;
};

// The message of the session error E the action throws, or "<none>".
template <typename E, typename Action>
std::string errorOf(Action action) {
  try {
    action();
  } catch (const E& e) {
    return e.message();
  }
  return "<none>";
}

}  // namespace tavolin::testing
