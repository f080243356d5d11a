#include "readers/ravlink_session.h"

namespace tavolin {

namespace {

constexpr char kSignalRequest[] = "b1;1;1*";

// The text shown for a reader type letter.
std::string readerTypeText(const std::string& letter) {
  if (letter == "A") return "LEGIC advant ";
  if (letter == "D") return "Mifare DESFire EV1 ";
  if (letter == "H") return "Hitag ";
  return letter;
}

// Replaces text by what follows its first ";"; false when there is none.
bool skipField(std::string& text) {
  const std::size_t semicolon = text.find(';');
  if (semicolon == std::string::npos) return false;
  text.erase(0, semicolon + 1);
  return true;
}

}  // namespace

DeviceControl RavlinkSession::busLine() {
  DeviceControl dcb;
  dcb.BaudRate = 19200;
  dcb.ByteSize = 8;
  dcb.Parity = DeviceControl::NoParity;
  dcb.StopBits = DeviceControl::OneStopBit;
  return dcb;
}

CommTimeouts RavlinkSession::timeouts() { return {200, 20, 500, 20, 100}; }

std::string RavlinkSession::request(const char* text) { return std::string(1, RavlinkFraming::ESC) + text; }

RavlinkSession::RavlinkSession(const SessionServices& services, const std::string& devicePath, bool signaling,
                               bool useSound, std::string soundFile, SessionOwner& owner)
    : Session(services, "RavlinkSession", devicePath, signaling, useSound, std::move(soundFile), owner),
      m_link(*this, services.trace) {
  m_trace("RavlinkSession(%s) Konstruktor\n", devicePath.c_str());
  openPort(busLine, timeouts());
  if (!getReaderInfo()) {
    m_trace("RavlinkSession() Konstruktor: getReaderInfo() failed\n");
    m_hCom.reset();
    fail(services.texts.noRavlinkReader);
  }
  try {
    const std::string release = request("l2*");
    m_link.sendRavlinkRequest(release);
    m_trace("RavlinkSession() Konstruktor: '%s' sent\n", release.c_str());
  } catch (...) {
    m_trace("RavlinkSession() Konstruktor: unerwarteter Fehler bei Leserfreigabe\n");
    m_hCom.reset();
    fail(services.texts.noRavlinkReader);
  }
  startThread();
  m_trace("RavlinkSession() Konstruktor done\n");
}

RavlinkSession::~RavlinkSession() { endSession(false); }

void RavlinkSession::raise(const std::string& message) const { throw RavlinkSessionError(message); }

std::string RavlinkSession::readRaw(bool bExitOnTimeout) {
  char buffer[readSize];
  // A frame says how long it is: the read ends with the packet the receive
  // buffer waits for, not with the line's silence after it.
  const std::string& held = m_link.rxBuffer();
  const auto complete = [&held](const char* data, std::uint32_t size) {
    return RavlinkFraming::beginsWithPacket(held, std::string_view(data, size));
  };
  const std::uint32_t count = readPort(buffer, readSize, bExitOnTimeout, complete);
  if (count > 0) m_trace("RavlinkSession::readRaw(): L\xe4nge: %d\n", static_cast<int>(count));
  return std::string(buffer, count);
}

void RavlinkSession::sendRaw(const std::string& bytes) {
  const auto size = static_cast<std::uint32_t>(bytes.size());
  const std::uint32_t written = writePort(bytes.data(), size, "sendRaw() WriteFile()");
  m_trace("RavlinkSession::sendRaw() WriteFile() L\xe4nge Daten: %d\n", static_cast<int>(written));
  if (written != size) {
    m_trace("RavlinkSession::sendRaw() WriteFile() L\xe4nge Daten: %d nicht erwartet %d\n", static_cast<int>(written),
            static_cast<int>(size));
    fail("Failed to write data");
  }
}

void RavlinkSession::reportReaderInfo(const std::string& text) {
  tavolin::reportReaderInfo(m_services.eventLog, m_sDevicePath, text);
}

bool RavlinkSession::getReaderInfo() {
  m_trace("RavlinkSession::getReaderInfo() start\n");
  try {
    const auto ask = [this](const char* text) {
      const std::string data = request(text);
      m_link.sendRavlinkRequest(data);
      m_trace("RavlinkSession::getReaderInfo() sent '%s'\n", data.c_str());
      std::string reply = m_link.readRavlinkRequest(true);
      m_trace("RavlinkSession::getReaderInfo() got '%s'\n", reply.c_str());
      return reply;
    };

    std::string a = ask("s*");
    const std::size_t star = a.rfind('*');
    if (star == std::string::npos) return false;
    a = a.size() > 2 ? a.substr(2, star) : std::string();
    const std::string field = a.substr(0, a.find(';'));
    for (int i = 0; i < 3; ++i) {
      if (!skipField(a)) return false;
    }
    const std::string typeText = readerTypeText(a.substr(0, 1));
    m_trace("RavlinkSession::getReaderInfo() Typ %s %s\n", typeText.c_str(), field.c_str());

    a = ask("o;k2;00*");
    m_link.sendRavlinkRequest(request("q0*"));
    if (a.rfind('*') == std::string::npos) return false;
    for (int i = 0; i < 4; ++i) {
      if (!skipField(a)) return false;
    }
    if (!a.empty()) a.pop_back();
    m_trace("RavlinkSession::getReaderInfo() Leserparametriernummer '%s'\n", a.c_str());

    const std::string info = typeText + field + m_services.texts.parameterization + a;
    m_pDlg.ShowMessage(DisplayReaderInfo, info, 0, 0);
    reportReaderInfo(info);
    return true;
  } catch (const RavlinkSessionError& e) {
    m_trace("RavlinkSession::getReaderInfo(): sendRavlinkRequest() or readRavlinkRequest() failed: %s\n",
            e.message().c_str());
  } catch (...) {
    m_trace("RavlinkSession::getReaderInfo(): catch error from readRavlinkRequest() or sendRavlinkRequest()\n");
  }
  return false;
}

void RavlinkSession::signalReading(const std::string& request) {
  try {
    m_link.sendRavlinkRequest(request);
  } catch (const RavlinkSessionError& e) {
    // The reading has been acknowledged and stands whatever the reader
    // makes of the request: no answer counts as a rejection. Only a stop
    // request that came during the wait ends reading.
    if (e.message() != "Cancel" || m_hCancelEvent.tryTake()) throw;
    reportReaderInfo(RavlinkFraming::ignoredProtocolError);
  }
}

void RavlinkSession::run() {
  m_trace("RavlinkSession::run() start\n");
  try {
    for (;;) {
      std::string reading = m_link.readRavlinkRequest(false);
      m_trace("RavlinkSession::run() got '%s'\n", reading.c_str());
      const std::size_t star = reading.rfind('*');
      if (star == std::string::npos) continue;
      reading.erase(star);
      for (int i = 0; i < 5; ++i) skipField(reading);
      m_trace("RavlinkSession::run() Lesung '%s'\n", reading.c_str());

      std::string sent;
      if (m_bSignaling) {
        sent = request(kSignalRequest);
        signalReading(sent);
        playSignal();
      }
      m_trace("RavlinkSession::run() '%s' sent\n", sent.c_str());
      deliverReading(reading.c_str(), static_cast<std::int32_t>(reading.size()));
    }
  } catch (const RavlinkSessionError& e) {
    m_trace("RavlinkSession::run(): catch RavlinkSessionError %s\n", e.message().c_str());
    if (e.message() == "Cancel") {
      m_trace("RavlinkSession::run() endet\n");
      return;
    }
    setAbortEvent();
    throw;
  } catch (...) {
    m_trace("RavlinkSession::run(): catch unknown error\n");
    setAbortEvent();
    throw;
  }
}

}  // namespace tavolin
