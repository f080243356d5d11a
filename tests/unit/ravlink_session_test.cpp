#include "readers/ravlink_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "bus_reader.h"
#include "fakes/named_params.h"
#include "fakes/session_fixture.h"

namespace tavolin {
namespace {

using Error = RavlinkSession::RavlinkSessionError;

class RavlinkSessionTest : public ::testing::Test, protected testing::SessionFixture {
 protected:
  RavlinkSessionTest() {
    ports.port.onWrite = [this](const std::string& bytes) {
      if (bytes == RavlinkFraming::frame("\x1b" + unanswered)) {
        if (whileUnanswered) whileUnanswered();
        return;
      }
      std::lock_guard<std::mutex> lock(m_readerMutex);
      if (readerPresent) reader.receive(bytes);
    };
  }

  std::unique_ptr<RavlinkSession> start(bool signaling = true, bool useSound = false) {
    return std::make_unique<RavlinkSession>(services(), "\\\\.\\COM2", signaling, useSound, "beep.wav", owner);
  }

  template <typename Action>
  void withReader(Action action) {
    std::lock_guard<std::mutex> lock(m_readerMutex);
    action(reader);
  }

  void sendCard(const std::string& data) {
    withReader([&](readersim::BusReader& r) { r.sendFrames({data}); });
  }

  bool sent(const std::string& request) const {
    return ports.port.written().find(RavlinkFraming::frame("\x1b" + request)) != std::string::npos;
  }

  bool readerPresent = true;
  std::string unanswered;                 // a request the reader leaves without an answer
  std::function<void()> whileUnanswered;  // runs on the reading thread as that request goes out
  readersim::BusReader reader{[this](const std::string& bytes) { ports.port.deliver(bytes); }};

 private:
  std::mutex m_readerMutex;
};

TEST_F(RavlinkSessionTest, IdentifiesAndReleasesTheReader) {
  auto session = start();
  EXPECT_EQ(owner.calls(),
            std::vector<std::string>{"ShowMessage 5 'Mifare DESFire EV1 F1\nParameterization 12345' 0 0"});
  EXPECT_EQ(eventLog.entries(),
            std::vector<std::string>{
                "8 information: Elvor Tavolin|Version 2.10.00|\\\\.\\COM2|Mifare DESFire EV1 F1\nParameterization 12345"});
  const std::string written = ports.port.written();
  std::size_t at = 0;
  for (const char* request : {"s*", "o;k2;00*", "q0*", "l2*"}) {
    const std::size_t found = written.find(RavlinkFraming::frame(std::string("\x1b") + request), at);
    ASSERT_NE(found, std::string::npos) << request;
    at = found;
  }
  EXPECT_EQ(ports.lastLine.BaudRate, 19200u);
  EXPECT_EQ(ports.lastLine.ByteSize, 8);
  EXPECT_FALSE(ports.lastLine.fNull || ports.lastLine.fAbortOnError || ports.lastLine.fBinary);
  EXPECT_EQ(ports.lastTimeouts.ReadTotalTimeoutMultiplier * 132 + ports.lastTimeouts.ReadTotalTimeoutConstant, 3140u);
}

struct ReaderType {
  const char* name;
  const char* letter;
  const char* shown;
};

class ReaderTypes : public RavlinkSessionTest, public ::testing::WithParamInterface<ReaderType> {};

TEST_P(ReaderTypes, AreShownWithTheirText) {
  reader.typeLetter = GetParam().letter;
  reader.info = "V2";
  reader.parameterization = "4711";
  auto session = start();
  EXPECT_EQ(owner.calls().at(0), std::string("ShowMessage 5 '") + GetParam().shown + "' 0 0");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Letters, ReaderTypes, ::testing::Values(
    ReaderType{"Legic", "A", "LEGIC advant V2\nParameterization 4711"},
    ReaderType{"Desfire", "D", "Mifare DESFire EV1 V2\nParameterization 4711"},
    ReaderType{"Hitag", "H", "Hitag V2\nParameterization 4711"},
    ReaderType{"Unlisted", "X", "XV2\nParameterization 4711"}),
    testing::NamedParam());
// clang-format on

TEST_F(RavlinkSessionTest, GermanBuildShowsParametrierung) {
  RavlinkSession session(services(BuildTexts::german()), "\\\\.\\COM2", true, false, "", owner);
  EXPECT_EQ(owner.calls().at(0), "ShowMessage 5 'Mifare DESFire EV1 F1\nParametrierung 12345' 0 0");
}

TEST_F(RavlinkSessionTest, NoReaderNoSession) {
  readerPresent = false;
  try {
    start();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), " No Ravlink reader?");
  }
  EXPECT_TRUE(traced("RavlinkSession::getReaderInfo(): sendRavlinkRequest() or readRavlinkRequest() failed: Cancel\n"));
  EXPECT_TRUE(traced("RavlinkSession() Konstruktor: getReaderInfo() failed\n"));
}

