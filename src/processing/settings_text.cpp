#include "processing/settings_text.h"

namespace tavolin {

namespace {

constexpr std::int32_t kSaturation = 100000000;

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::size_t skipSpace(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  return i;
}

}  // namespace

bool scanDecimal(const std::string& text, std::int32_t& value) {
  std::size_t i = skipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kSaturation) magnitude = kSaturation;
  }
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool scanHexByte(const std::string& text, std::uint8_t& value) {
  std::size_t i = skipSpace(text);
  if (i >= text.size() || hexValue(text[i]) < 0) return false;
  int result = hexValue(text[i++]);
  if (i < text.size() && hexValue(text[i]) >= 0) result = result * 16 + hexValue(text[i]);
  value = static_cast<std::uint8_t>(result);
  return true;
}

}  // namespace tavolin
