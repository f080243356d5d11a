#include "services/data_log.h"

#include <cstdio>

#include "services/format.h"

namespace tavolin {

DataLog::DataLog(System& system, Trace& trace) : m_system(system), m_trace(trace) {}

void DataLog::start(const std::string& folder, const LocalTime& t) {
  char name[64];
  std::snprintf(name, sizeof name, "Datalog%04d%02d%02d_%02d_%02d_%02d-", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  m_sPrefix = m_system.joinPath(folder, name);
  m_uNumber = 1;
  m_sSuffix = ".txt";
  m_file.reset();
  openDataLog();
}

void DataLog::openDataLog() {
  char number[16];
  std::snprintf(number, sizeof number, "%02u", static_cast<unsigned>(m_uNumber));
  const std::string fileName = m_sPrefix + number + m_sSuffix;
  ++m_uNumber;
  m_uLines = 0;
  m_sFileName = fileName;
  m_bWriteFailed = false;
  // A name too long for the program's limit is refused rather than cut,
  // which could put the log into another folder.
  if (fileName.size() <= maxFileNameLength) {
    m_file = m_system.openTextFile(fileName, System::FileMode::Append);
  } else {
    m_file.reset();
  }
  if (m_file) {
    m_trace("Logging data starts.\n");
  } else {
    m_trace("Logfile %s cannot be written.\n", fileName.c_str());
  }
}

void DataLog::writeReading(std::string_view readingText) {
  if (!m_file) return;
  const LocalTime t = m_system.localTime();
  char buffer[512];
  std::string storage;
  const bool written = m_file->write(formatText(buffer, sizeof buffer, storage, "%02d.%02d.%04d %02d:%02d:%02d: data: %.*s\n", t.day,
                           t.month, t.year, t.hour, t.minute, t.second, static_cast<int>(readingText.size()),
                           readingText.data()));
  // A full disk loses lines: said once for each file.
  if (!written && !m_bWriteFailed) m_trace("Logfile %s cannot be written.\n", m_sFileName.c_str());
  m_bWriteFailed = m_bWriteFailed || !written;
  if (++m_uLines >= linesPerFile) {
    m_file.reset();
    openDataLog();
  }
}

TraceSetUp setUpTraceAndDataLog(System& system, Trace& trace, DataLog& dataLog) {
  const std::optional<std::string> appData = system.applicationDataFolder();
  if (!appData) return TraceSetUp::Off;

  TraceSetUp result = TraceSetUp::Off;
  const std::string tracePath = system.joinPath(*appData, kTraceFileName);
  if (system.canReadFile(tracePath)) {
    std::unique_ptr<TextFile> file = system.openTextFile(tracePath, System::FileMode::Replace);
    result = file ? TraceSetUp::On : TraceSetUp::NotWritable;
    trace.open(std::move(file));
  }

  const std::string logFolder = system.joinPath(*appData, kDataLogFolderName);
  if (system.isDirectory(logFolder)) {
    dataLog.start(logFolder, system.localTime());
  } else {
    trace("Directory to create log files does not exist.\n");
  }
  return result;
}

}  // namespace tavolin
