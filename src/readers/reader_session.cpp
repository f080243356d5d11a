#include "readers/reader_session.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "processing/settings_text.h"

namespace tavolin {

namespace {

constexpr char kReaderInfo[] = "active sending type, no further information available";

std::uint32_t baudRateOf(std::uint32_t speed) {
  switch (speed) {
    case 300:
    case 1200:
    case 2400:
    case 4800:
    case 9600:
    case 14400:
    case 19200:
    case 38400:
    case 57600:
    case 115200:
      return speed;
    default:
      return 9600;
  }
}

// "%lu": leading digits count; no number reads as 0.
std::uint32_t scanUnsigned(const std::string& text) {
  unsigned long value = 0;
  return std::sscanf(text.c_str(), "%lu", &value) == 1 ? static_cast<std::uint32_t>(value) : 0;
}

std::int32_t scanNumber(const std::string& text) {
  std::int32_t value = 0;
  return scanDecimal(text, value) ? value : 0;
}

}  // namespace

DeviceControl ReaderSession::setCOMProperties(const ComSettings& settings, Trace& trace) {
  DeviceControl dcb;
  const std::uint32_t speed = scanUnsigned(settings.sSpeed);
  trace("ReaderSession::setCOMProperties() Baudrate %u\n", static_cast<unsigned>(speed));
  dcb.BaudRate = baudRateOf(speed);
  dcb.fBinary = true;
  dcb.fParity = true;
  dcb.fDtrControl = DeviceControl::DtrControlEnable;
  dcb.fTXContinueOnXoff = true;
  dcb.fErrorChar = true;
  dcb.fNull = true;
  dcb.fAbortOnError = true;
  dcb.XonLim = 100;
  dcb.XoffLim = 100;

  const std::int32_t dataBits = scanNumber(settings.sDataBits);
  dcb.ByteSize = static_cast<std::uint8_t>(dataBits == 7 || dataBits == 8 ? dataBits : 8);

  dcb.Parity = settings.parity() == Parity::Odd    ? DeviceControl::OddParity
               : settings.parity() == Parity::Even ? DeviceControl::EvenParity
                                                   : DeviceControl::NoParity;
  dcb.StopBits = scanNumber(settings.sStopBits) == 2 ? DeviceControl::TwoStopBits : DeviceControl::OneStopBit;

  dcb.fRtsControl = DeviceControl::RtsControlEnable;
  if (settings.flowControl() == FlowControl::XonXoff) {
    dcb.fOutX = dcb.fInX = true;
  } else if (settings.flowControl() == FlowControl::Hardware) {
    dcb.fOutxCtsFlow = true;
    dcb.fRtsControl = DeviceControl::RtsControlHandshake;
  }
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  return dcb;
}

CommTimeouts ReaderSession::timeouts() { return {200, 20, 100, 20, 100}; }

ReaderSession::ReaderSession(const SessionServices& services, const std::string& devicePath, const ComSettings& line,
                             bool signaling, bool useSound, std::string soundFile, bool fixedLength,
                             std::int32_t byteStart, std::int32_t readingLength, SessionOwner& owner)
    : Session(services, "ReaderSession", devicePath, signaling, useSound, std::move(soundFile), owner),
      m_bFixedLength(fixedLength),
      m_iByteStart(byteStart),
      m_iByteStop(readingLength) {
  m_trace("ReaderSession(%s) Konstruktor\n", devicePath.c_str());
  // The reading and its terminating zero must fit the reading buffer.
  if (m_iByteStop < 1 || m_iByteStop >= static_cast<std::int32_t>(bufferSize)) {
    fail(services.texts.readingLengthTooLong);
  }
  openPort([this, &line] { return setCOMProperties(line, m_trace); }, timeouts());
  if (m_bFixedLength) {
    m_trace("ReaderSession() Konstruktor: Feste Lesel\xe4nge von %d Bytes\n", m_iByteStop);
  } else {
    m_trace("ReaderSession() Konstruktor: Variable Lesel\xe4nge, %d Bytes lesen\n", m_iByteStop);
  }
  startThread();
  m_pDlg.ShowMessage(DisplayReaderInfo, services.texts.readerTypeActive, 0, 0);
  reportReaderInfo(services.eventLog, m_sDevicePath, kReaderInfo);
  m_trace("ReaderSession() Konstruktor done\n");
}

ReaderSession::~ReaderSession() { endSession(true); }

void ReaderSession::raise(const std::string& message) const { throw ReaderSessionError(message); }

std::uint32_t ReaderSession::readRaw(char* buffer, std::uint32_t maxBytes) {
  const std::uint32_t count = readPort(buffer, maxBytes, false);
  if (count > 0) {
    m_trace("ReaderSession::readRaw(): L\xe4nge: %d, Daten: '", static_cast<int>(count));
    traceBytes(buffer, count);
    m_trace("'\n");
  }
  return count;
}

void ReaderSession::run() {
  m_trace("ReaderSession::run() start\n");
  char buffer[bufferSize] = {};
  const auto stop = static_cast<std::uint32_t>(m_iByteStop);
  try {
    for (;;) {
      const std::uint32_t bytesRead = readRaw(buffer, bufferSize);
      if (bytesRead == 0) {
        m_trace("ReaderSession::run(): bytesRead == 0\n");
        m_trace("ReaderSession::run() endet\n");
        return;
      }
      if (bytesRead == stop) {
        m_trace("ReaderSession::run(): bytesRead == m_iByteStop == %d\n", m_iByteStop);
        if (m_bTestMode) m_pDlg.ShowMessage(DisplayLengthWarning, "", 0, 0);
      } else {
        m_trace("ReaderSession::run(): bytesRead != m_iByteStop: %d != %d\n", static_cast<int>(bytesRead),
                m_iByteStop);
        if (m_bTestMode) m_pDlg.ShowMessage(DisplayLengthWarning, "", m_iByteStop, static_cast<int>(bytesRead));
      }
      // A longer burst is cut to the reading length; a shorter one is
      // filled with zeros, never with what an earlier burst left.
      if (bytesRead < stop) std::memset(buffer + bytesRead, 0, stop - bytesRead);
      buffer[stop] = '\0';
      m_trace("ReaderSession::run(): Daten zum Verarbeiten '");
      traceBytes(buffer, stop);
      m_trace("'\n");

      if (bytesRead < static_cast<std::uint32_t>(m_iByteStart)) {
        m_trace("ReaderSession::run(): bytesRead < m_iByteStart (%d < %d) -> verwerfen\n", static_cast<int>(bytesRead),
                m_iByteStart);
      } else {
        deliverReading(buffer, m_iByteStop);
      }
      playSignal();
    }
  } catch (const ReaderSessionError& e) {
    m_trace("ReaderSession run(): catch ReaderSessionError from readRaw(): %s\n", e.message().c_str());
    setAbortEvent();
    throw;
  } catch (...) {
    m_trace("ReaderSession run(): catch error from readRaw()\n");
    setAbortEvent();
    throw;
  }
}

}  // namespace tavolin
