#pragma once

#include "services/event_log.h"

namespace tavolin {

// The Application event log; the texts come from the message table in the
// program's resources, once the source is registered with the program as
// its message file.
class Win32EventLog : public EventLog {
 public:
  std::unique_ptr<Source> registerSource(const std::string& name) override;
};

}  // namespace tavolin
