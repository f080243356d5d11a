#include "platform/linux/event_log_linux.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/linux/plain_file.h"
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
void reportUnwritable(std::once_flag& said, Trace& trace, const char* file, const std::string& why) {
  std::call_once(said, [&] {
    const std::string text =
        std::string("Tavolin: the event log file ") + file + " cannot be written (" + why + "); its entries are lost.\n";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    trace.write(utf8ToCp1252(text));
  });
}

class LinuxSource : public EventLog::Source {
 public:
  LinuxSource(std::string identity, Trace& trace, std::once_flag& unwritableSaid)
      : m_sIdentity(std::move(identity)), m_trace(trace), m_unwritableSaid(unwritableSaid) {}

  void report(EventLog::Type type, std::uint32_t id, const std::vector<std::string>& strings) override {
    const std::string text = cp1252ToUtf8(LinuxEventLog::entryText(id, strings));
    const char* file = std::getenv("TAVOLIN_EVENTLOG");
    if (file && *file) {
      // One write per line: entries of two threads never mix. The entries
      // name the reader and the user: the file is its owner's alone.
      const std::string line = std::string(typeName(type)) + " " + text + "\n";
      const PlainFile log(file, O_WRONLY | O_APPEND | O_CREAT);
      if (!log.isOpen()) {
        reportUnwritable(m_unwritableSaid, m_trace, file, log.problem());
        return;
      }
      const ssize_t written = ::write(log.fd(), line.data(), line.size());
      if (written != static_cast<ssize_t>(line.size())) {
        reportUnwritable(m_unwritableSaid, m_trace, file, std::strerror(written < 0 ? errno : ENOSPC));
      }
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
  std::once_flag& m_unwritableSaid;
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
  return std::make_unique<LinuxSource>(name, m_trace, m_unwritableSaid);
}

std::unique_ptr<EventLog> makeEventLog(Trace& trace) { return std::make_unique<LinuxEventLog>(trace); }

}  // namespace tavolin
