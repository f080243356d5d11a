#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

#include "services/printf_format.h"

namespace tavolin {

// printf into a caller's buffer: no allocation unless the text is longer
// than the buffer, then into storage. The result views one of the two.
std::string_view formatInto(char* buffer, std::size_t size, std::string& storage, const char* format,
                            std::va_list args);
std::string_view formatText(char* buffer, std::size_t size, std::string& storage, const char* format, ...)
    TAVOLIN_PRINTF(4, 5);

}  // namespace tavolin
