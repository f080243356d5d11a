#include "platform/linux/serial_port_linux.h"

#include "platform/platform.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/linux/serial_speed_linux.h"
#include "platform/linux/system_linux.h"
#include "processing/settings_text.h"
#include "text/cp1252.h"

namespace tavolin {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Pseudo-terminals have no modem lines and no parity; they must still open.
bool isPseudoTerminal(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return false;
  const unsigned int majorNumber = major(info.st_rdev);
  return majorNumber >= 136 && majorNumber <= 143;
}

// The system text and who may use the device, for a port the user may not open.
std::string accessDeniedText(const std::string& path) {
  std::string text = errnoText(EACCES);
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    const passwd* user = getpwuid(info.st_uid);
    const group* owner = getgrgid(info.st_gid);
    text += accessAdvice(info.st_mode, user ? user->pw_name : std::to_string(info.st_uid),
                         owner ? owner->gr_name : std::to_string(info.st_gid));
  }
  return text;
}

void applyLine(termios& tio, const DeviceControl& line, bool pty) {
  cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag |= CLOCAL | CREAD | (line.ByteSize == 7 ? CS7 : CS8);
  if (!pty && line.fParity && line.Parity != DeviceControl::NoParity) {
    tio.c_cflag |= PARENB | (line.Parity == DeviceControl::OddParity ? PARODD : 0);
    tio.c_iflag |= INPCK;
  }
  if (line.StopBits == DeviceControl::TwoStopBits) tio.c_cflag |= CSTOPB;
  if (line.fOutxCtsFlow || line.fRtsControl == DeviceControl::RtsControlHandshake) tio.c_cflag |= CRTSCTS;
  if (line.fOutX) tio.c_iflag |= IXON;
  if (line.fInX) tio.c_iflag |= IXOFF;
  // Line errors are marked, and so noticed; without INPCK the driver
  // passes framing errors as data when there is no parity.
  if (line.fAbortOnError) tio.c_iflag |= INPCK | PARMRK;
  tio.c_cc[VSTART] = line.XonChar ? line.XonChar : 0x11;
  tio.c_cc[VSTOP] = line.XoffChar ? line.XoffChar : 0x13;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
}

// DTR and RTS as the record wants them; 0 or the error code.
int applyModemLines(int fd, const DeviceControl& line) {
  int set = 0, clear = 0;
  (line.fDtrControl ? set : clear) |= TIOCM_DTR;
  (line.fRtsControl ? set : clear) |= TIOCM_RTS;
  if (ioctl(fd, TIOCMBIS, &set) != 0 || ioctl(fd, TIOCMBIC, &clear) != 0) return errno;
  return 0;
}

}  // namespace

std::string accessAdvice(mode_t mode, const std::string& owner, const std::string& group) {
  if ((mode & S_IRGRP) && (mode & S_IWGRP) && group != "root") {
    return "The device belongs to the group " + group + ": add the user to it (sudo usermod -aG " + group +
           " $USER) and log in again.\n";
  }
  std::string shown = S_ISCHR(mode) ? "c" : S_ISBLK(mode) ? "b" : "-";
  const char letters[] = "rwx";
  for (int bit = 8; bit >= 0; --bit) shown += (mode & (1u << bit)) ? letters[(8 - bit) % 3] : '-';
  return "The device is " + shown + " " + owner + " " + group +
         ": no group a user may join may use it; an administrator can give it one (a udev rule).\n";
}

bool LineErrorMarks::decode(const char* raw, std::size_t size, bool discardNull, std::string& out) {
  bool lineError = false;
  const auto put = [&](char c) {
    if (!(discardNull && c == '\0')) out += c;
  };
  for (std::size_t i = 0; i < size; ++i) {
    const char c = raw[i];
    switch (m_iPending) {
      case 0:
        if (c == '\377') {
          m_iPending = 1;
        } else {
          put(c);
        }
        break;
      case 1:
        if (c == '\377') {
          put(c);
          m_iPending = 0;
        } else {
          m_iPending = 2;  // "\377\0": a mark
        }
        break;
      default:
        lineError = true;  // break or a byte with a parity or framing error
        m_iPending = 0;
        break;
    }
  }
  return !lineError;
}

std::optional<LineErrorCounts> readLineErrorCounts(int fd) {
  serial_icounter_struct counts{};
  if (ioctl(fd, TIOCGICOUNT, &counts) != 0) return std::nullopt;  // ENOTTY, EINVAL: the driver keeps none
  return LineErrorCounts{counts.frame, counts.overrun, counts.parity, counts.brk, counts.buf_overrun};
}

