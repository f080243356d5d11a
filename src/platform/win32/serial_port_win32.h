#pragma once

#include <cstdint>
#include <memory>

#include "readers/serial_port.h"

namespace tavolin {

// A COM port opened for overlapped operation: a read waits on its own
// completion and on the event that interruptRead sets, so a stop does not
// wait for the idle period to run out.
class Win32SerialPort : public SerialPort {
 public:
  // Takes the handle, with the time-outs applied; nullptr (and the handle
  // closed) when the events cannot be made, error then says why.
  static std::unique_ptr<Win32SerialPort> make(void* handle, const CommTimeouts& timeouts, std::uint32_t& error);
  ~Win32SerialPort() override;
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  bool read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error,
            const PacketComplete& complete) override;
  bool write(const char* data, std::uint32_t size, std::uint32_t& written, std::uint32_t& error) override;
  void interruptRead() override;

 private:
  enum class Outcome { Done, Interrupted, Failed };

  Win32SerialPort(void* handle, const CommTimeouts& timeouts) : m_hCom(handle), m_timeouts(timeouts) {}
  // One overlapped read, ended by the driver's time-outs or after waitMs.
  Outcome readOnce(char* buffer, std::uint32_t size, std::uint32_t waitMs, std::uint32_t& got, std::uint32_t& error);
  // The read by the time-out rule, timed here so that it can end at a
  // whole packet: the driver only waits for bytes.
  Outcome readUntilComplete(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error,
                            const PacketComplete& complete);
  // The driver times reads by the session's time-outs, or not at all.
  bool driverTimesReads(bool yes, std::uint32_t& error);

  void* m_hCom;
  void* m_hInterrupt = nullptr;  // manual-reset: once set, every read ends at once
  void* m_hReadDone = nullptr;
  void* m_hWriteDone = nullptr;
  CommTimeouts m_timeouts;
  bool m_bDriverTimesReads = true;
};

class Win32SerialPorts : public SerialPorts {
 public:
  // "\\.\COM" and the number.
  std::string devicePath(const std::string& comSetting) const override;
  // "1" to "256", as the settings page has always offered them.
  std::vector<PortChoice> portChoices(const std::string& stored) const override;
  bool deviceExists(const std::string& devicePath) const override;
  using SerialPorts::open;
  OpenResult open(const std::string& devicePath, const LineSetUp& line, const CommTimeouts& timeouts) override;
};

}  // namespace tavolin
