// The Linux serial port: line errors marked or counted by the terminal
// driver, a port the user may not open, and the ports the system has.
#include "platform/linux/serial_port_linux.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace tavolin {
namespace {

// A new pty's master end; ptsname() names the other end.
int openPty() {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) ADD_FAILURE() << "no pty";
  return master;
}

// The bytes as read in pieces, with the driver's marks of line errors.
TEST(LineErrorMarks, DataBytesAndErrors) {
  const struct {
    std::vector<std::string> reads;
    bool discardNull;
    std::string data;
    bool clean;
  } cases[] = {
      {{std::string("a\0b", 3)}, false, std::string("a\0b", 3), true},
      {{std::string("a\0b", 3)}, true, "ab", true},
      {{"\377\377x"}, false, "\377x", true},                        // a data byte 0xFF
      {{"x\377", "\377"}, false, "x\377", true},                    // split across reads
      {{std::string("ab\377\0\0", 5)}, false, "ab", false},         // a break
      {{std::string("ab\377\0c", 5)}, false, "ab", false},          // a parity or framing error
      {{"ab\377", std::string("\0", 1), "c"}, false, "ab", false},  // split across reads
  };
  for (const auto& c : cases) {
    LineErrorMarks marks;
    std::string data;
    bool clean = true;
    for (const std::string& raw : c.reads) clean = marks.decode(raw.data(), raw.size(), c.discardNull, data) && clean;
    EXPECT_EQ(clean, c.clean) << c.reads.size();
    EXPECT_EQ(data, c.data);
  }
}

// Line errors that only the driver's counts show (overruns, and whatever
// a driver does not mark): a count that grew since the previous read stops
// the port when errors are to stop it.
TEST(LinuxSerialPort, GrownErrorCountStopsThePort) {
  using Counts = std::optional<LineErrorCounts>;
  const Counts before = LineErrorCounts{1, 2, 3, 4, 5};
  const struct {
    const char* what;
    bool abortOnError;
    Counts later;
    bool stops;
  } cases[] = {
      {"unchanged", true, before, false},
      {"framing", true, LineErrorCounts{2, 2, 3, 4, 5}, true},
      {"overrun", true, LineErrorCounts{1, 3, 3, 4, 5}, true},
      {"parity", true, LineErrorCounts{1, 2, 4, 4, 5}, true},
      {"break", true, LineErrorCounts{1, 2, 3, 5, 5}, true},
      {"buffer overrun", true, LineErrorCounts{1, 2, 3, 4, 6}, true},
      {"errors do not stop the port", false, LineErrorCounts{1, 3, 3, 4, 5}, false},
      {"no counts (a pty)", true, std::nullopt, false},
  };
  const int master = openPty();
  for (const auto& c : cases) {
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    DeviceControl line;
    line.fAbortOnError = c.abortOnError;
    int looks = 0;
    LinuxSerialPort port(slave, line, CommTimeouts{50, 0, 1000, 0, 0}, [&](int) {
      return looks++ == 0 && c.later ? before : c.later;
    });
    ASSERT_EQ(write(master, "ab", 2), 2);
    char buffer[8];
    std::uint32_t got = 0, error = 0;
    EXPECT_EQ(port.read(buffer, sizeof buffer, got, error, {}), !c.stops) << c.what;
    EXPECT_EQ(error, c.stops ? std::uint32_t{EIO} : 0u) << c.what;
  }
  close(master);
}

// Framing errors are marked only with INPCK, parity or not.
TEST(LinuxSerialPorts, ErrorsThatStopThePortAreChecked) {
  for (const bool abortOnError : {true, false}) {
    const int master = openPty();
    DeviceControl line;
    line.BaudRate = 9600;
    line.fAbortOnError = abortOnError;
    ASSERT_TRUE(LinuxSerialPorts().open(ptsname(master), line, CommTimeouts{}).port);
    termios tio{};
    ASSERT_EQ(tcgetattr(master, &tio), 0);  // the settings of the other end
    EXPECT_EQ((tio.c_iflag & INPCK) != 0, abortOnError);
    EXPECT_EQ((tio.c_iflag & PARMRK) != 0, abortOnError);
    close(master);
  }
}