TEST_F(RavlinkSessionTest, ReleaseRejectedNoSession) {
  unanswered = "l2*";  // identification works; the release is not answered
  EXPECT_THROW(start(), Error);
  EXPECT_TRUE(sent("l2*"));
  EXPECT_TRUE(traced("RavlinkSession() Konstruktor: unerwarteter Fehler bei Leserfreigabe\n"));
}

TEST_F(RavlinkSessionTest, ReadingIsCutAfterFiveFieldsSignalledAndLogged) {
  system.environment["APPDATA"] = "C:\\AppData";
  system.directories.insert("C:\\AppData\\TavolinLog");
  setUpTraceAndDataLog(system, captured.trace, dataLog);
  system.now = {2014, 2, 1, 9, 5, 3};
  auto session = start(true, true);
  struct Case {
    std::string frame, reading;
  };
  const Case cases[] = {
      {"a;b;c;d;e;12345678*", "12345678"},
      {"x;42*", "42"},
      {"ABC*trailer", "ABC"},
      {"1;2;3;4;5;6;7*", "6;7"},
      {std::string("a;b;c;d;e;12") + '\0' + "34*", std::string("12") + '\0' + "34"},  // logged up to the zero
  };
  std::string log;
  for (const Case& c : cases) {
    sendCard(c.frame);
    ASSERT_TRUE(owner.waitFor("Typed " + c.reading)) << c.frame;
    log += "01.02.2014 09:05:03: data: " + c.reading.substr(0, c.reading.find('\0')) + "\n";
  }
  EXPECT_TRUE(owner.waitFor("ShowCounter 3 5"));
  EXPECT_EQ(sound.played(), 5u);
  session.reset();
  EXPECT_TRUE(sent("b1;1;1*"));
  EXPECT_EQ(system.content("C:\\AppData\\TavolinLog\\Datalog20140512_08_03_07-01.txt"), log);
}

TEST_F(RavlinkSessionTest, FrameWithoutStarIsOnlyAcknowledged) {
  auto session = start();
  sendCard("a;b;c;d;e;12345678");
  sendCard("a;b;c;d;e;9*");
  ASSERT_TRUE(owner.waitFor("Typed 9"));
  EXPECT_TRUE(owner.waitFor("ShowCounter 3 1"));
  session.reset();
  EXPECT_FALSE(owner.waitFor("ShowCounter 3 2", std::chrono::milliseconds(0)));
}

TEST_F(RavlinkSessionTest, TestModeShowsInsteadOfTyping) {
  auto session = start(false, true);
  session->setTestMode(true);
  sendCard("a;b;c;d;e;1234*");
  ASSERT_TRUE(owner.waitFor("Shown 1234"));
  session.reset();
  EXPECT_FALSE(sent("b1;1;1*"));
  EXPECT_EQ(sound.played(), 0u);  // no signalling, no sound
}

