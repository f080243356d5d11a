// The Linux serial port: line error marks of the terminal driver, and a
// port the user may not open.
#include "platform/linux/serial_port_linux.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace tavolin {
namespace {

TEST(LineErrorMarks, DataBytesAndErrors) {
  const struct {
    std::string raw;
    bool discardNull;
    std::string data;
    bool clean;
  } cases[] = {
      {"abc", false, "abc", true},
      {std::string("a\0b", 3), false, std::string("a\0b", 3), true},
      {std::string("a\0b", 3), true, "ab", true},
      {"\377\377x", false, "\377x", true},                    // a data byte 0xFF
      {std::string("ab\377\0\0", 5), false, "ab", false},     // a break
      {std::string("ab\377\0c", 5), false, "ab", false},      // a parity or framing error
  };
  for (const auto& c : cases) {
    LineErrorMarks marks;
    std::string data;
    EXPECT_EQ(marks.decode(c.raw.data(), c.raw.size(), c.discardNull, data), c.clean);
    EXPECT_EQ(data, c.data);
  }
}

TEST(LineErrorMarks, MarkSplitAcrossReads) {
  LineErrorMarks marks;
  std::string data;
  EXPECT_TRUE(marks.decode("x\377", 2, false, data));
  EXPECT_TRUE(marks.decode("\377", 1, false, data));
  EXPECT_EQ(data, "x\377");
  EXPECT_TRUE(marks.decode("\377", 1, false, data));
  EXPECT_TRUE(marks.decode(std::string("\0", 1).data(), 1, false, data));
  EXPECT_FALSE(marks.decode("z", 1, false, data));
}

TEST(LinuxSerialPorts, DevicePaths) {
  LinuxSerialPorts ports;
  EXPECT_EQ(ports.devicePath("1"), "/dev/ttyS0");
  EXPECT_EQ(ports.devicePath("12"), "/dev/ttyS11");
  EXPECT_EQ(ports.devicePath("/dev/serial/by-id/usb-reader"), "/dev/serial/by-id/usb-reader");
}

// A port that belongs to another user and group: the system's text and
// the group to join.
TEST(LinuxSerialPorts, AccessDeniedNamesTheGroup) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to create a device another user may not open";
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string device = ptsname(master);
  ASSERT_EQ(chmod(device.c_str(), 0600), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    LinuxSerialPorts ports;
    const auto result = ports.open(device, DeviceControl{}, CommTimeouts{});
    const bool named = result.failure == SerialPorts::Failure::Other &&
                       result.text.rfind("Permission denied\n", 0) == 0 &&
                       result.text.find("belongs to the group") != std::string::npos;
    _exit(named ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(master);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace tavolin