LinuxSerialPort::LinuxSerialPort(int fd, const DeviceControl& line, const CommTimeouts& timeouts,
                                 CountReader readCounts)
    : m_fd(fd),
      m_iInterrupt(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      m_timeouts(timeouts),
      m_bDiscardNull(line.fNull),
      m_bAbortOnError(line.fAbortOnError),
      m_readCounts(std::move(readCounts)) {
  // Errors before the port was set up are not this session's.
  if (m_bAbortOnError) m_counts = m_readCounts(m_fd);
}

LinuxSerialPort::~LinuxSerialPort() {
  if (m_iInterrupt >= 0) ::close(m_iInterrupt);
  ::close(m_fd);
}

void LinuxSerialPort::interruptRead() {
  if (m_iInterrupt < 0) return;
  // The count is never read back, so the eventfd stays readable; a write
  // fails only on a full count, which is readable as well.
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(m_iInterrupt, &one, sizeof one);
}

bool LinuxSerialPort::read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error,
                           const PacketComplete& complete) {
  bytesRead = 0;
  if (m_bFailed) {
    error = EIO;
    return false;
  }
  const Clock::time_point total =
      Clock::now() + std::chrono::milliseconds(m_timeouts.ReadTotalTimeoutMultiplier * maxBytes +
                                               m_timeouts.ReadTotalTimeoutConstant);
  const auto interval = std::chrono::milliseconds(m_timeouts.ReadIntervalTimeout);
  Clock::time_point lastByte{};
  char raw[512];
  while (bytesRead < maxBytes) {
    const Clock::time_point deadline = bytesRead == 0 ? total : std::min(total, lastByte + interval);
    const int wait = remainingMs(deadline);
    if (wait == 0) break;
    // A negative descriptor is left out by poll().
    pollfd pfd[2] = {{m_fd, POLLIN, 0}, {m_iInterrupt, POLLIN, 0}};
    const int ready = ::poll(pfd, 2, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      error = static_cast<std::uint32_t>(errno);
      return false;
    }
    if (pfd[1].revents != 0) {
      bytesRead = 0;
      return true;
    }
    if (ready == 0) break;
    const std::size_t want = std::min<std::size_t>(sizeof raw, maxBytes - bytesRead);
    const ssize_t got = ::read(m_fd, raw, want);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (got <= 0) {
      // The device went away (an unplugged adapter, a closed pty).
      error = got < 0 ? static_cast<std::uint32_t>(errno) : EIO;
      return false;
    }
    if (!decode(raw, static_cast<std::size_t>(got)) || errorCounted()) {
      m_bFailed = true;
      error = EIO;
      return false;
    }
    std::memcpy(buffer + bytesRead, m_sDecoded.data(), m_sDecoded.size());
    bytesRead += static_cast<std::uint32_t>(m_sDecoded.size());
    if (!m_sDecoded.empty()) lastByte = Clock::now();  // discarded bytes were never received
    if (complete && bytesRead > 0 && complete(buffer, bytesRead)) break;
  }
  return true;
}

bool LinuxSerialPort::decode(const char* raw, std::size_t size) {
  m_sDecoded.clear();
  // Line errors are marked only when they are to stop the port.
  if (m_bAbortOnError) return m_marks.decode(raw, size, m_bDiscardNull, m_sDecoded);
  for (std::size_t i = 0; i < size; ++i) {
    if (!(m_bDiscardNull && raw[i] == '\0')) m_sDecoded += raw[i];
  }
  return true;
}

// An overrun loses bytes without a mark, and not every driver marks what
// it should: the driver's counts show those errors.
bool LinuxSerialPort::errorCounted() {
  if (!m_bAbortOnError || !m_counts) return false;
  const std::optional<LineErrorCounts> now = m_readCounts(m_fd);
  if (!now) return false;
  // The counts only grow; a changed one is a new error.
  const bool counted = now->frame != m_counts->frame || now->overrun != m_counts->overrun ||
                       now->parity != m_counts->parity || now->brk != m_counts->brk ||
                       now->bufOverrun != m_counts->bufOverrun;
  m_counts = now;
  return counted;
}

bool LinuxSerialPort::write(const char* data, std::uint32_t size, std::uint32_t& written, std::uint32_t& error) {
  written = 0;
  if (m_bFailed) {
    error = EIO;
    return false;
  }
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(m_timeouts.WriteTotalTimeoutMultiplier * size +
                                               m_timeouts.WriteTotalTimeoutConstant);
  while (written < size) {
    const ssize_t n = ::write(m_fd, data + written, size - written);
    if (n > 0) {
      written += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      error = static_cast<std::uint32_t>(errno);
      return false;
    }
    const int wait = remainingMs(deadline);
    if (wait == 0) break;  // time-out: fewer bytes written
    pollfd pfd{m_fd, POLLOUT, 0};
    if (::poll(&pfd, 1, wait) < 0 && errno != EINTR) {
      error = static_cast<std::uint32_t>(errno);
      return false;
    }
  }
  return true;
}

