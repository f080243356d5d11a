#include "readers/ravlink_session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "bus_reader.h"
#include "fakes/named_params.h"
#include "fakes/session_fixture.h"

namespace tavolin {
namespace {

using Error = RavlinkSession::RavlinkSessionError;
using readersim::BusReader;
using testing::waitUntil;
constexpr std::size_t npos = std::string::npos;

class RavlinkSessionTest : public ::testing::Test, protected testing::SessionFixture {
 protected:
  RavlinkSessionTest() {
    ports.port.onWrite = [this](const std::string& bytes) {
      if (bytes == RavlinkFraming::frame("\x1b" + unanswered)) {
        if (whileUnanswered) whileUnanswered();
        return;
      }
      withReader([&](BusReader& r) { r.receive(bytes); });
    };
  }

  std::unique_ptr<RavlinkSession> start(bool signaling = true, bool useSound = false,
                                        const BuildTexts& texts = BuildTexts::english()) {
    return std::make_unique<RavlinkSession>(services(texts), "\\\\.\\COM2", signaling, useSound, "beep.wav", owner);
  }

  template <typename Action>
  void withReader(Action action) {
    std::lock_guard<std::mutex> lock(m_readerMutex);
    action(reader);
  }

  void sendCard(const std::string& data) {
    withReader([&](BusReader& r) { r.sendFrames({data}); });
  }

  bool sent(const std::string& request) const {
    return ports.port.written().find(RavlinkFraming::frame("\x1b" + request)) != std::string::npos;
  }

  std::vector<std::string> typed() const {
    std::vector<std::string> lines;
    for (const std::string& call : owner.calls()) {
      if (call.rfind("Typed", 0) == 0) lines.push_back(call);
    }
    return lines;
  }

  std::string unanswered;                 // a request the reader leaves without an answer
  std::function<void()> whileUnanswered;  // runs on the reading thread as that request goes out
  BusReader reader{[this](const std::string& bytes) { ports.port.deliver(bytes); }};

