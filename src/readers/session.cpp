#include "readers/session.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <system_error>

namespace tavolin {

Session::Session(const SessionServices& services, const char* name, std::string devicePath, bool signaling,
                 bool useSound, std::string soundFile, SessionOwner& owner)
    : m_services(services),
      m_trace(services.trace),
      m_pszName(name),
      m_sDevicePath(std::move(devicePath)),
      m_pDlg(owner),
      m_bSignaling(signaling),
      m_bUseSound(useSound),
      m_sSoundFile(std::move(soundFile)) {}

Session::~Session() {
  // The derived destructors have stopped the thread; this is the last
  // guard against leaving one behind.
  if (m_hThread.joinable()) m_hThread.detach();
}

void Session::openPort(const SerialPorts::LineSetUp& line, const CommTimeouts& timeouts) {
  SerialPorts::OpenResult result = m_services.ports.open(m_sDevicePath, line, timeouts);
  if (result.port) {
    m_hCom = std::move(result.port);
    return;
  }
  fail(result.failure == SerialPorts::Failure::Busy       ? m_services.texts.comPortBusy
       : result.failure == SerialPorts::Failure::NotFound ? m_services.texts.comPortNotFound
                                                          : result.text);
}

void Session::startThread() {
  try {
    m_hThread = std::thread([this] { _run(); });
  } catch (const std::system_error& e) {
    m_hCom.reset();
    fail(m_services.system.getErrorText(static_cast<std::uint32_t>(e.code().value())));
  }
}

void Session::_run() {
  try {
    run();
    m_iExitCode = 0;
  } catch (...) {
    m_trace("%s::_run() caught an error\n", m_pszName);
    m_iExitCode = -1;
  }
}

void Session::cancelSession() {
  m_trace("%s::cancelSession() start\n", m_pszName);
  m_hCancelEvent.set();
  m_trace("%s::cancelSession(): WaitForSingleObject() Warten auf das Ende des Threads\n", m_pszName);
  // The reading thread finds the event when its read ends; ending the read
  // now spares the rest of the idle period. After the line above, so that
  // the trace reads as it does when an idle period runs out.
  if (m_hCom) m_hCom->interruptRead();
  if (m_hThread.joinable()) {
    try {
      m_hThread.join();
    } catch (const std::system_error& e) {
      m_trace("%s::cancelSession(): WaitForSingleObject() returned %d\n", m_pszName, e.code().value());
      char text[64];
      std::snprintf(text, sizeof text, "WaitForSingleObject() returned unexpected %d", e.code().value());
      fail(text);
    }
  }
  m_trace("%s::cancelSession(): Exit code of thread: %d\n", m_pszName, m_iExitCode.load());
  m_trace("%s::cancelSession() done: Thread beendet\n", m_pszName);
}

void Session::endSession(bool traceClose) {
  m_trace("~%s() start\n", m_pszName);
  try {
    cancelSession();
  } catch (const SessionError& e) {
    m_trace("~%s(): cancelSession() failed: %s\n", m_pszName, e.message().c_str());
  } catch (...) {
    m_trace("~%s(): cancelSession() mit unbekannter Exception\n", m_pszName);
  }
  m_hCom.reset();
  if (traceClose) m_trace("~%s(): CloseHandle() ok\n", m_pszName);
  m_trace("~%s() Ende\n", m_pszName);
}

void Session::setAbortEvent() {
  m_services.abortEvent.set();
  m_trace("%s::setAbortEvent() ok\n", m_pszName);
}

void Session::fail(const std::string& message) const {
  raise(message);
  throw SessionError(message);  // raise() always throws the session's own type
}

void Session::raisePortError(const char* operation, std::uint32_t error) {
  const std::string text = m_services.system.getErrorText(error);
  m_trace("%s::%s failed: %d: %s\n", m_pszName, operation, static_cast<int>(error), text.c_str());
  fail(text);
}

std::uint32_t Session::readPort(char* buffer, std::uint32_t maxBytes, bool exitOnTimeout,
                                const SerialPort::PacketComplete& complete) {
  for (;;) {
    m_trace("%s::readRaw() loop start\n", m_pszName);
    std::uint32_t bytesRead = 0;
    std::uint32_t error = 0;
    if (!m_hCom->read(buffer, maxBytes, bytesRead, error, complete)) raisePortError("ReadFile()", error);
    if (bytesRead > 0) return bytesRead;

    m_trace("%s::readRaw() timeout\n", m_pszName);
    if (exitOnTimeout) {
      m_trace("%s::ReadFile() mit bExitOnTimeout == true\n", m_pszName);
      return 0;
    }
    if (m_hCancelEvent.tryTake()) {
      m_trace("%s::readRaw(): WaitForSingleObject() Abbruch Event erhalten\n", m_pszName);
      return 0;
    }
    m_trace("%s::readRaw() WaitForSingleObject() returned: WAIT_TIMEOUT == kein Abbruch Event\n", m_pszName);
    // The idle reader gets a zero byte; a port that has gone away shows here.
    const std::uint32_t written = writePort("", 1, "readRaw() WriteFile()");
    m_trace("%s::readRaw() WriteFile() L\xe4nge Daten: %d\n", m_pszName, static_cast<int>(written));
  }
}

std::uint32_t Session::writePort(const char* data, std::uint32_t size, const char* operation) {
  std::uint32_t written = 0;
  std::uint32_t error = 0;
  if (!m_hCom->write(data, size, written, error)) raisePortError(operation, error);
  return written;
}

void Session::deliverReading(const char* reading, std::int32_t length) {
  ++m_iReadings;
  m_pDlg.ShowCounter(DisplayReadingCount, m_iReadings);
  m_pDlg.takeReading(reading, length, m_bTestMode);
  const char* logEnd = std::find(reading, reading + length, '\0');
  m_services.dataLog.writeReading(std::string_view(reading, static_cast<std::size_t>(logEnd - reading)));
}

void Session::playSignal() {
  if (m_bSignaling && m_bUseSound) m_services.sound.playAsync(m_sSoundFile);
}

void Session::traceBytes(const char* data, std::uint32_t count) {
  if (!m_trace.isOn()) return;
  for (std::uint32_t i = 0; i < count; ++i) m_trace("0x%.2x ", static_cast<unsigned char>(data[i]));
}

}  // namespace tavolin
