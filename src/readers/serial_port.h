#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavolin {

// The line set-up of a COM port: the fields of the Windows device control
// record (DCB) that the program sets, under their Windows names.
struct DeviceControl {
  // The values of NOPARITY, ODDPARITY, EVENPARITY, ONESTOPBIT, TWOSTOPBITS,
  // DTR_CONTROL_ENABLE, RTS_CONTROL_ENABLE and RTS_CONTROL_HANDSHAKE.
  static constexpr std::uint8_t NoParity = 0, OddParity = 1, EvenParity = 2;
  static constexpr std::uint8_t OneStopBit = 0, TwoStopBits = 2;
  static constexpr std::uint8_t DtrControlEnable = 1;
  static constexpr std::uint8_t RtsControlEnable = 1, RtsControlHandshake = 2;

  std::uint32_t BaudRate = 0;
  bool fBinary = false;
  bool fParity = false;
  bool fOutxCtsFlow = false;
  bool fOutxDsrFlow = false;
  std::uint8_t fDtrControl = 0;
  bool fDsrSensitivity = false;
  bool fTXContinueOnXoff = false;
  bool fOutX = false;
  bool fInX = false;
  bool fErrorChar = false;
  bool fNull = false;  // received zero bytes are discarded
  std::uint8_t fRtsControl = 0;
  bool fAbortOnError = false;  // after a line error, reads and writes fail
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  std::uint8_t ByteSize = 0;
  std::uint8_t Parity = 0;
  std::uint8_t StopBits = 0;
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
};

// Read and write time-outs in milliseconds (COMMTIMEOUTS). A read of N
// bytes returns when N bytes have arrived, when more than the interval
// passes between two bytes after the first, or when multiplier * N +
// constant have passed in all.
struct CommTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
};

// An open COM port, used by one thread at a time (interruptRead excepted).
// Failures give the system's error code, whose text System::getErrorText
// knows.
class SerialPort {
 public:
  // Whether the bytes a read has gathered so far hold a whole packet: such
  // a read need not wait for the line to go quiet.
  using PacketComplete = std::function<bool(const char* data, std::uint32_t size)>;

  virtual ~SerialPort() = default;
  // Synchronous read by the time-out rule; bytesRead 0 when nothing came.
  // With complete, the read also ends as soon as complete says so.
  virtual bool read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error,
                    const PacketComplete& complete) = 0;
  virtual bool write(const char* data, std::uint32_t size, std::uint32_t& written, std::uint32_t& error) = 0;
  // From another thread, to stop the reading thread: the read in progress
  // and every later one end at once with nothing read, as an idle period
  // would end them. The bytes of a burst not yet over are dropped.
  virtual void interruptRead() = 0;
};

// Opens COM ports exclusively.
class SerialPorts {
 public:
  enum class Failure { None, Busy, NotFound, Other };

  struct OpenResult {
    std::unique_ptr<SerialPort> port;
    Failure failure = Failure::None;
    std::string text;  // for Failure::Other: the system's text, with hints where the system has them
  };

  // A port the settings page offers: the "COM" value stored for it, and
  // the text the list shows.
  struct PortChoice {
    std::string value;
    std::string label;
  };

  virtual ~SerialPorts() = default;

  // The device path of the configured "COM" value.
  virtual std::string devicePath(const std::string& comSetting) const = 0;

  // The ports the settings page offers, in the order it lists them. Where
  // the list is the devices the system has, the stored value is among them
  // even when its device is absent now.
  virtual std::vector<PortChoice> portChoices(const std::string& stored) const = 0;

  // Whether the device is there now: a reader on a USB adapter may come
  // after the program.
  virtual bool deviceExists(const std::string& devicePath) const = 0;

  // The line set-up, asked for once the device is open: making it writes
  // the trace, which says nothing of a device that did not open.
  using LineSetUp = std::function<DeviceControl()>;

  // Opens the device for exclusive use, applies the line set-up and the
  // time-outs; on failure nothing stays open.
  virtual OpenResult open(const std::string& devicePath, const LineSetUp& line, const CommTimeouts& timeouts) = 0;
  OpenResult open(const std::string& devicePath, const DeviceControl& line, const CommTimeouts& timeouts) {
    return open(devicePath, LineSetUp([&line] { return line; }), timeouts);
  }
};

}  // namespace tavolin
