#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "services/trace.h"

namespace tavolin {

// What the bus framing needs of its session: raw reads and writes on the
// port, the event-log entry for an ignored protocol error, and the
// session's error type.
class RavlinkChannel {
 public:
  virtual ~RavlinkChannel() = default;
  // The bytes of one port read, or empty when the read found nothing and
  // either bExitOnTimeout is set or the session was cancelled.
  virtual std::string readRaw(bool bExitOnTimeout) = 0;
  virtual void sendRaw(const std::string& bytes) = 0;
  virtual void reportReaderInfo(const std::string& text) = 0;
  // Throws the session's error type; never returns.
  virtual void raise(const std::string& message) const = 0;
};

// Frames of the Ravlink bus: STX, 16-bit length, data, ETX, block check;
// ACK and NAK outside frames. Used by one thread at a time.
class RavlinkFraming {
 public:
  static constexpr char STX = 0x02;
  static constexpr char ETX = 0x03;
  static constexpr char ACK = 0x06;
  static constexpr char NAK = 0x15;
  static constexpr char ESC = 0x1B;
  static constexpr std::size_t maxFrameSize = 0xFFFF + 5;
  // The event-log text of a request the reader did not accept.
  static constexpr char ignoredProtocolError[] = "unexpected reader protocol error - ignored";

  RavlinkFraming(RavlinkChannel& channel, Trace& trace) : m_channel(channel), m_trace(trace) {}

  // The frame of a request: STX, 0, length, data, ETX, block check.
  static std::string frame(const std::string& data);
  // The sum of the bytes, modulo 256.
  static char blockCheck(const char* data, std::size_t size);
  // Whether the bytes held followed by the bytes read begin with a whole
  // packet: an ACK, a NAK, or a frame as long as its length field says.
  static bool beginsWithPacket(std::string_view held, std::string_view read);

  void sendByte(char byte) { m_channel.sendRaw(std::string(1, byte)); }
  // The next packet: one ACK, one NAK or one whole frame; empty when the
  // read ended without one (bExitOnTimeout: an idle period; otherwise the
  // session was cancelled). A frame left unfinished for a whole idle period
  // while waiting for readings is dropped and refused with a NAK.
  std::string readPacket(bool bExitOnTimeout);
  // The data of the next correct frame, acknowledged.
  std::string readRavlinkRequest(bool bExitOnTimeout);
  // Sends a request and takes the reader's answer to it: done on ACK,
  // reported and done on NAK, "Cancel" when none comes. Frames waiting
  // before it and frames that arrive before the answer are kept for
  // readRavlinkRequest.
  void sendRavlinkRequest(const std::string& request);

  const std::string& rxBuffer() const { return m_sRxBuffer; }

 private:
  bool takePacket(std::string& packet);
  void dropUnfinishedFrame();
  [[noreturn]] void fail(const char* message) const;

  RavlinkChannel& m_channel;
  Trace& m_trace;
  std::string m_sRxBuffer;  // received, not yet taken as a packet
};

}  // namespace tavolin
