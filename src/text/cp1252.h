#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavolin {

// Windows-1252 is the program's own character set; text leaving the Linux
// edition (files, syslog, windows) is UTF-8.

// Writes the UTF-8 form of one Windows-1252 byte into out (room for 3
// bytes) and returns its length. Bytes without a character in
// Windows-1252 (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of
// the same number, as Windows does.
std::size_t cp1252ToUtf8(unsigned char c, char* out);

std::string cp1252ToUtf8(std::string_view text);

// The Windows-1252 byte of a Unicode code point, or -1 when it has none.
int cp1252FromCodePoint(char32_t codePoint);

// The Windows-1252 form of UTF-8 text; characters outside Windows-1252
// and malformed sequences become '?'.
std::string utf8ToCp1252(std::string_view text);

}  // namespace tavolin
