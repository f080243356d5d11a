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
#include <tuple>
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
  const std::string zero(1, '\0');
  // clang-format off
  const std::tuple<std::vector<std::string>, bool, std::string, bool> cases[] = {
      {{"a" + zero + "b"}, false, "a" + zero + "b", true}, {{"a" + zero + "b"}, true, "ab", true},
      {{"\377\377x"}, false, "\377x", true}, {{"x\377", "\377"}, false, "x\377", true},  // a data byte 0xFF, also split
      {{"ab\377" + zero + zero}, false, "ab", false}, {{"ab\377" + zero + "c"}, false, "ab", false},  // break, error
      {{"ab\377", zero, "c"}, false, "ab", false},  // split across reads
  };
  // clang-format on
  for (const auto& [reads, discardNull, expected, expectClean] : cases) {
    LineErrorMarks marks;
    std::string data;
    bool clean = true;
    for (const std::string& raw : reads) clean = marks.decode(raw.data(), raw.size(), discardNull, data) && clean;
    EXPECT_TRUE(clean == expectClean && data == expected) << reads.size() << " " << data;
  }
}

// Line errors that only the driver's counts show (overruns, and whatever
// a driver does not mark): a count that grew since the previous read stops
// the port when errors are to stop it; framing errors are marked only with
// INPCK, parity or not.
TEST(LinuxSerialPort, GrownErrorCountStopsThePort) {
  using Counts = std::optional<LineErrorCounts>;
  const Counts before = LineErrorCounts{1, 2, 3, 4, 5};
  // clang-format off
  const std::tuple<const char*, bool, Counts, bool> cases[] = {
      {"unchanged", true, before, false}, {"framing", true, LineErrorCounts{2, 2, 3, 4, 5}, true},
      {"overrun", true, LineErrorCounts{1, 3, 3, 4, 5}, true}, {"parity", true, LineErrorCounts{1, 2, 4, 4, 5}, true},
      {"break", true, LineErrorCounts{1, 2, 3, 5, 5}, true}, {"buffer", true, LineErrorCounts{1, 2, 3, 4, 6}, true},
      {"not to stop", false, LineErrorCounts{1, 3, 3, 4, 5}, false}, {"no counts (a pty)", true, std::nullopt, false},
  };
  // clang-format on
  const int master = openPty();
  for (const auto& [what, abortOnError, later, stops] : cases) {
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    DeviceControl line;
    line.BaudRate = 9600;
    line.fAbortOnError = abortOnError;
    int looks = 0;
    const Counts grown = later;
    LinuxSerialPort port(slave, line, CommTimeouts{50, 0, 1000, 0, 0},
                         [&](int) { return looks++ == 0 && grown ? before : grown; });
    ASSERT_EQ(write(master, "ab", 2), 2);
    char buffer[8];
    std::uint32_t got = 0, error = 0;
    EXPECT_EQ(port.read(buffer, sizeof buffer, got, error, {}), !stops) << what;
    EXPECT_EQ(error, stops ? std::uint32_t{EIO} : 0u) << what;

    ASSERT_TRUE(LinuxSerialPorts().open(ptsname(master), line, CommTimeouts{}).port);
    ASSERT_EQ(tcgetattr(master, &tio), 0);  // the settings of the other end
    EXPECT_EQ((tio.c_iflag & INPCK) != 0 && (tio.c_iflag & PARMRK) != 0, abortOnError) << what;
  }
  close(master);
}

// A port the user may not open: the system's text, and the group to join
// only where that group may read and write the device (and it is not root's).
TEST(LinuxSerialPorts, AccessDeniedAdvisesOnlyAGroupThatHelps) {
  // clang-format off
  const std::tuple<mode_t, const char*, const char*> cases[] = {
      {0660, "dialout", "The device belongs to the group dialout: add the user to it (sudo usermod -aG dialout"},
      {0600, "root", "The device is crw------- root root: no group a user may join may use it"},
      {0640, "dialout", "The device is crw-r----- root dialout: no group"},
      {0626, "uucp", "The device is crw--w-rw- root uucp: no group"},
      {0660, "root", "The device is crw-rw---- root root: no group"},
  };
  // clang-format on
  for (const auto& [mode, group, advice] : cases) {
    const std::string given = accessAdvice(S_IFCHR | mode, "root", group);
    EXPECT_EQ(given.rfind(advice, 0), 0u) << given;
  }
  if (geteuid() != 0) GTEST_SKIP() << "needs root to create a device another user may not open";
  const int master = openPty();
  const std::string device = ptsname(master);
  ASSERT_EQ(chmod(device.c_str(), 0600), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    const auto result = LinuxSerialPorts().open(device, DeviceControl{}, CommTimeouts{});
    _exit(result.failure != SerialPorts::Failure::Other || result.text.rfind("Permission denied\n", 0) != 0 ||
          result.text.find("The device is crw------- root ") == std::string::npos ||
          result.text.find("usermod") != std::string::npos);
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
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS10", "ttySX", "tty1"})
    std::ofstream(root / "dev" / name);
  fs::create_symlink("../../ttyUSB2", root / "dev/serial/by-id/usb-FTDI_A5-if00-port0");
  for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, {"ttyS1", "0"}, {"ttyS10", "4"}}) {
    fs::create_directories(root / "sys/class/tty" / name);
    std::ofstream(root / "sys/class/tty" / name / "type") << type << "\n";
  }
  const auto list = [&](const std::string& stored) {
    std::string text;
    for (const auto& c : LinuxSerialPorts(root.string()).portChoices(stored)) text += c.value + "=" + c.label + "|";
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
