#include "platform/linux/event_log_linux.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/platform.h"
#include "services/event_messages.h"
#include "text/cp1252.h"

namespace tavolin {

namespace {

const char* typeName(EventLog::Type type) {
  return type == EventLog::Type::Error ? "error" : type == EventLog::Type::Warning ? "warning" : "information";
}

int priorityOf(EventLog::Type type) {
  return type == EventLog::Type::Error ? LOG_ERR : type == EventLog::Type::Warning ? LOG_WARNING : LOG_INFO;
}

// Says once, on standard error and in the trace, that the entries cannot
// be written to the file: a lost entry is never silent.
void reportUnwritable(Trace& trace, const char* file, int code) {
  static std::once_flag said;
  std::call_once(said, [&] {
    const std::string text = std::string("Tavolin: the event log file ") + file + " cannot be written (" +
                             std::strerror(code) + "); its entries are lost.\n";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    trace.write(utf8ToCp1252(text));
  });
}

class LinuxSource : public EventLog::Source {
 public:
  LinuxSource(std::string identity, Trace& trace) : m_sIdentity(std::move(identity)), m_trace(trace) {}

  void report(EventLog::Type type, std::uint32_t id, const std::vector<std::string>& strings) override {
    const std::string text = cp1252ToUtf8(LinuxEventLog::entryText(id, strings));
    const char* file = std::getenv("TAVOLIN_EVENTLOG");
    if (file && *file) {
      // One write per line: entries of two threads never mix.
      const std::string line = std::string(typeName(type)) + " " + text + "\n";
      const int fd = ::open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
      if (fd < 0) {
        reportUnwritable(m_trace, file, errno);
        return;
      }
      const ssize_t written = ::write(fd, line.data(), line.size());
      const int code = written < 0 ? errno : ENOSPC;
      ::close(fd);
      if (written != static_cast<ssize_t>(line.size())) reportUnwritable(m_trace, file, code);
      return;
    }
    static std::once_flag opened;
    static std::string identity;
    std::call_once(opened, [this] {
      identity = m_sIdentity;
      openlog(identity.c_str(), LOG_PID, LOG_USER);
    });
    syslog(LOG_USER | priorityOf(type), "%s", text.c_str());
  }

 private:
  std::string m_sIdentity;
  Trace& m_trace;
};

}  // namespace

std::string LinuxEventLog::entryText(std::uint32_t id, const std::vector<std::string>& strings) {
  std::string text = expandEventMessage(id, strings);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::string line = "[" + std::to_string(id) + "] ";
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    line += text[i] == '\n' || text[i] == '\r' ? ' ' : text[i];
  }
  return line;
}

std::unique_ptr<EventLog::Source> LinuxEventLog::registerSource(const std::string& name) {
  return std::make_unique<LinuxSource>(name, m_trace);
}

std::unique_ptr<EventLog> makeEventLog(Trace& trace) { return std::make_unique<LinuxEventLog>(trace); }

}  // namespace tavolin
