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

// The framing over a channel whose reads are scripted and whose writes are
// kept. read() and send() give what the framing returns, "sent" for a
// request, or the message of the error it throws. An empty read in the
// script is an idle period of the line; the end of the script a stop.
struct ScriptedLink : RavlinkChannel {
  explicit ScriptedLink(std::deque<std::string> script) : reads(std::move(script)) {}
  std::string read(bool exitOnTimeout = false) {
    return outcome([&] { return link.readRavlinkRequest(exitOnTimeout); });
  }
  std::string send(const std::string& request) {
    return outcome([&] { return link.sendRavlinkRequest(request), std::string("sent"); });
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
  template <typename Action>
  static std::string outcome(Action action) {
    try {
      return action();
    } catch (const FramingError& e) {
      return "error: " + e.message();
    }
  }

  std::deque<std::string> reads;
  std::string sent;
  std::vector<std::string> reports;
  testing::CapturedTrace captured;
  RavlinkFraming link{*this, captured.trace};
};

std::string frame(const std::string& data) { return RavlinkFraming::frame(data); }
const std::string ack{RavlinkFraming::ACK}, nak{RavlinkFraming::NAK}, signal = "\033b1;1;1*";

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

// Frames as the reader sends them: what readRavlinkRequest returns or
// throws, what it answers, and what stays in the receive buffer. Noise
// announcing 65535 bytes swallows the next frame until the line has been
// idle once; refused, the reader repeats it.
TEST(RavlinkFramingTest, ReadingFrames) {
  const std::string big = frame(std::string(200, 'x')), card = frame("card");
  std::string twoByteLength = frame(std::string(300, 'y'));  // requests have a one-byte length; readers may send more
  twoByteLength[1] = 0x01, twoByteLength[2] = 0x2C;
  twoByteLength.back() = RavlinkFraming::blockCheck(twoByteLength.data(), twoByteLength.size() - 1);
  std::string badSum = card, noEtx = card;
  badSum.back() = static_cast<char>(badSum.back() + 1);
  noEtx[noEtx.size() - 2] = 'x';
  const struct {
    const char* name;
    std::deque<std::string> reads;
    bool exitOnTimeout;
    std::string result, sent;
    std::size_t left;
  } cases[] = {
      // clang-format off
      {"several reads", {big.substr(0, 60), big.substr(60, 60), big.substr(120, 60), big.substr(180)}, false,
       std::string(200, 'x'), ack, 0},
      {"two-byte length", {twoByteLength}, false, std::string(300, 'y'), ack, 0},
      {"no data", {frame("")}, false, "", ack, 0},
      {"damaged once", {badSum, card}, false, "card", nak + ack, 0},
      {"damaged twice", {noEtx, noEtx}, false, "error: Packet discarded", nak + nak, 0},
      {"stray byte clears the buffer", {"A" + frame("x")}, false, "error: Protocol error Ravlink state", "", 0},
      {"ACK where a frame is awaited", {ack}, false, "error: Protocol error Ravlink Rx", "", 0},
      {"nothing", {}, true, "error: Cancel", "", 0},
      {"half a frame stays for the next call", {frame("half").substr(0, 5)}, true, "error: Cancel", "", 5},
      {"pauses", {card.substr(0, 1), card.substr(1, 4), card.substr(5, 3), card.substr(8)}, false, "card", ack, 0},
      {"unfinished frame dropped after an idle period", {"\x02\xff\xff", card, "", card}, false, "card", nak + ack, 0},
      {"stopped while a frame is unfinished", {"\x02\xff\xff"}, false, "error: Cancel", nak, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    ScriptedLink s(c.reads);
    EXPECT_EQ(s.read(c.exitOnTimeout), c.result) << c.name;
    EXPECT_EQ(s.sent, c.sent) << c.name;
    EXPECT_EQ(s.link.rxBuffer().size(), c.left) << c.name;
  }
}

// A request is sent once whatever the answer; a NAK is reported. Frames
// waiting when a request is to go out, or coming before its answer, are the
// reader's next readings: the request goes out, waits for its answer, and
// they are read next, unacknowledged till then, a frame still arriving too.
// Anything else waiting is out of step.
TEST(RavlinkFramingTest, SendingRequestsAndFramesAroundThem) {
  for (const char* answer : {"\x06", "\x15", ""}) {
    ScriptedLink s(*answer ? std::deque<std::string>{answer} : std::deque<std::string>{});
    EXPECT_EQ(s.send(signal), *answer ? "sent" : "error: Cancel");
    EXPECT_EQ(s.sent, frame(signal));
    const bool nakked = *answer == RavlinkFraming::NAK;
    EXPECT_EQ(s.reports.size() == 1 ? s.reports[0] : "", nakked ? "unexpected reader protocol error - ignored" : "");
    EXPECT_EQ(s.captured.text(), nakked ? "RavlinkSession::sendRavlinkRequest(): got NAK()\n" : "");
  }
  const std::string second = frame("second");
  ScriptedLink s({frame("first") + frame("second") + second.substr(0, 4), second.substr(4), ack});
  EXPECT_EQ(s.read(), "first");
  EXPECT_EQ(s.send("\x1bq0*"), "sent");
  EXPECT_EQ(s.read(), "second");
  EXPECT_EQ(s.read(), "second");
  EXPECT_EQ(s.sent, ack + frame("\x1bq0*") + ack + ack);
  s.sent.clear();
  s.reads = {frame("third") + ack};
  EXPECT_EQ(s.read(), "third");
  EXPECT_EQ(s.send("\x1bq0*"), "error: Receive buffer not empty");
  EXPECT_EQ(s.sent, ack);  // nothing was sent for the request

  ScriptedLink before({frame("next"), ack + frame("after")});
  EXPECT_EQ(before.send(signal), "sent");
  EXPECT_EQ(before.sent, frame(signal));
  EXPECT_TRUE(before.reports.empty());
  EXPECT_EQ(before.read(), "next");
  EXPECT_EQ(before.read(), "after");
  before.sent.clear();
  before.reads = {frame("unanswered")};
  EXPECT_EQ(before.send(signal), "error: Cancel");
  EXPECT_EQ(before.read(), "unanswered");
  EXPECT_EQ(before.sent, frame(signal) + ack);
}

}  // namespace
}  // namespace tavolin
