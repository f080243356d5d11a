#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavolin {

// The text of an event id from the program's message table, with its
// line end ("\r\n"); empty for an id the table does not have.
std::string eventMessageText(std::uint32_t id);

// The text with %1 to %9 replaced by the insertion strings, as the event
// viewer shows it; a %n without a string stays as it is.
std::string expandEventMessage(std::uint32_t id, const std::vector<std::string>& strings);

}  // namespace tavolin
