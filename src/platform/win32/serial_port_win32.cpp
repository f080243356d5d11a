#include "platform/win32/serial_port_win32.h"

#include "platform/platform.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

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

COMMTIMEOUTS toCommTimeouts(const CommTimeouts& timeouts) {
  return {timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier, timeouts.ReadTotalTimeoutConstant,
          timeouts.WriteTotalTimeoutMultiplier, timeouts.WriteTotalTimeoutConstant};
}

using Clock = std::chrono::steady_clock;

DWORD remainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<DWORD>(left) : 0;
}

}  // namespace

std::unique_ptr<Win32SerialPort> Win32SerialPort::make(void* handle, const CommTimeouts& timeouts,
                                                       std::uint32_t& error) {
  std::unique_ptr<Win32SerialPort> port(new Win32SerialPort(handle, timeouts));
  port->m_hInterrupt = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  port->m_hReadDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  port->m_hWriteDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (port->m_hInterrupt && port->m_hReadDone && port->m_hWriteDone) return port;
  error = GetLastError();
  return nullptr;  // its destructor closed the port and the events made
}

Win32SerialPort::~Win32SerialPort() {
  CloseHandle(m_hCom);
  for (HANDLE event : {m_hInterrupt, m_hReadDone, m_hWriteDone}) {
    if (event) CloseHandle(event);
  }
}

void Win32SerialPort::interruptRead() { SetEvent(m_hInterrupt); }

bool Win32SerialPort::read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error,
                           const PacketComplete& complete) {
  bytesRead = 0;
  if (WaitForSingleObject(m_hInterrupt, 0) == WAIT_OBJECT_0) return true;
  Outcome outcome = Outcome::Failed;
  if (complete) {
    outcome = readUntilComplete(buffer, maxBytes, bytesRead, error, complete);
  } else if (driverTimesReads(true, error)) {
    outcome = readOnce(buffer, maxBytes, INFINITE, bytesRead, error);
  }
  if (outcome == Outcome::Interrupted) bytesRead = 0;
  return outcome != Outcome::Failed;
}

Win32SerialPort::Outcome Win32SerialPort::readOnce(char* buffer, std::uint32_t size, std::uint32_t waitMs,
                                                   std::uint32_t& got, std::uint32_t& error) {
  got = 0;
  OVERLAPPED overlapped{};
  overlapped.hEvent = m_hReadDone;
  DWORD count = 0;
  if (ReadFile(m_hCom, buffer, size, &count, &overlapped)) {
    got = count;
    return Outcome::Done;
  }
  DWORD code = GetLastError();
  if (code != ERROR_IO_PENDING) {
    error = code;
    return Outcome::Failed;
  }
  HANDLE events[2] = {m_hReadDone, m_hInterrupt};
  const DWORD which = WaitForMultipleObjects(2, events, FALSE, waitMs);
  const DWORD waitError = which == WAIT_FAILED ? GetLastError() : 0;
  // The read must be over before its OVERLAPPED goes.
  if (which != WAIT_OBJECT_0) CancelIoEx(m_hCom, &overlapped);
  const BOOL ok = GetOverlappedResult(m_hCom, &overlapped, &count, TRUE);
  code = ok ? 0 : GetLastError();
  if (which == WAIT_FAILED) {
    error = waitError;
    return Outcome::Failed;
  }
  if (which == WAIT_OBJECT_0 + 1) return Outcome::Interrupted;
  // A read ends without failure by the driver's time-outs (wine reports
  // them as ERROR_TIMEOUT) or by the time limit here.
  got = count;
  if (ok || code == ERROR_TIMEOUT || (code == ERROR_OPERATION_ABORTED && which == WAIT_TIMEOUT)) {
    return Outcome::Done;
  }
  error = code;
  return Outcome::Failed;
}

