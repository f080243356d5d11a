#include "services/format.h"

#include <cstdio>

namespace tavolin {

std::string_view formatInto(char* buffer, std::size_t size, std::string& storage, const char* format,
                            std::va_list args) {
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(buffer, size, format, args);
  std::string_view result;
  if (length >= 0 && static_cast<std::size_t>(length) < size) {
    result = {buffer, static_cast<std::size_t>(length)};
  } else if (length >= 0) {
    storage.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(storage.data(), storage.size(), format, again);
    result = {storage.data(), static_cast<std::size_t>(length)};
  }
  va_end(again);
  return result;
}

std::string_view formatText(char* buffer, std::size_t size, std::string& storage, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const std::string_view result = formatInto(buffer, size, storage, format, args);
  va_end(args);
  return result;
}

}  // namespace tavolin
