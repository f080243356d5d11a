#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "services/system.h"
#include "services/trace.h"

namespace tavolin {

// The data log: one line per reading with date and time, in files named
// after the start time of the program, a new file after every 2000 lines.
// Written only by the reading thread once started.
class DataLog {
 public:
  static constexpr std::uint16_t linesPerFile = 2000;
  static constexpr std::size_t maxFileNameLength = 99;

  DataLog(System& system, Trace& trace);

  // Begins data logging into the folder, with file names from the start
  // time, and opens file 01.
  void start(const std::string& folder, const LocalTime& startTime);

  // Opens the file of the next number. When that fails, data logging stops
  // for the rest of the run.
  void openDataLog();

  // Writes the line of one reading, taken now.
  void writeReading(std::string_view readingText);

  bool isOpen() const { return m_file != nullptr; }
  std::uint16_t lines() const { return m_uLines; }

 private:
  System& m_system;
  Trace& m_trace;
  std::string m_sPrefix;
  std::string m_sSuffix;
  std::uint16_t m_uNumber = 1;
  std::uint16_t m_uLines = 0;
  std::unique_ptr<TextFile> m_file;
  std::string m_sFileName;     // of the open file
  bool m_bWriteFailed = false;  // a line of it was lost
};

// The trace file and the data log as the start-up finds them.
enum class TraceSetUp {
  Off,          // no trace file: no tracing for this run
  On,           // the existing trace file was emptied and receives the trace
  NotWritable,  // it exists but cannot be written again: tell the user
};

// Switches tracing on when the trace file exists in the application-data
// folder, and data logging when the data log folder exists there.
TraceSetUp setUpTraceAndDataLog(System& system, Trace& trace, DataLog& dataLog);

constexpr char kTraceFileName[] = "TavolinTrace.txt";
constexpr char kDataLogFolderName[] = "TavolinLog";

}  // namespace tavolin