std::string LinuxSerialPorts::devicePath(const std::string& comSetting) const {
  if (!comSetting.empty() && comSetting[0] == '/') return comSetting;
  std::int32_t number = 0;
  scanDecimal(comSetting, number);
  return "/dev/ttyS" + std::to_string(number - 1);
}

namespace {

namespace fs = std::filesystem;

// The names in the folder that are the prefix and a number, by number.
std::vector<std::string> numberedDevices(const fs::path& folder, const std::string& prefix) {
  std::vector<std::pair<long, std::string>> found;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string number = name.substr(prefix.size());
    if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > 4) continue;
    found.emplace_back(std::stol(number), name);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (const auto& entry : found) names.push_back(entry.second);
  return names;
}

// A ttyS device exists for every port the driver could have; its type,
// 0 where no UART answered, tells a real one.
bool realSerialPort(const fs::path& sysClassTty, const std::string& name) {
  std::ifstream typeFile(sysClassTty / name / "type");
  int type = 0;
  return typeFile >> type && type != 0;
}

}  // namespace

std::vector<SerialPorts::PortChoice> LinuxSerialPorts::portChoices(const std::string& stored) const {
  std::vector<PortChoice> choices;
  const fs::path dev = m_sRoot + "/dev";
  std::error_code error;
  std::vector<std::string> stable;
  for (const fs::directory_entry& entry : fs::directory_iterator(dev / "serial" / "by-id", error)) {
    stable.push_back(entry.path().filename().string());
  }
  std::sort(stable.begin(), stable.end());
  for (const std::string& name : stable) {
    const std::string value = "/dev/serial/by-id/" + name;
    std::string target = fs::weakly_canonical(dev / "serial" / "by-id" / name, error).string();
    if (target.compare(0, m_sRoot.size(), m_sRoot) == 0) target.erase(0, m_sRoot.size());
    choices.push_back({utf8ToCp1252(value), utf8ToCp1252(value + " (" + target + ")")});
  }
  for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
    for (const std::string& name : numberedDevices(dev, prefix)) {
      if (std::string(prefix) == "ttyS" && !realSerialPort(m_sRoot + "/sys/class/tty", name)) continue;
      choices.push_back({"/dev/" + name, "/dev/" + name});
    }
  }
  const bool listed = std::any_of(choices.begin(), choices.end(), [&](const PortChoice& c) { return c.value == stored; });
  if (!stored.empty() && !listed) {
    const std::string path = devicePath(stored);
    std::string label = stored;
    if (path != stored) label += " (" + path + ")";
    if (!deviceExists(path)) label += " - not present";
    choices.push_back({stored, label});
  }
  return choices;
}

bool LinuxSerialPorts::deviceExists(const std::string& devicePath) const {
  struct stat info {};
  return ::stat((m_sRoot + cp1252ToUtf8(devicePath)).c_str(), &info) == 0;
}

SerialPorts::OpenResult LinuxSerialPorts::open(const std::string& devicePath, const LineSetUp& lineSetUp,
                                               const CommTimeouts& timeouts) {
  OpenResult result;
  const std::string path = cp1252ToUtf8(devicePath);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno;
    if (code == ENOENT || code == ENODEV || code == ENXIO) {
      result.failure = Failure::NotFound;
    } else if (code == EBUSY) {
      result.failure = Failure::Busy;
    } else {
      result.failure = Failure::Other;
      result.text = code == EACCES ? accessDeniedText(path) : errnoText(code);
    }
    return result;
  }
  const auto fail = [&](Failure failure, int code) {
    ::close(fd);
    result.failure = failure;
    result.text = errnoText(code);
    return std::move(result);
  };
  // Exclusive: the driver refuses further opens, and the lock tells other
  // openers (root among them, whom the driver lets through) that the port
  // is taken.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? Failure::Busy : Failure::Other, errno);
  if (!isatty(fd)) {
    ::close(fd);
    result.failure = Failure::Other;
    result.text = " " + devicePath + " is not a serial device.";
    return result;
  }
  ioctl(fd, TIOCEXCL);
  const DeviceControl line = lineSetUp();

  const bool pty = isPseudoTerminal(fd);
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return fail(Failure::Other, errno);
  applyLine(tio, line, pty);
  if (tcsetattr(fd, TCSANOW, &tio) != 0) return fail(Failure::Other, errno);
  if (const int code = setLineSpeed(fd, line.BaudRate); code != 0) return fail(Failure::Other, code);
  if (const int code = applyModemLines(fd, line); code != 0 && !pty) return fail(Failure::Other, code);

  result.port = std::make_unique<LinuxSerialPort>(fd, line, timeouts);
  return result;
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<SerialPorts> makeSerialPorts() { return std::make_unique<LinuxSerialPorts>(); }

}  // namespace tavolin
