#include "readers/ravlink_framing.h"

#include <gtest/gtest.h>

#include <deque>

#include "fakes/memory_text_file.h"
#include "readers/session_error.h"

namespace tavolin {
namespace {

struct FramingError : SessionError {
  using SessionError::SessionError;
};

std::string frame(const std::string& data) { return RavlinkFraming::frame(data); }
const std::string ack{RavlinkFraming::ACK}, nak{RavlinkFraming::NAK}, signal = "\033b1;1;1*";

// The framing over a channel whose reads are scripted and whose writes are
// kept. An empty read in the script is an idle period of the line; the end
// of the script a stop.
struct ScriptedLink : RavlinkChannel {
  explicit ScriptedLink(std::deque<std::string> script) : reads(std::move(script)) {}
  // What a call gives: the data read ('r', 'R' with exitOnTimeout), "sent"
  // for the signalling request ('s'), or the message of the error thrown.
  std::string call(char what) {
    try {
      if (what == 's') return link.sendRavlinkRequest(signal), "sent";
      return link.readRavlinkRequest(what == 'R');
    } catch (const FramingError& e) {
      return "error: " + e.message();
    }
  }
  std::string readRaw(bool exitOnTimeout) override {
    while (!reads.empty() && reads.front().empty() && !exitOnTimeout) reads.pop_front();  // a zero byte, and on
    std::string chunk = reads.empty() ? "" : reads.front();
    if (!reads.empty()) reads.pop_front();
    return chunk;
  }
  void sendRaw(const std::string& bytes) override { sent += bytes; }
  void reportReaderInfo(const std::string& text) override { reports.push_back(text); }
  void raise(const std::string& message) const override { throw FramingError(message); }

  std::deque<std::string> reads;
  std::string sent;
  std::vector<std::string> reports;
  testing::CapturedTrace captured;
  RavlinkFraming link{*this, captured.trace};
};

// A request frame, and where a read may end before the line goes quiet: at
// a whole packet, its first bytes held from earlier reads; anything else
// waits for the silence.
TEST(RavlinkFramingTest, RequestFramesAndWholePackets) {
  EXPECT_EQ(frame("\x1bs*"), std::string("\x02\x00\x03\x1b\x73\x2a\x03\xc0", 8));
  EXPECT_EQ(frame(std::string(200, 'x')).substr(0, 3), std::string("\x02\x00\xc8", 3));
  const std::string card = frame("card");
  const std::string big = std::string("\x02\x01\x2c", 3) + std::string(300, 'y') + "\x03?";  // 305 bytes
  const struct {
    std::string held, read;
    bool whole;
  } cases[] = {
      // clang-format off
      {"", "", false}, {"", ack, true}, {"", nak + "\x02", true}, {"", card, true}, {"", card + "\x02", true},
      {card.substr(0, 2), card.substr(2), true}, {card.substr(0, 2), "", false}, {"", card.substr(0, 8), false},
      {"", big.substr(0, 256), false}, {big.substr(0, 1), big.substr(1), true}, {"", "A", false},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RavlinkFraming::beginsWithPacket(c.held, c.read), c.whole) << c.held.size() << "+" << c.read.size();
  }
}

// Calls on a link of their own (as ScriptedLink::call takes them), what
// each gives, what was answered and sent, and what stays in the receive
// buffer. Noise announcing
// 65535 bytes swallows the next frame until the line has been idle once;
// refused, the reader repeats it. A request is sent once whatever the
// answer; only a NAK is reported. Frames waiting when a request is to go
// out, or coming before its answer, are the reader's next readings: the
// request goes out, waits for its answer, and they are read next,
// unacknowledged till then, a frame still arriving too. Anything else
// waiting is out of step.
TEST(RavlinkFramingTest, ReadingFramesAndSendingRequests) {
  const std::string big = frame(std::string(200, 'x')), card = frame("card"), second = frame("second");
  std::string twoByteLength = frame(std::string(300, 'y'));  // requests have a one-byte length; readers may send more
  twoByteLength[1] = 0x01, twoByteLength[2] = 0x2C;
  twoByteLength.back() = RavlinkFraming::blockCheck(twoByteLength.data(), twoByteLength.size() - 1);
  std::string badSum = card, noEtx = card;
  badSum.back() = static_cast<char>(badSum.back() + 1);
  noEtx[noEtx.size() - 2] = 'x';
  const struct {
    const char* name;
    std::deque<std::string> reads;
    const char* calls;
    std::vector<std::string> results;
    std::string sent;
    std::size_t left = 0;
    bool nakReported = false;
  } cases[] = {
      // clang-format off
      {"several reads", {big.substr(0, 60), big.substr(60, 60), big.substr(120, 60), big.substr(180)}, "r",
       {std::string(200, 'x')}, ack},
      {"two-byte length", {twoByteLength}, "r", {std::string(300, 'y')}, ack},
      {"no data", {frame("")}, "r", {""}, ack},
      {"damaged once", {badSum, card}, "r", {"card"}, nak + ack},
      {"damaged twice", {noEtx, noEtx}, "r", {"error: Packet discarded"}, nak + nak},
      {"stray byte clears the buffer", {"A" + frame("x")}, "r", {"error: Protocol error Ravlink state"}, ""},
      {"ACK where a frame is awaited", {ack}, "r", {"error: Protocol error Ravlink Rx"}, ""},
      {"nothing", {}, "R", {"error: Cancel"}, ""},
      {"half a frame stays for the next call", {frame("half").substr(0, 5)}, "R", {"error: Cancel"}, "", 5},
      {"pauses", {card.substr(0, 1), card.substr(1, 4), card.substr(5, 3), card.substr(8)}, "r", {"card"}, ack},
      {"unfinished frame dropped after an idle period", {"\x02\xff\xff", card, "", card}, "r", {"card"}, nak + ack},
      {"stopped while a frame is unfinished", {"\x02\xff\xff"}, "r", {"error: Cancel"}, nak},
      {"request acknowledged", {ack}, "s", {"sent"}, frame(signal)},
      {"request refused", {nak}, "s", {"sent"}, frame(signal), 0, true},
      {"request unanswered", {}, "s", {"error: Cancel"}, frame(signal)},
      {"frames waiting and arriving", {frame("first") + second + second.substr(0, 4), second.substr(4), ack}, "rsrr",
       {"first", "sent", "second", "second"}, ack + frame(signal) + ack + ack},
      {"an ACK waiting", {frame("third") + ack}, "rs", {"third", "error: Receive buffer not empty"}, ack, 1},
      {"frames before the answer", {frame("next"), ack + frame("after")}, "srr", {"sent", "next", "after"},
       frame(signal) + ack + ack},
      {"a frame and no answer", {frame("unanswered")}, "sr", {"error: Cancel", "unanswered"}, frame(signal) + ack},
      // clang-format on
  };
  for (const auto& c : cases) {
    ScriptedLink s(c.reads);
    std::vector<std::string> results;
    for (const char* call = c.calls; *call != '\0'; ++call) results.push_back(s.call(*call));
    EXPECT_EQ(results, c.results) << c.name;
    EXPECT_EQ(s.sent, c.sent) << c.name;
    EXPECT_EQ(s.link.rxBuffer().size(), c.left) << c.name;
    EXPECT_EQ(s.reports, std::vector<std::string>(c.nakReported, "unexpected reader protocol error - ignored"))
        << c.name;
    EXPECT_EQ(s.captured.contains("RavlinkSession::sendRavlinkRequest(): got NAK()\n"), c.nakReported) << c.name;
  }
}

}  // namespace
}  // namespace tavolin