// A reader that rejects the signalling request or leaves it unanswered has
// still had its reading acknowledged: it is reported, counted and typed, and
// reading goes on.
TEST_F(RavlinkSessionTest, RejectedOrUnansweredSignallingIsReportedAndTheReadingTyped) {
  auto session = start();
  const std::string ignored =
      "8 information: Elvor Tavolin|Version 2.10.00|\\\\.\\COM2|unexpected reader protocol error - ignored";
  int count = 0;
  using readersim::BusReader;
  for (bool BusReader::*fault : {&BusReader::nakNextRequest, &BusReader::ignoreNextRequest}) {
    withReader([&](BusReader& r) { r.*fault = true; });
    const std::string reading = "7" + std::to_string(++count);
    sendCard("a;b;c;d;e;" + reading + "*");
    ASSERT_TRUE(owner.waitFor("Typed " + reading));
    EXPECT_TRUE(owner.waitFor("ShowCounter 3 " + std::to_string(count)));
    const auto entries = eventLog.entries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), ignored), count);
  }
  sendCard("a;b;c;d;e;79*");
  ASSERT_TRUE(owner.waitFor("Typed 79"));
  session.reset();
  EXPECT_TRUE(traced("RavlinkSession::cancelSession(): Exit code of thread: 0\n"));
  EXPECT_FALSE(abortEvent.tryTake());
}

// A stop while the reader is asked to signal ends reading quietly.
TEST_F(RavlinkSessionTest, StopWhileSignallingEndsQuietly) {
  unanswered = "b1;1;1*";
  whileUnanswered = [this] {  // until the stop request has been made
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!traced("RavlinkSession::cancelSession(): WaitForSingleObject() Warten auf das Ende des Threads\n") &&
           std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };
  auto session = start();
  sendCard("a;b;c;d;e;77*");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!sent("b1;1;1*") && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  session.reset();
  EXPECT_TRUE(traced("RavlinkSession::run() endet\n"));
  EXPECT_TRUE(traced("RavlinkSession::cancelSession(): Exit code of thread: 0\n"));
  EXPECT_FALSE(abortEvent.tryTake());
}

// A reader with readings queued sends the next frame as soon as it has our
// acknowledgement, so it arrives while the reader is asked to signal the
// last one: every reading is still taken, once and in order.
TEST_F(RavlinkSessionTest, FramesSentRightAfterTheirAcknowledgementAreAllRead) {
  auto session = start();
  std::vector<std::string> frames, expected;
  for (int i = 0; i < 30; ++i) {
    frames.push_back("a;b;c;d;e;" + std::to_string(100 + i) + "*");
    expected.push_back("Typed " + std::to_string(100 + i));
  }
  withReader([&](readersim::BusReader& r) { r.queueFrames(frames); });
  ASSERT_TRUE(owner.waitFor("ShowCounter 3 30", std::chrono::seconds(5)));
  session.reset();
  std::vector<std::string> typed;
  for (const std::string& call : owner.calls()) {
    if (call.rfind("Typed", 0) == 0) typed.push_back(call);
  }
  EXPECT_EQ(typed, expected);
  EXPECT_EQ(eventLog.entries().size(), 1u);  // only the reader's identity
  EXPECT_FALSE(abortEvent.tryTake());
}

TEST_F(RavlinkSessionTest, DamagedFrameIsRepeated) {
  auto session = start();
  withReader([](readersim::BusReader& r) { r.damageNextFrame = true; });
  sendCard("a;b;c;d;e;5*");
  ASSERT_TRUE(owner.waitFor("Typed 5"));
  EXPECT_TRUE(owner.waitFor("ShowCounter 3 1"));
}

TEST_F(RavlinkSessionTest, StopWhileIdleEndsQuietly) {
  auto session = start();
  session.reset();
  EXPECT_TRUE(traced("RavlinkSession::run() endet\n"));
  EXPECT_TRUE(traced("RavlinkSession::cancelSession(): Exit code of thread: 0\n"));
  EXPECT_TRUE(traced("~RavlinkSession() Ende\n"));
  EXPECT_FALSE(abortEvent.tryTake());
}

TEST_F(RavlinkSessionTest, FailingPortIsAFailure) {
  auto session = start();
  ports.port.fail();
  ASSERT_TRUE(abortEvent.waitFor(std::chrono::seconds(5)));
  session.reset();
  EXPECT_TRUE(traced("RavlinkSession::cancelSession(): Exit code of thread: -1\n"));
}

}  // namespace
}  // namespace tavolin
