#pragma once

#include "readers/serial_port.h"

namespace tavolin {

class Win32SerialPort : public SerialPort {
 public:
  explicit Win32SerialPort(void* handle) : m_hCom(handle) {}
  ~Win32SerialPort() override;
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  bool read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error) override;
  bool write(const char* data, std::uint32_t size, std::uint32_t& written, std::uint32_t& error) override;

 private:
  void* m_hCom;
};

class Win32SerialPorts : public SerialPorts {
 public:
  // "\\.\COM" and the number.
  std::string devicePath(const std::string& comSetting) const override;
  using SerialPorts::open;
  OpenResult open(const std::string& devicePath, const LineSetUp& line, const CommTimeouts& timeouts) override;
};

}  // namespace tavolin
