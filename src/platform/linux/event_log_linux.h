#pragma once

#include <mutex>
#include <string>

#include "services/event_log.h"
#include "services/trace.h"

namespace tavolin {

// Entries go to syslog (facility user, identity "Tavolin"), or, when
// TAVOLIN_EVENTLOG names a file, to that file, one line each. The text is
// the entry of the program's message table with its insertion strings, the
// id in front: "[8] Elvor Tavolin (Version 2.10.00) information of ...".
class LinuxEventLog : public EventLog {
 public:
  // A file that cannot be written is reported once, on standard error and
  // in the trace.
  explicit LinuxEventLog(Trace& trace) : m_trace(trace) {}
  std::unique_ptr<Source> registerSource(const std::string& name) override;

  // The line of an entry: line breaks inside become blanks.
  static std::string entryText(std::uint32_t id, const std::vector<std::string>& strings);

 private:
  Trace& m_trace;
  std::once_flag m_unwritableSaid;
};

}  // namespace tavolin