Win32SerialPort::Outcome Win32SerialPort::readUntilComplete(char* buffer, std::uint32_t maxBytes,
                                                            std::uint32_t& bytesRead, std::uint32_t& error,
                                                            const PacketComplete& complete) {
  if (!driverTimesReads(false, error)) return Outcome::Failed;
  const Clock::time_point total =
      Clock::now() +
      std::chrono::milliseconds(m_timeouts.ReadTotalTimeoutMultiplier * maxBytes + m_timeouts.ReadTotalTimeoutConstant);
  const auto interval = std::chrono::milliseconds(m_timeouts.ReadIntervalTimeout);
  Clock::time_point lastByte{};
  while (bytesRead < maxBytes) {
    const DWORD wait = remainingMs(bytesRead == 0 ? total : std::min(total, lastByte + interval));
    if (wait == 0) break;
    // What the driver holds is read at once; with nothing there, the read
    // of one byte waits for the next.
    COMSTAT status{};
    DWORD errors = 0;
    const DWORD held = ClearCommError(m_hCom, &errors, &status) ? status.cbInQue : 0;
    const DWORD want = std::max<DWORD>(1, std::min<DWORD>(held, maxBytes - bytesRead));
    std::uint32_t got = 0;
    const Outcome outcome = readOnce(buffer + bytesRead, want, wait, got, error);
    if (outcome != Outcome::Done) return outcome;
    if (got == 0) break;  // the line stayed quiet
    bytesRead += got;
    lastByte = Clock::now();
    if (complete(buffer, bytesRead)) break;
  }
  return Outcome::Done;
}

bool Win32SerialPort::driverTimesReads(bool yes, std::uint32_t& error) {
  if (m_bDriverTimesReads == yes) return true;
  COMMTIMEOUTS timeouts = toCommTimeouts(m_timeouts);
  // No read time-outs at all: a read ends when the bytes asked for are there.
  if (!yes) timeouts.ReadIntervalTimeout = timeouts.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutConstant = 0;
  if (!SetCommTimeouts(m_hCom, &timeouts)) {
    error = GetLastError();
    return false;
  }
  m_bDriverTimesReads = yes;
  return true;
}

bool Win32SerialPort::write(const char* data, std::uint32_t size, std::uint32_t& written, std::uint32_t& error) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = m_hWriteDone;
  DWORD count = 0;
  BOOL ok = WriteFile(m_hCom, data, size, &count, &overlapped);
  DWORD code = ok ? 0 : GetLastError();
  if (code == ERROR_IO_PENDING) {
    ok = GetOverlappedResult(m_hCom, &overlapped, &count, TRUE);
    code = ok ? 0 : GetLastError();
  }
  // A write time-out leaves fewer bytes written; wine reports it as ERROR_TIMEOUT.
  if (code == ERROR_TIMEOUT) ok = TRUE;
  written = count;
  if (!ok) error = code;
  return ok;
}

std::string Win32SerialPorts::devicePath(const std::string& comSetting) const { return "\\\\.\\COM" + comSetting; }

std::vector<SerialPorts::PortChoice> Win32SerialPorts::portChoices(const std::string&) const {
  std::vector<PortChoice> choices;
  for (int port = 1; port <= 256; ++port) choices.push_back({std::to_string(port), std::to_string(port)});
  return choices;
}

// A port the system knows has a DOS device name ("COM3").
bool Win32SerialPorts::deviceExists(const std::string& devicePath) const {
  const std::string name = devicePath.rfind("\\\\.\\", 0) == 0 ? devicePath.substr(4) : devicePath;
  char target[512];
  return QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
}

SerialPorts::OpenResult Win32SerialPorts::open(const std::string& devicePath, const LineSetUp& lineSetUp,
                                               const CommTimeouts& timeouts) {
  OpenResult result;
  // Overlapped, so that a read can be waited for together with a stop request.
  HANDLE handle = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    result.failure = code == ERROR_ACCESS_DENIED    ? Failure::Busy
                     : code == ERROR_FILE_NOT_FOUND ? Failure::NotFound
                                                    : Failure::Other;
    result.text = win32ErrorText(code);
    return result;
  }
  DCB dcb = toDcb(lineSetUp());
  COMMTIMEOUTS commTimeouts = toCommTimeouts(timeouts);
  if (!SetCommState(handle, &dcb) || !SetCommTimeouts(handle, &commTimeouts)) {
    const DWORD code = GetLastError();
    CloseHandle(handle);
    result.failure = Failure::Other;
    result.text = win32ErrorText(code);
    return result;
  }
  std::uint32_t error = 0;
  result.port = Win32SerialPort::make(handle, timeouts, error);
  if (!result.port) {
    result.failure = Failure::Other;
    result.text = win32ErrorText(error);
  }
  return result;
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<SerialPorts> makeSerialPorts() { return std::make_unique<Win32SerialPorts>(); }

}  // namespace tavolin
