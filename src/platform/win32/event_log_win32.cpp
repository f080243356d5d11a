#include "platform/win32/event_log_win32.h"

#include "platform/platform.h"

#include <windows.h>

#include <vector>

namespace tavolin {

namespace {

class Win32Source : public EventLog::Source {
 public:
  explicit Win32Source(HANDLE handle) : m_hSource(handle) {}
  ~Win32Source() override { DeregisterEventSource(m_hSource); }
  Win32Source(const Win32Source&) = delete;
  Win32Source& operator=(const Win32Source&) = delete;

  void report(EventLog::Type type, std::uint32_t id, const std::vector<std::string>& strings) override {
    std::vector<const char*> pointers;
    for (const std::string& text : strings) pointers.push_back(text.c_str());
    const WORD eventType = type == EventLog::Type::Error     ? EVENTLOG_ERROR_TYPE
                           : type == EventLog::Type::Warning ? EVENTLOG_WARNING_TYPE
                                                             : EVENTLOG_INFORMATION_TYPE;
    ReportEventA(m_hSource, eventType, 0, id, nullptr, static_cast<WORD>(pointers.size()), 0, pointers.data(),
                 nullptr);
  }

 private:
  HANDLE m_hSource;
};

}  // namespace

std::unique_ptr<EventLog::Source> Win32EventLog::registerSource(const std::string& name) {
  HANDLE handle = RegisterEventSourceA(nullptr, name.c_str());
  if (!handle) return nullptr;
  return std::make_unique<Win32Source>(handle);
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<EventLog> makeEventLog(Trace&) { return std::make_unique<Win32EventLog>(); }

}  // namespace tavolin
