#include "services/trace.h"

#include <cstdarg>
#include <string>

#include "services/format.h"

namespace tavolin {

void Trace::open(std::unique_ptr<TextFile> file) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_file = std::move(file);
  m_bOn = m_file != nullptr;
}

void Trace::operator()(const char* format, ...) {
  if (!m_bOn) return;
  char buffer[1024];
  std::string storage;
  std::va_list args;
  va_start(args, format);
  const std::string_view text = formatInto(buffer, sizeof buffer, storage, format, args);
  va_end(args);
  write(text);
}

void Trace::write(std::string_view text) {
  if (!m_bOn) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_file->write(text);
}

}  // namespace tavolin
