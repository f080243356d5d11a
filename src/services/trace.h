#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "services/printf_format.h"
#include "services/text_file.h"

namespace tavolin {

// The trace file: a developer log that every part of the program writes
// to when tracing is on. Tracing is decided once at start; when it is off
// nothing is formatted or written. Each call is one whole write, flushed at
// once, so texts of the user-interface thread and the reading thread never
// mix within a call.
class Trace {
 public:
  Trace() = default;
  Trace(const Trace&) = delete;
  Trace& operator=(const Trace&) = delete;

  void open(std::unique_ptr<TextFile> file);
  bool isOn() const { return m_bOn; }

  void operator()(const char* format, ...) TAVOLIN_PRINTF(2, 3);
  void write(std::string_view text);

 private:
  std::atomic<bool> m_bOn{false};
  std::mutex m_mutex;
  std::unique_ptr<TextFile> m_file;
};

}  // namespace tavolin
