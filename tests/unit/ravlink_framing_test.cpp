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

// A channel whose reads are scripted and whose writes are kept.
class ScriptedChannel : public RavlinkChannel {
 public:
  std::string readRaw(bool) override {
    if (reads.empty()) return {};
    std::string chunk = reads.front();
    reads.pop_front();
    return chunk;
  }
  void sendRaw(const std::string& bytes) override { sent += bytes; }
  void reportReaderInfo(const std::string& text) override { reports.push_back(text); }
  void raise(const std::string& message) const override { throw FramingError(message); }

  std::deque<std::string> reads;
  std::string sent;
  std::vector<std::string> reports;
};

class RavlinkFramingTest : public ::testing::Test {
 protected:
  std::string error(const std::function<void()>& action) {
    try {
      action();
    } catch (const FramingError& e) {
      return e.message();
    }
    return "<none>";
  }

  ScriptedChannel channel;
  testing::CapturedTrace captured;
  RavlinkFraming link{channel, captured.trace};
  const std::string ack{RavlinkFraming::ACK};
  const std::string nak{RavlinkFraming::NAK};
};

TEST_F(RavlinkFramingTest, RequestFrame) {
  EXPECT_EQ(RavlinkFraming::frame("\x1bs*"), std::string("\x02\x00\x03\x1b\x73\x2a\x03\xc0", 8));
}

TEST_F(RavlinkFramingTest, FrameAssembledFromSeveralReads) {
  const std::string data(200, 'x');
  const std::string frame = RavlinkFraming::frame(data);
  ASSERT_EQ(frame.substr(1, 2), std::string("\x00\xc8", 2));
  for (std::size_t i = 0; i < frame.size(); i += 60) channel.reads.push_back(frame.substr(i, 60));
  EXPECT_EQ(link.readRavlinkRequest(false), data);
  EXPECT_EQ(channel.sent, ack);
}

TEST_F(RavlinkFramingTest, LongFrameBeyondOneByteOfLength) {
  std::string data(300, 'y');
  std::string frame = RavlinkFraming::frame(data);
  frame[1] = 0x01;  // the program writes requests with a one-byte length; readers may send more
  frame[2] = 0x2C;
  frame.back() = RavlinkFraming::blockCheck(frame.data(), frame.size() - 1);
  channel.reads.push_back(frame);
  EXPECT_EQ(link.readRavlinkRequest(false), data);
}

TEST_F(RavlinkFramingTest, TwoFramesInOneRead) {
  channel.reads.push_back(RavlinkFraming::frame("first") + RavlinkFraming::frame("second"));
  EXPECT_EQ(link.readRavlinkRequest(false), "first");
  EXPECT_EQ(error([&] { link.sendRavlinkRequest("\x1bq0*"); }), "Receive buffer not empty");
  EXPECT_EQ(channel.sent, ack);  // nothing was sent for the request
  EXPECT_EQ(link.readRavlinkRequest(false), "second");
}

TEST_F(RavlinkFramingTest, DamagedFrameIsRejectedOnce) {
  std::string bad = RavlinkFraming::frame("card");
  bad.back() = static_cast<char>(bad.back() + 1);
  channel.reads = {bad, RavlinkFraming::frame("card")};
  EXPECT_EQ(link.readRavlinkRequest(false), "card");
  EXPECT_EQ(channel.sent, nak + ack);
}

TEST_F(RavlinkFramingTest, TwoDamagedFramesAreDiscarded) {
  std::string bad = RavlinkFraming::frame("card");
  bad[bad.size() - 2] = 'x';  // no ETX
  channel.reads = {bad, bad};
  EXPECT_EQ(error([&] { link.readRavlinkRequest(false); }), "Packet discarded");
  EXPECT_EQ(channel.sent, nak + nak);
}

TEST_F(RavlinkFramingTest, StrayByteClearsTheBuffer) {
  channel.reads.push_back("A" + RavlinkFraming::frame("x"));
  EXPECT_EQ(error([&] { link.readPacket(false); }), "Protocol error Ravlink state");
  EXPECT_TRUE(link.rxBuffer().empty());
}

TEST_F(RavlinkFramingTest, AcknowledgementWhereAFrameIsAwaited) {
  channel.reads.push_back(ack);
  EXPECT_EQ(error([&] { link.readRavlinkRequest(false); }), "Protocol error Ravlink Rx");
}

TEST_F(RavlinkFramingTest, NoFrameIsCancel) {
  EXPECT_EQ(error([&] { link.readRavlinkRequest(true); }), "Cancel");
  channel.reads.push_back(RavlinkFraming::frame("half").substr(0, 5));
  EXPECT_EQ(error([&] { link.readRavlinkRequest(true); }), "Cancel");
  EXPECT_EQ(link.rxBuffer().size(), 5u);  // what came stays for the next call
}

TEST_F(RavlinkFramingTest, RequestAcknowledged) {
  channel.reads.push_back(ack);
  link.sendRavlinkRequest("\x1bl2*");
  EXPECT_EQ(channel.sent, RavlinkFraming::frame("\x1bl2*"));
  EXPECT_TRUE(channel.reports.empty());
}

TEST_F(RavlinkFramingTest, RejectedRequestIsReportedNotRepeated) {
  channel.reads.push_back(nak);
  link.sendRavlinkRequest("\x1b" "b1;1;1*");
  EXPECT_EQ(channel.sent, RavlinkFraming::frame("\x1b" "b1;1;1*"));
  EXPECT_EQ(channel.reports, std::vector<std::string>{"unexpected reader protocol error - ignored"});
  EXPECT_EQ(captured.text(), "RavlinkSession::sendRavlinkRequest(): got NAK()\n");
}

// A frame that comes before the answer to a request is the reader's next
// reading: kept unacknowledged for readRavlinkRequest, behind nothing, and
// the request waits on for its answer.
TEST_F(RavlinkFramingTest, FrameBeforeTheAnswerIsKeptForReading) {
  const std::string signal = std::string("\x1b") + "b1;1;1*";
  channel.reads = {RavlinkFraming::frame("next"), ack + RavlinkFraming::frame("after")};
  link.sendRavlinkRequest(signal);
  EXPECT_EQ(channel.sent, RavlinkFraming::frame(signal));
  EXPECT_TRUE(channel.reports.empty());
  EXPECT_EQ(link.readRavlinkRequest(false), "next");
  EXPECT_EQ(link.readRavlinkRequest(false), "after");

  channel.sent.clear();
  channel.reads = {RavlinkFraming::frame("unanswered")};
  EXPECT_EQ(error([&] { link.sendRavlinkRequest(signal); }), "Cancel");
  EXPECT_EQ(link.readRavlinkRequest(false), "unanswered");
  EXPECT_EQ(channel.sent, RavlinkFraming::frame(signal) + ack);
}

TEST_F(RavlinkFramingTest, UnansweredRequestIsCancel) {
  EXPECT_EQ(error([&] { link.sendRavlinkRequest("\x1bs*"); }), "Cancel");
}

}  // namespace
}  // namespace tavolin
