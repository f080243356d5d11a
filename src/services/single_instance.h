#pragma once

#include <cstdint>
#include <string>

#include "services/event_log.h"
#include "services/system.h"
#include "text/build_texts.h"

namespace tavolin {

// The machine-wide lock that lets one instance of the program run: the
// mutex "Global\TavolinMutex" on Windows, a locked file on Linux.
class InstanceMutex {
 public:
  struct Creation {
    enum class Error { None, AlreadyExists, AccessDenied, Other };
    bool created = false;
    Error error = Error::None;
    std::uint32_t code = 0;  // the system's error code, for its text
    std::string problem;     // where a lock of a file could not be made, named for the failure message;
                             // with code 0 the whole reason
  };

  virtual ~InstanceMutex() = default;
  virtual Creation create(const std::string& name) = 0;
  // A wait of zero ms: 0 when this process owns the mutex now, else the
  // wait's result.
  virtual std::uint32_t tryAcquire() = 0;
};

constexpr char kMutexName[] = "Global\\TavolinMutex";
constexpr char kUnknownUserName[] = "<unknown user name>";

// What start-up does next: go on (exit code 0), or end with the message.
struct StartupDecision {
  int exitCode = 0;
  std::string message;
};

// The user running the program, or "<unknown user name>".
std::string userNameOrUnknown(System& system);

// Settles the single instance: writes the event entry of a refusal or a
// failure through the source and says with which message and exit code
// the program ends.
StartupDecision settleSingleInstance(InstanceMutex& mutex, EventLog::Source* eventSource, System& system,
                                     const BuildTexts& texts, const std::string& userName);

// The end of a start whose abort event could not be created.
StartupDecision eventCreationFailed(EventLog::Source* eventSource, System& system, const std::string& userName,
                                    std::uint32_t error);

}  // namespace tavolin
