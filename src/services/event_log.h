#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavolin {

// The system's event log, in the terms of the Windows functions: a source
// is registered, entries are reported through it, and it is deregistered
// when the registration is dropped.
class EventLog {
 public:
  enum class Type { Error, Warning, Information };

  class Source {
   public:
    virtual ~Source() = default;  // deregisters
    virtual void report(Type type, std::uint32_t id, const std::vector<std::string>& strings) = 0;
  };

  virtual ~EventLog() = default;
  // The registered source, or nullptr; the program goes on without it.
  virtual std::unique_ptr<Source> registerSource(const std::string& name) = 0;
};

constexpr char kProductCaption[] = "Elvor Tavolin";
constexpr char kVersionText[] = "Version 2.10.00";
constexpr char kEventSourceName[] = "Tavolin";

// The event ids of the program's message table.
namespace event_id {
constexpr std::uint32_t Started = 3;
constexpr std::uint32_t RunningWithAdminRights = 4;
constexpr std::uint32_t AlreadyRunning = 5;
constexpr std::uint32_t MutexFailed = 6;
constexpr std::uint32_t SessionFailed = 7;
constexpr std::uint32_t ReaderInfo = 8;
constexpr std::uint32_t EventCreationFailed = 9;
constexpr std::uint32_t ReadingThreadFailed = 10;
}  // namespace event_id

// Entry 8: the information of the reader on the device, through a
// registration of its own, so that any thread may write it.
void reportReaderInfo(EventLog& eventLog, const std::string& devicePath, const std::string& text);

}  // namespace tavolin
