// termios2 lives in the kernel's headers, which clash with <termios.h>:
// this file uses only them.
#include "platform/linux/serial_speed_linux.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace tavolin {

int setLineSpeed(int fd, std::uint32_t baudRate) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
  tio.c_cflag &= ~CBAUD;
  tio.c_cflag |= BOTHER;
  tio.c_ispeed = baudRate;
  tio.c_ospeed = baudRate;
  if (ioctl(fd, TCSETS2, &tio) != 0) return errno;
  return 0;
}

}  // namespace tavolin
