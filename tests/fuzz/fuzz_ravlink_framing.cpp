// The bus framing over a channel whose reads come from the fuzzer: the
// reading loop's and the requests' calls in the order the input gives,
// until the first error ends the session. Every packet is one ACK, one NAK
// or one whole frame; a frame's data are returned only after an ACK went
// out, and they are bytes the reader sent.
#include "fakes/memory_text_file.h"
#include "fuzz/fuzz_input.h"
#include "readers/ravlink_framing.h"
#include "readers/session_error.h"

namespace tavolin::fuzzing {

struct ChannelError : SessionError {
  using SessionError::SessionError;
};

struct ScriptedChannel : RavlinkChannel {
  explicit ScriptedChannel(FuzzInput& input) : input(input) {}
  std::string readRaw(bool) override {
    const std::string chunk = input.text(140);  // an empty chunk is a quiet line
    return received += chunk, chunk;
  }
  void sendRaw(const std::string& bytes) override { sent += bytes; }
  void reportReaderInfo(const std::string&) override {}
  void raise(const std::string& message) const override { throw ChannelError(message); }

  FuzzInput& input;
  std::string received, sent;
};

void fuzzOne(FuzzInput& input) {
  ScriptedChannel channel(input);
  testing::CapturedTrace captured;
  RavlinkFraming link(channel, captured.trace);
  try {
    while (!input.empty()) {
      const std::uint8_t call = input.byte() % 3;
      if (call == 0) {
        const std::string reading = link.readRavlinkRequest(input.flag());
        check(!channel.sent.empty() && channel.sent.back() == RavlinkFraming::ACK);
        check(channel.received.find(reading) != std::string::npos);
      } else if (call == 1) {
        const std::string request = input.text(20);
        const std::size_t before = channel.sent.size();
        link.sendRavlinkRequest(request);
        check(channel.sent.compare(before, std::string::npos, RavlinkFraming::frame(request)) == 0);
      } else if (const std::string packet = link.readPacket(input.flag()); packet.size() == 1) {
        check(packet[0] == RavlinkFraming::ACK || packet[0] == RavlinkFraming::NAK);
      } else if (!packet.empty()) {
        const std::size_t stated = static_cast<unsigned char>(packet[1]) * 256u + static_cast<unsigned char>(packet[2]);
        check(packet[0] == RavlinkFraming::STX && packet.size() == stated + 5);
      }
    }
  } catch (const ChannelError&) {
    // The session ends here.
  }
}

}  // namespace tavolin::fuzzing
