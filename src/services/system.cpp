#include "services/system.h"

#include <cstdio>

namespace tavolin {

std::string unknownErrorText(std::uint32_t code) {
  char text[64];
  std::snprintf(text, sizeof text, "Unknown error from GetLastError(): %ul\n", static_cast<unsigned>(code));
  return text;
}

}  // namespace tavolin