// A port the user may not open: the system's text, and the group to join
// only where that group may read and write the device (and it is not root's).
TEST(LinuxSerialPorts, AccessDeniedAdvisesOnlyAGroupThatHelps) {
  const struct {
    mode_t mode;
    const char* group;
    const char* advice;
  } cases[] = {
      {S_IFCHR | 0660, "dialout", "The device belongs to the group dialout: add the user to it (sudo usermod -aG dialout"},
      {S_IFCHR | 0600, "root", "The device is crw------- root root: no group a user may join may use it"},
      {S_IFCHR | 0640, "dialout", "The device is crw-r----- root dialout: no group"},
      {S_IFCHR | 0626, "uucp", "The device is crw--w-rw- root uucp: no group"},
      {S_IFCHR | 0660, "root", "The device is crw-rw---- root root: no group"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(accessAdvice(c.mode, "root", c.group).rfind(c.advice, 0), 0u) << accessAdvice(c.mode, "root", c.group);
  }
  if (geteuid() != 0) GTEST_SKIP() << "needs root to create a device another user may not open";
  const int master = openPty();
  const std::string device = ptsname(master);
  ASSERT_EQ(chmod(device.c_str(), 0600), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    const auto result = LinuxSerialPorts().open(device, DeviceControl{}, CommTimeouts{});
    _exit(result.failure == SerialPorts::Failure::Other && result.text.rfind("Permission denied\n", 0) == 0 &&
                  result.text.find("The device is crw------- root ") != std::string::npos &&
                  result.text.find("usermod") == std::string::npos
              ? 0
              : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(master);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// The ports the settings page offers: the stable names first, with their
// devices; then the devices there are, a ttyS only where a UART answered;
// the stored value last, said absent where it is.
TEST(LinuxSerialPorts, OffersTheDevicesTheSystemHas) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("tavolin-devices-" + std::to_string(getpid()));
  fs::create_directories(root / "dev/serial/by-id");
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS10", "ttySX", "tty1"}) {
    std::ofstream(root / "dev" / name);
  }
  fs::create_symlink("../../ttyUSB2", root / "dev/serial/by-id/usb-FTDI_A5-if00-port0");
  for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, {"ttyS1", "0"}, {"ttyS10", "4"}}) {
    fs::create_directories(root / "sys/class/tty" / name);
    std::ofstream(root / "sys/class/tty" / name / "type") << type << "\n";
  }
  const LinuxSerialPorts ports(root.string());
  const auto list = [&](const std::string& stored) {
    std::string text;
    for (const SerialPorts::PortChoice& c : ports.portChoices(stored)) text += c.value + "=" + c.label + "|";
    return text;
  };
  const std::string found =
      "/dev/serial/by-id/usb-FTDI_A5-if00-port0=/dev/serial/by-id/usb-FTDI_A5-if00-port0 (/dev/ttyUSB2)|"
      "/dev/ttyUSB2=/dev/ttyUSB2|/dev/ttyUSB10=/dev/ttyUSB10|/dev/ttyACM0=/dev/ttyACM0|/dev/ttyS0=/dev/ttyS0|"
      "/dev/ttyS10=/dev/ttyS10|";
  EXPECT_EQ(list("/dev/ttyACM0"), found);
  EXPECT_EQ(list("/dev/ttyUSB0"), found + "/dev/ttyUSB0=/dev/ttyUSB0 - not present|");
  EXPECT_EQ(list("2"), found + "2=2 (/dev/ttyS1)|");
  EXPECT_EQ(list("3"), found + "3=3 (/dev/ttyS2) - not present|");
  fs::remove_all(root);
}

}  // namespace
}  // namespace tavolin
