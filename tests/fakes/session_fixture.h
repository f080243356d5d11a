#pragma once

#include <memory>

#include "fakes/fake_system.h"
#include "fakes/memory_text_file.h"
#include "fakes/recording_services.h"
#include "fakes/recording_session_owner.h"
#include "fakes/simulated_port.h"
#include "readers/session.h"

namespace tavolin::testing {

// Everything a reader session needs, as fakes, with a simulated port.
struct SessionFixture {
  FakeSystem system;
  SimulatedPorts ports;
  RecordingSound sound;
  RecordingEventLog eventLog;
  CapturedTrace captured;
  DataLog dataLog{system, captured.trace};
  AutoResetEvent abortEvent;
  RecordingSessionOwner owner;

  SessionServices services(const BuildTexts& texts = BuildTexts::english()) {
    return {system, ports, sound, eventLog, captured.trace, dataLog, abortEvent, texts};
  }

  bool traced(const std::string& line) const { return captured.text().find(line) != std::string::npos; }
};

}  // namespace tavolin::testing
