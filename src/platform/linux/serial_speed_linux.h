#pragma once

#include <cstdint>

namespace tavolin {

// Sets the line speed in bits per second, also rates without a Bnnn
// constant (14400); 0 or the error code.
int setLineSpeed(int fd, std::uint32_t baudRate);

}  // namespace tavolin
