#include "platform/win32/serial_port_win32.h"

#include "platform/platform.h"

#include <windows.h>

#include "platform/win32/system_win32.h"

namespace tavolin {

namespace {

DCB toDcb(const DeviceControl& line) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = line.BaudRate;
  dcb.fBinary = line.fBinary;
  dcb.fParity = line.fParity;
  dcb.fOutxCtsFlow = line.fOutxCtsFlow;
  dcb.fOutxDsrFlow = line.fOutxDsrFlow;
  dcb.fDtrControl = line.fDtrControl;
  dcb.fDsrSensitivity = line.fDsrSensitivity;
  dcb.fTXContinueOnXoff = line.fTXContinueOnXoff;
  dcb.fOutX = line.fOutX;
  dcb.fInX = line.fInX;
  dcb.fErrorChar = line.fErrorChar;
  dcb.fNull = line.fNull;
  dcb.fRtsControl = line.fRtsControl;
  dcb.fAbortOnError = line.fAbortOnError;
  dcb.XonLim = line.XonLim;
  dcb.XoffLim = line.XoffLim;
  dcb.ByteSize = line.ByteSize;
  dcb.Parity = line.Parity;
  dcb.StopBits = line.StopBits;
  dcb.XonChar = line.XonChar;
  dcb.XoffChar = line.XoffChar;
  dcb.ErrorChar = line.ErrorChar;
  dcb.EofChar = line.EofChar;
  dcb.EvtChar = line.EvtChar;
  return dcb;
}

}  // namespace

Win32SerialPort::~Win32SerialPort() { CloseHandle(m_hCom); }

bool Win32SerialPort::read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error) {
  DWORD count = 0;
  const BOOL ok = ReadFile(m_hCom, buffer, maxBytes, &count, nullptr);
  bytesRead = count;
  if (!ok) error = GetLastError();
  return ok;
}

bool Win32SerialPort::write(const char* data, std::uint32_t size, std::uint32_t& written, std::uint32_t& error) {
  DWORD count = 0;
  const BOOL ok = WriteFile(m_hCom, data, size, &count, nullptr);
  written = count;
  if (!ok) error = GetLastError();
  return ok;
}

std::string Win32SerialPorts::devicePath(const std::string& comSetting) const { return "\\\\.\\COM" + comSetting; }

SerialPorts::OpenResult Win32SerialPorts::open(const std::string& devicePath, const LineSetUp& lineSetUp,
                                               const CommTimeouts& timeouts) {
  OpenResult result;
  HANDLE handle = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    result.failure = code == ERROR_ACCESS_DENIED ? Failure::Busy
                     : code == ERROR_FILE_NOT_FOUND ? Failure::NotFound
                                                    : Failure::Other;
    result.text = win32ErrorText(code);
    return result;
  }
  DCB dcb = toDcb(lineSetUp());
  COMMTIMEOUTS commTimeouts{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                            timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                            timeouts.WriteTotalTimeoutConstant};
  if (!SetCommState(handle, &dcb) || !SetCommTimeouts(handle, &commTimeouts)) {
    const DWORD code = GetLastError();
    CloseHandle(handle);
    result.failure = Failure::Other;
    result.text = win32ErrorText(code);
    return result;
  }
  result.port = std::make_unique<Win32SerialPort>(handle);
  return result;
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<SerialPorts> makeSerialPorts() { return std::make_unique<Win32SerialPorts>(); }

}  // namespace tavolin
