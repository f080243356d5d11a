#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "readers/serial_port.h"

namespace tavolin {

// Undoes the marking of the terminal driver (PARMRK): "\377\377" is a
// data byte 0xFF, "\377\0\0" a break, "\377\0c" a character received
// with a parity or framing error. Keeps its state across reads.
class LineErrorMarks {
 public:
  // Appends the data bytes of raw to out (dropping zero bytes when
  // discardNull); false when a line error was among them.
  bool decode(const char* raw, std::size_t size, bool discardNull, std::string& out);

 private:
  int m_iPending = 0;  // bytes of a mark seen so far: 0, 1 (\377) or 2 (\377\0)
};

// The serial driver's running counts of line errors (TIOCGICOUNT); none
// where the driver keeps none, as on a pty.
struct LineErrorCounts {
  int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
};
std::optional<LineErrorCounts> readLineErrorCounts(int fd);

// A COM port on a Linux terminal device, with the Windows time-out rule
// emulated by poll() and deadlines. A read waits on the device and on an
// eventfd that interruptRead sets.
class LinuxSerialPort : public SerialPort {
 public:
  using CountReader = std::function<std::optional<LineErrorCounts>(int fd)>;

  LinuxSerialPort(int fd, const DeviceControl& line, const CommTimeouts& timeouts,
                  CountReader readCounts = readLineErrorCounts);
  ~LinuxSerialPort() override;
  LinuxSerialPort(const LinuxSerialPort&) = delete;
  LinuxSerialPort& operator=(const LinuxSerialPort&) = delete;

  bool read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error,
            const PacketComplete& complete) override;
  bool write(const char* data, std::uint32_t size, std::uint32_t& written, std::uint32_t& error) override;
  void interruptRead() override;

 private:
  // The data bytes of what the driver delivered, into m_sDecoded; false
  // after a line error.
  bool decode(const char* raw, std::size_t size);
  // True when one of the driver's error counts grew since the last look.
  bool errorCounted();

  int m_fd;
  // Readable once interruptRead has been called; -1 when the system gave
  // none, and then a stop waits for the idle period to end.
  int m_iInterrupt;
  CommTimeouts m_timeouts;
  bool m_bDiscardNull;
  bool m_bAbortOnError;
  bool m_bFailed = false;  // a line error stopped the port
  LineErrorMarks m_marks;
  CountReader m_readCounts;
  std::optional<LineErrorCounts> m_counts;  // at the last look
  std::string m_sDecoded;
};

// What a user who may not open a device can do about it: join its group
// where the group may read and write it (never the group root), else
// nothing of their own; the device's owner and mode say so.
std::string accessAdvice(mode_t mode, const std::string& owner, const std::string& group);

class LinuxSerialPorts : public SerialPorts {
 public:
  // root: where the system's /dev and /sys are looked for (a test's tree).
  explicit LinuxSerialPorts(std::string root = {}) : m_sRoot(std::move(root)) {}

  // "n" is /dev/ttyS<n-1>; an absolute path is taken as it is.
  std::string devicePath(const std::string& comSetting) const override;
  // The stable /dev/serial/by-id names first, each with the device it
  // points to; then the ttyUSB, ttyACM and ttyS devices there are (a ttyS
  // only where its driver knows a real port); the stored value last when
  // it is none of them.
  std::vector<PortChoice> portChoices(const std::string& stored) const override;
  bool deviceExists(const std::string& devicePath) const override;
  using SerialPorts::open;
  OpenResult open(const std::string& devicePath, const LineSetUp& line, const CommTimeouts& timeouts) override;

 private:
  std::string m_sRoot;
};

}  // namespace tavolin
