#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavolin {

// The select-string rule of the drop-down lists, one for every view: the
// index of the first item that begins with the text, ignoring the case of
// the letters A to Z; -1 when no item does. An empty text matches the
// first item. A view selects that item; at -1 it leaves its selection as
// it was.
std::int32_t findStringPrefix(const std::vector<std::string>& items, const std::string& text);

}  // namespace tavolin
