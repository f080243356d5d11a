#include "readers/ravlink_framing.h"

#include "readers/session_error.h"

namespace tavolin {

namespace {

constexpr char kCancel[] = "Cancel";

std::size_t frameLength(const std::string& buffer) {
  return (static_cast<std::size_t>(static_cast<unsigned char>(buffer[1])) << 8 |
          static_cast<unsigned char>(buffer[2])) +
         5;
}

}  // namespace

void RavlinkFraming::fail(const char* message) const {
  m_channel.raise(message);
  throw SessionError(message);  // raise() always throws the session's own type
}

char RavlinkFraming::blockCheck(const char* data, std::size_t size) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < size; ++i) sum += static_cast<unsigned char>(data[i]);
  return static_cast<char>(sum & 0xFF);
}

bool RavlinkFraming::beginsWithPacket(std::string_view held, std::string_view read) {
  const std::size_t size = held.size() + read.size();
  const auto at = [&](std::size_t i) {
    return static_cast<unsigned char>(i < held.size() ? held[i] : read[i - held.size()]);
  };
  if (size == 0) return false;
  if (at(0) == ACK || at(0) == NAK) return true;
  return at(0) == STX && size >= 3 && size >= (static_cast<std::size_t>(at(1)) << 8 | at(2)) + 5;
}

std::string RavlinkFraming::frame(const std::string& data) {
  std::string result;
  result.reserve(data.size() + 5);
  result += STX;
  result += '\0';
  result += static_cast<char>(data.size() & 0xFF);
  result += data;
  result += ETX;
  result += blockCheck(result.data(), result.size());
  return result;
}

bool RavlinkFraming::takePacket(std::string& packet) {
  if (m_sRxBuffer.empty()) return false;
  const char first = m_sRxBuffer[0];
  std::size_t size = 0;
  if (first == ACK || first == NAK) {
    size = 1;
  } else if (first == STX) {
    if (m_sRxBuffer.size() < 3 || m_sRxBuffer.size() < frameLength(m_sRxBuffer)) return false;
    size = frameLength(m_sRxBuffer);
  } else {
    m_sRxBuffer.clear();
    fail("Protocol error Ravlink state");
  }
  packet = m_sRxBuffer.substr(0, size);
  m_sRxBuffer.erase(0, size);
  return true;
}

std::string RavlinkFraming::readPacket(bool bExitOnTimeout) {
  std::string packet;
  while (!takePacket(packet)) {
    // While a frame is begun, a read ends with the line's idle period too:
    // a frame still unfinished after a whole idle period never will be
    // (noise announced it, or its end was lost), and waiting on for it
    // would swallow every frame after it.
    const bool begun = !m_sRxBuffer.empty();
    const std::string bytes = m_channel.readRaw(bExitOnTimeout || begun);
    if (bytes.empty()) {
      if (bExitOnTimeout || !begun) return {};
      dropUnfinishedFrame();
      continue;
    }
    m_sRxBuffer += bytes;
  }
  return packet;
}

// The reader repeats a frame it was refused, so the next good frame is read.
void RavlinkFraming::dropUnfinishedFrame() {
  m_trace("RavlinkSession::readPacket(): unvollst\xe4ndiger Rahmen nach Ruhezeit verworfen, L\xe4nge: %d\n",
          static_cast<int>(m_sRxBuffer.size()));
  m_sRxBuffer.clear();
  sendByte(NAK);
}

std::string RavlinkFraming::readRavlinkRequest(bool bExitOnTimeout) {
  for (int frames = 0;; ++frames) {
    if (frames == 2) fail("Packet discarded");
    const std::string packet = readPacket(bExitOnTimeout);
    if (packet.empty()) fail(kCancel);
    if (packet[0] != STX) fail("Protocol error Ravlink Rx");
    const bool correct = packet.size() >= 5 && packet.size() == frameLength(packet) &&
                         packet[packet.size() - 2] == ETX &&
                         packet.back() == blockCheck(packet.data(), packet.size() - 1);
    if (correct) {
      sendByte(ACK);
      return packet.substr(3, packet.size() - 5);
    }
    sendByte(NAK);
  }
}

void RavlinkFraming::sendRavlinkRequest(const std::string& request) {
  // Frames the reader sent before the request (two readings in one read,
  // or one still arriving) are its next readings: set aside whole and read
  // after the answer. Anything else waiting means the line is out of step.
  std::string kept;
  while (!m_sRxBuffer.empty() && m_sRxBuffer[0] == STX) {
    const std::string frame = readPacket(true);
    if (frame.empty()) break;
    kept += frame;
  }
  if (!m_sRxBuffer.empty()) {
    m_sRxBuffer.insert(0, kept);
    fail("Receive buffer not empty");
  }
  try {
    m_channel.sendRaw(frame(request));
  } catch (const SessionError& e) {
    m_trace("RavlinkSession::sendRavlinkRequest(): sendRaw() failed: %s\n", e.message().c_str());
    throw;
  } catch (...) {
    m_trace("RavlinkSession::sendRavlinkRequest(): catch error from sendRaw()\n");
    throw;
  }
  // A reader with readings queued may send the next one right after our
  // acknowledgement of the last, ahead of its answer to this request. Such
  // frames are left in the receive buffer, in order, for the reading loop,
  // which checks and acknowledges them; the request still waits for its
  // own answer.
  std::string reply;
  while (!(reply = readPacket(true)).empty() && reply[0] == STX) kept += reply;
  m_sRxBuffer.insert(0, kept);
  if (reply.empty()) fail(kCancel);
  if (reply[0] == ACK) return;
  m_trace("RavlinkSession::sendRavlinkRequest(): got NAK()\n");
  m_channel.reportReaderInfo(ignoredProtocolError);
}

}  // namespace tavolin
