#include "ui/find_string_prefix.h"

namespace tavolin {

namespace {

// Not std::tolower: the rule must not change with the locale a toolkit
// sets. The lists hold plain ASCII.
char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool beginsWithIgnoringCase(const std::string& item, const std::string& prefix) {
  if (prefix.size() > item.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (foldCase(item[i]) != foldCase(prefix[i])) return false;
  }
  return true;
}

}  // namespace

std::int32_t findStringPrefix(const std::vector<std::string>& items, const std::string& text) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (beginsWithIgnoringCase(items[i], text)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

}  // namespace tavolin