 private:
  std::mutex m_readerMutex;
};

// A stop ends the idle read at once, with the trace of an idle period that
// found the stop request.
TEST_F(RavlinkSessionTest, IdentifiesAndReleasesTheReaderAndStopsQuietly) {
  ports.port.idlePeriod = std::chrono::milliseconds(3140);
  auto session = start();
  EXPECT_EQ(owner.calls(),
            std::vector<std::string>{"ShowMessage 5 'Mifare DESFire EV1 F1\nParameterization 12345' 0 0"});
  EXPECT_EQ(
      eventLog.entries(),
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
  ASSERT_TRUE(waitUntil([this] { return traceFrom("RavlinkSession::run() start\n").find("loop start") != npos; }));
  EXPECT_LT(stop(session).count(), 500);
  EXPECT_EQ(traceFrom("~RavlinkSession() start\n"),
            "~RavlinkSession() start\n"
            "RavlinkSession::cancelSession() start\n"
            "RavlinkSession::cancelSession(): WaitForSingleObject() Warten auf das Ende des Threads\n"
            "RavlinkSession::readRaw() timeout\n"
            "RavlinkSession::readRaw(): WaitForSingleObject() Abbruch Event erhalten\n"
            "RavlinkSession::run(): catch RavlinkSessionError Cancel\n"
            "RavlinkSession::run() endet\n"
            "RavlinkSession::cancelSession(): Exit code of thread: 0\n"
            "RavlinkSession::cancelSession() done: Thread beendet\n"
            "~RavlinkSession() Ende\n");
  EXPECT_FALSE(abortEvent.tryTake());
}

struct ReaderType {
  const char* name;
  const char* letter;
  bool german;
  const char* shown;
};

class ReaderTypes : public RavlinkSessionTest, public ::testing::WithParamInterface<ReaderType> {};

TEST_P(ReaderTypes, AreShownWithTheirText) {
  reader.typeLetter = GetParam().letter;
  reader.info = "V2";
  reader.parameterization = "4711";
  auto session = start(true, false, GetParam().german ? BuildTexts::german() : BuildTexts::english());
  EXPECT_EQ(owner.calls().at(0), std::string("ShowMessage 5 '") + GetParam().shown + "' 0 0");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Letters, ReaderTypes, ::testing::Values(
    ReaderType{"Legic", "A", false, "LEGIC advant V2\nParameterization 4711"},
    ReaderType{"Hitag", "H", false, "Hitag V2\nParameterization 4711"},
    ReaderType{"Unlisted", "X", false, "XV2\nParameterization 4711"},
    ReaderType{"German", "D", true, "Mifare DESFire EV1 V2\nParametrierung 4711"}),
    testing::NamedParam());
// clang-format on

// A reader that leaves its identification or the release unanswered gives no session.
TEST_F(RavlinkSessionTest, UnansweredIdentificationOrReleaseIsNoSession) {
  const std::pair<const char*, const char*> cases[] = {
      {"s*",
       "RavlinkSession::getReaderInfo(): sendRavlinkRequest() or readRavlinkRequest() failed: Cancel\n"
       "RavlinkSession() Konstruktor: getReaderInfo() failed\n"},
      {"l2*", "RavlinkSession() Konstruktor: unerwarteter Fehler bei Leserfreigabe\n"},
  };
  for (const auto& [request, trace] : cases) {
    unanswered = request;
    EXPECT_EQ(testing::errorOf<Error>([&] { start(); }), " No Ravlink reader?") << request;
    EXPECT_TRUE(sent(request)) << request;
    EXPECT_TRUE(traced(trace)) << request;
  }
}

// A reading is the frame up to its last "*" without up to five leading
// fields; a frame without a "*" is acknowledged and nothing else.
TEST_F(RavlinkSessionTest, ReadingIsCutAfterFiveFieldsSignalledAndLogged) {
  system.environment["APPDATA"] = "C:\\AppData";
  system.directories.insert("C:\\AppData\\TavolinLog");
  setUpTraceAndDataLog(system, captured.trace, dataLog);
  system.now = {2014, 2, 1, 9, 5, 3};
  auto session = start(true, true);
  // Frames and acknowledgements end their reads, however long the line
  // would take to go quiet.
  ports.port.interval = std::chrono::seconds(2);
  const auto begin = std::chrono::steady_clock::now();
  sendCard("a;b;c;d;e;12345678");
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
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin).count(),
            1000);
  session.reset();
  EXPECT_EQ(sound.played(), 5u);
  EXPECT_TRUE(sent("b1;1;1*"));
  EXPECT_EQ(system.content("C:\\AppData\\TavolinLog\\Datalog20140512_08_03_07-01.txt"), log);
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
    waitUntil([this] {
      return traced("RavlinkSession::cancelSession(): WaitForSingleObject() Warten auf das Ende des Threads\n");
    });
  };
  auto session = start();
  sendCard("a;b;c;d;e;77*");
  waitUntil([this] { return sent("b1;1;1*"); });
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
  withReader([&](BusReader& r) { r.queueFrames(frames); });
  ASSERT_TRUE(owner.waitFor("ShowCounter 3 30", std::chrono::seconds(5)));
  session.reset();
  EXPECT_EQ(typed(), expected);
  EXPECT_EQ(eventLog.entries().size(), 1u);  // only the reader's identity
  EXPECT_FALSE(abortEvent.tryTake());
}

// Noise on the line, and two readings in one read while the reader is
// asked to signal: every reading is typed once, and reading goes on.
TEST_F(RavlinkSessionTest, NoiseAndReadingsInOneReadLoseNothing) {
  auto session = start();
  withReader([&](BusReader& r) {
    ports.port.deliver("\x02\xff\xff");  // a length of 65535 that never comes
    r.sendFrames({"a;b;c;d;e;41*"});
  });
  ASSERT_TRUE(owner.waitFor("Typed 41"));  // refused after an idle period, and repeated
  withReader([&](BusReader& r) { r.sendFrames({"a;b;c;d;e;42*", "a;b;c;d;e;43*"}); });
  ASSERT_TRUE(owner.waitFor("ShowCounter 3 3"));
  session.reset();
  EXPECT_EQ(typed(), (std::vector<std::string>{"Typed 41", "Typed 42", "Typed 43"}));
  EXPECT_TRUE(traced("RavlinkSession::readPacket(): unvollst\xe4ndiger Rahmen nach Ruhezeit verworfen, L\xe4nge: "));
  EXPECT_TRUE(traced("RavlinkSession::cancelSession(): Exit code of thread: 0\n"));
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
