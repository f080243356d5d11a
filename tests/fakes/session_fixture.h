#pragma once

#include <memory>

#include "fakes/fake_system.h"
#include "fakes/memory_text_file.h"
#include "fakes/recording_services.h"
#include "fakes/recording_session_owner.h"
#include "fakes/shared.h"
#include "fakes/simulated_port.h"
#include "readers/session.h"

namespace tavolin::testing {

// Everything a reader session needs, as fakes, with a simulated port.
struct SessionFixture {
  SessionServices services(const BuildTexts& texts = BuildTexts::english()) {
    return {system, ports, sound, eventLog, captured.trace, dataLog, abortEvent, texts};
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
