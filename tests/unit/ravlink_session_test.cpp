#include "readers/ravlink_session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "bus_reader.h"
#include "fakes/configured_processor.h"
#include "fakes/named_params.h"
#include "fakes/session_fixture.h"
#include "readers/reader_session.h"

namespace tavolin {
namespace {

using Error = RavlinkSession::RavlinkSessionError;
using readersim::BusReader;
using std::chrono::milliseconds;
using testing::waitUntil;
const std::string ack(1, RavlinkFraming::ACK);

struct RavlinkSessionTest : ::testing::Test, testing::SessionFixture {
  RavlinkSessionTest() {
    ports.port.onWrite = [this](const std::string& bytes) {
      if (bytes != RavlinkFraming::frame("\x1b" + unanswered))
        return withReader([&](BusReader& r) { r.receive(bytes); });
      if (whileUnanswered) whileUnanswered();
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
  bool sent(const std::string& request, std::size_t from = 0) const {
    return ports.port.written().find(RavlinkFraming::frame("\x1b" + request), from) != std::string::npos;
  }

  std::string unanswered;                 // a request the reader leaves to whileUnanswered
  std::function<void()> whileUnanswered;  // runs on the writing thread as that request goes out
  BusReader reader{[this](const std::string& bytes) { ports.port.deliver(bytes); }};

 private:
  std::mutex m_readerMutex;
};

// The trace is how a developer follows the program at a site: each row is
// what is done and the exact trace it writes.
struct GoldenTrace {
  const char* name;
  std::string (*action)(RavlinkSessionTest& t, testing::ConfiguredProcessor& p);
  const char* trace;
};
class GoldenTraces : public RavlinkSessionTest, public ::testing::WithParamInterface<GoldenTrace> {};
TEST_P(GoldenTraces, AreExact) {
  testing::ConfiguredProcessor p;
  EXPECT_EQ(GetParam().action(*this, p), GetParam().trace);
}
CardDataSettings cardData(const std::string& values) {
  return testing::ConfiguredProcessor::settingsWith(values).cardData;
}
template <typename S>
std::string stopWhileIdle(RavlinkSessionTest& t, std::unique_ptr<S> session, const char* loop, const char* from) {
  EXPECT_TRUE(waitUntil([&] { return t.traceFrom(loop).find("loop start") != std::string::npos; }));
  const auto begin = std::chrono::steady_clock::now();
  session.reset();  // as the main window stops it
  EXPECT_LT(testing::msSince(begin), 500);
  return t.traceFrom(from);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, GoldenTraces, ::testing::Values(
    GoldenTrace{"ReadingOfLengthZero", [](auto&, auto& p) {
      EXPECT_EQ(p.processor.PrepareDataTransfer("ABC", 0), nullptr);
      EXPECT_EQ(p.processor.PrepareDataTransfer("ABC", -4), nullptr);
      return p.captured.text(); },
     "PrepareDataTransfer(): Fehler: Lesung mit L\xe4nge 0\nPrepareDataTransfer(): Fehler: Lesung mit L\xe4nge 0\n"},
    GoldenTrace{"BackwardNibbles", [](auto&, auto& p) {
      p.configure("Read characters in 1 byte=NIBBELWISE|Reading direction=BACKWARD|Read stop position=3");
      p.processor.PrepareDataTransfer("\x31\x32", 2);
      return p.captured.text(); },
     "PrepareDataTransfer(): Start, vollst\xe4ndige Lesung: '12' mit L\xe4nge: 2 Byte\n"
     "PrepareDataTransfer(): Nibbel Daten konvertiert zu '313'\nPrepareDataTransfer(): '313' invertieren\n"
     "PrepareDataTransfer(): '313' mit L\xe4nge 3 invertieren\nPrepareDataTransfer(): invertiert zu '313'\n"
     "PrepareDataTransfer(): Endergebnis '313'\n"},
    GoldenTrace{"TrimmedDecimal", [](auto&, auto& p) {
      p.configure("Conversion=HEXA2DEC|Decimal n-digit (right aligned)=8");
      std::int32_t length = 5;
      char output[CardDataProcessor::decimalSize];
      p.processor.TrimmedDecimal("00A1F", 0, length, output);
      return p.captured.text(); },
     "TrimmedDecimal() Start: '00A1F' Startindex: 0 len: 5\nTrimmedDecimal() konvertiert zu dezimal: '2591' mit "
     "L\xe4nge: 4\nTrimmedDecimal() Ende: '00002591' mit fester L\xe4nge: 8\n"},
    GoldenTrace{"LayoutOfTwoRangesBackward", [](auto&, auto& p) {
      p.processor.CheckCardAttr(cardData("Read start position=3|Read stop position=6|2. Read start position=9|"
                                         "2. Read stop position=12|Reading direction=BACKWARD"));
      return p.captured.text(); },
     "CheckCardAttr(): 1. Lesel\xe4nge: 4 Bytes oder Nibbel\nCheckCardAttr(): 2. Lesel\xe4nge: 4 Bytes oder Nibbel\n"
     "CheckCardAttr(): From byte start position 3 on reading 10 bytes\n"
     "\tiByteStart: 3, iByteLen1: 4, iByteStart2 (relativ zu iByteStart): 6, iByteLen2: 4, iByteStop: 12\n"
     "\tiCardStart: 3, iCardLen1: 4, iCardStart2 (relativ zu iCardStart): 6, iCardLen2: 4, iCardStop: 12\n"
     "CheckCardAttr(): CardAttr neu berechnet, da Leserichtung r\xfc" "ckw\xe4rts:\n"
     "\tiByteStart: 1, iByteLen1: 4, iByteStart2 (relativ zu iByteStart): 6, iByteLen2: 4, iByteStop: 12\n"
     "\tiCardStart: 1, iCardLen1: 4, iCardStart2 (relativ zu iCardStart): 6, iCardLen2: 4, iCardStop: 12\n"},
    GoldenTrace{"FilterConvertFirst", [](auto&, auto& p) {
      p.processor.CheckFilter(cardData("Padding character used=yes|Padding character=30|Conversion=HEXA2DEC|"
                                       "Decimal n-digit (right aligned)=8|Filter: 1.truncate, 2.convert=no"));
      return p.captured.text(); },
     "CheckFilter(): Padchar ist: '0' == '0x30'\nCheckFilter(): hex -> dec Konvertierung (8-stellig, rechtsb\xfcndig)\n"
     "CheckFilter(): Filter: 1. konvertieren, 2. Padchar l\xf6schen\n"},
    GoldenTrace{"FilterTruncateFirst", [](auto&, auto& p) {
      p.processor.CheckFilter(cardData("Padding character used=no|Conversion=none|Filter: 1.truncate, 2.convert=yes"));
      return p.captured.text(); },
     "CheckFilter(): kein PAD verwendet\nCheckFilter(): keine hex -> dec Konvertierung\n"
     "CheckFilter(): Filter: 1. Padchar l\xf6schen, 2. konvertieren\n"},
    // The layout is taken once; a key it lacks is traced as 0xffff.
    GoldenTrace{"AdditionalCharacters", [](auto&, auto& p) {
      p.keyboard.overrides['?'] = key_code::None;
      p.processor.CheckAddChars(testing::ConfiguredProcessor::settingsWith(
          "Prefix characters=<TAB>|Characters separating 2 data portions=keine|Postfix characters=a?").addChars);
      EXPECT_EQ(p.keyboard.refreshes(), 1);
      return p.captured.text(); },
     "CheckAddChars(): DataPostProcessing.PrefixCode: Len: 1\n\t'\t' (=='0x09') \n"
     "CheckAddChars(): DataPostProcessing.InterfixCode: keiner\n"
     "CheckAddChars(): DataPostProcessing.PostfixCode: Len: 2\n\t'A' (=='0x41') '\xFF' (=='0xffff') \n"},
    GoldenTrace{"TwoRangeReading", [](auto&, auto& p) {
      p.configure("Read stop position=3|2. Read start position=6|2. Read stop position=8|"
                  "Characters separating 2 data portions=-|Prefix characters=<TAB>|Postfix characters=<CR>");
      p.type("abCDEfgh");
      return p.captured.text(); },
     "PrepareDataTransfer(): Start, vollst\xe4ndige Lesung: 'abCDEfgh' mit L\xe4nge: 8 Byte\n"
     "PrepareDataTransfer(): Endergebnis 'abCDEfgh'\n"
     "TextToKeys(): pData: 'abCDEfgh', mit L\xe4nge 8, Len1: 3, Index-Start2: 5 Len2: 3\n"
     "Pr\xe4" "fix vorhanden, L\xe4nge: 1\nvkscan: 0x0009\nChar: 'a' (=='0x61'), vkscan: 0x0041\n"
     "Char: 'b' (=='0x62'), vkscan: 0x0042\nChar: 'C' (=='0x43'), vkscan: 0x0143\nshiftstate: SHIFT key is pressed\n"
     "Interfix vorhanden, L\xe4nge: 1\nvkscan: 0x00bd\nChar: 'f' (=='0x66'), vkscan: 0x0046\n"
     "Char: 'g' (=='0x67'), vkscan: 0x0047\nChar: 'h' (=='0x68'), vkscan: 0x0048\n"
     "Postfix vorhanden, L\xe4nge: 1\nvkscan: 0x000d\n"},
    // A stop ends the idle read at once, with the trace of an idle period
    // that found the stop request; the active reader's idle period did not run out.
    GoldenTrace{"BusSessionStopsWhileIdle", [](auto& t, auto&) {
      t.ports.port.idlePeriod = milliseconds(3140);
      return stopWhileIdle(t, t.start(), "RavlinkSession::run() start\n", "~RavlinkSession() start\n"); },
     "~RavlinkSession() start\nRavlinkSession::cancelSession() start\n"
     "RavlinkSession::cancelSession(): WaitForSingleObject() Warten auf das Ende des Threads\n"
     "RavlinkSession::readRaw() timeout\nRavlinkSession::readRaw(): WaitForSingleObject() Abbruch Event erhalten\n"
     "RavlinkSession::run(): catch RavlinkSessionError Cancel\nRavlinkSession::run() endet\n"
     "RavlinkSession::cancelSession(): Exit code of thread: 0\nRavlinkSession::cancelSession() done: Thread beendet\n"
     "~RavlinkSession() Ende\n"},
    GoldenTrace{"ActiveSessionStopsWhileIdle", [](auto& t, auto&) {
      t.ports.port.idlePeriod = milliseconds(2260);
      auto trace = stopWhileIdle(t, std::make_unique<ReaderSession>(t.services(), "\\\\.\\COM1", ComSettings{}, true,
          false, "", true, 1, 14, t.owner), "ReaderSession::readRaw() loop start\n", "~ReaderSession() start\n");
      return t.ports.port.written() + trace; },
     "~ReaderSession() start\nReaderSession::cancelSession() start\n"
     "ReaderSession::cancelSession(): WaitForSingleObject() Warten auf das Ende des Threads\n"
     "ReaderSession::readRaw() timeout\nReaderSession::readRaw(): WaitForSingleObject() Abbruch Event erhalten\n"
     "ReaderSession::run(): bytesRead == 0\nReaderSession::run() endet\n"
     "ReaderSession::cancelSession(): Exit code of thread: 0\nReaderSession::cancelSession() done: Thread beendet\n"
     "~ReaderSession(): CloseHandle() ok\n~ReaderSession() Ende\n"}),
    testing::NamedParam());
// clang-format on

// The reader is identified by the requests in their order and shown and
// logged with its type's text, then released.
TEST_F(RavlinkSessionTest, IdentifiesAndReleasesTheReader) {
  const struct {
    const char *letter, *info;
    bool german;
    const char* shown;
  } cases[] = {{"D", "F1", false, "Mifare DESFire EV1 F1\nParameterization 4711"},
               {"A", "V2", false, "LEGIC advant V2\nParameterization 4711"},
               {"H", "V2", false, "Hitag V2\nParameterization 4711"},
               {"X", "V2", false, "XV2\nParameterization 4711"},
               {"D", "V2", true, "Mifare DESFire EV1 V2\nParametrierung 4711"}};
  std::vector<std::string> calls, entries;
  for (const auto& c : cases) {
    withReader([&](BusReader& r) { r.typeLetter = c.letter, r.info = c.info, r.parameterization = "4711"; });
    start(true, false, c.german ? BuildTexts::german() : BuildTexts::english());
    calls.push_back(std::string("ShowMessage 5 '") + c.shown + "' 0 0");
    entries.push_back(std::string("8 information: Elvor Tavolin|Version 2.10.00|\\\\.\\COM2|") + c.shown);
  }
  EXPECT_EQ(owner.calls(), calls);
  EXPECT_EQ(eventLog.entries(), entries);
  const std::string written = ports.port.written();
  std::size_t at = 0;
  for (const char* request : {"s*", "o;k2;00*", "q0*", "l2*"}) {
    at = written.find(RavlinkFraming::frame(std::string("\x1b") + request), at);
    ASSERT_NE(at, std::string::npos) << request;
  }
  const DeviceControl& l = ports.lastLine;
  EXPECT_TRUE(l.BaudRate == 19200u && l.ByteSize == 8 && !l.fNull && !l.fAbortOnError && !l.fBinary);
  EXPECT_EQ(ports.lastTimeouts.ReadTotalTimeoutMultiplier * 132 + ports.lastTimeouts.ReadTotalTimeoutConstant, 3140u);
}

// A reader that leaves its identification or the release unanswered, or
// answers it with too few fields, gives no session.
TEST_F(RavlinkSessionTest, NoIdentificationOrReleaseIsNoSession) {
  const char* failed = "RavlinkSession() Konstruktor: getReaderInfo() failed\n";
  const char* cancel = "RavlinkSession::getReaderInfo(): sendRavlinkRequest() or readRavlinkRequest() failed: Cancel\n";
  const struct {
    const char *request, *reply, *trace;  // reply nullptr: none, "": only acknowledged
  } cases[] = {{"s*", nullptr, cancel},
               {"s*", "", cancel},
               {"s*", "s;F1;0;D*", failed},
               {"o;k2;00*", "o;k2;00;12345*", failed},
               {"l2*", nullptr, "RavlinkSession() Konstruktor: unerwarteter Fehler bei Leserfreigabe\n"}};
  for (const auto& c : cases) {
    unanswered = c.request;
    whileUnanswered = [&] {
      if (c.reply) ports.port.deliver(ack + (*c.reply ? RavlinkFraming::frame(c.reply) : ""));
    };
    captured.clear();
    EXPECT_EQ(testing::errorOf<Error>([&] { start(); }), " No Ravlink reader?") << c.request;
    EXPECT_TRUE(sent(c.request) && traced(c.trace)) << c.request;
  }
}

// A reading is the frame up to its last "*" without up to five leading
// fields; frames end their reads, however long the line would take to go
// quiet. In test mode a reading is shown, without signal or sound.
TEST_F(RavlinkSessionTest, ReadingIsCutAfterFiveFieldsSignalledAndLogged) {
  system.environment["APPDATA"] = "C:\\AppData";
  system.directories.insert("C:\\AppData\\TavolinLog");
  setUpTraceAndDataLog(system, captured.trace, dataLog);
  system.now = {2014, 2, 1, 9, 5, 3};
  auto session = start(true, true);
  ports.port.interval = std::chrono::seconds(2);
  const auto begin = std::chrono::steady_clock::now();
  sendCard("a;b;c;d;e;12345678");
  const std::pair<std::string, std::string> cases[] = {
      {"a;b;c;d;e;12345678*", "12345678"},
      {"x;42*", "42"},
      {"ABC*trailer", "ABC"},
      {"1;2;3;4;5;6;7*", "6;7"},
      {std::string("a;b;c;d;e;12") + '\0' + "34*", std::string("12") + '\0' + "34"},  // logged up to the zero
  };
  std::string log;
  for (const auto& [frame, reading] : cases) {
    sendCard(frame);
    ASSERT_TRUE(owner.waitFor("Typed " + reading)) << frame;
    log += "01.02.2014 09:05:03: data: " + reading.substr(0, reading.find('\0')) + "\n";
  }
  EXPECT_TRUE(owner.waitFor("ShowCounter 3 5"));
  EXPECT_LT(testing::msSince(begin), 1000);
  session.reset();
  EXPECT_EQ(sound.played(), 5u);
  EXPECT_TRUE(sent("b1;1;1*"));
  EXPECT_EQ(system.content("C:\\AppData\\TavolinLog\\Datalog20140512_08_03_07-01.txt"), log);

  session = start(false, true);
  session->setTestMode(true);
  const std::size_t before = ports.port.written().size();
  sendCard("a;b;c;d;e;1234*");
  ASSERT_TRUE(owner.waitFor("Shown 1234"));
  session.reset();
  EXPECT_FALSE(sent("b1;1;1*", before));
  EXPECT_EQ(sound.played(), 5u);
}

// A stop while the reader is asked to signal ends reading quietly.
TEST_F(RavlinkSessionTest, StopWhileSignallingEndsQuietly) {
  unanswered = "b1;1;1*";
  whileUnanswered = [this] {  // until the stop request has been made
    waitUntil([this] { return traced("cancelSession(): WaitForSingleObject() Warten auf das Ende des Threads\n"); });
  };
  auto session = start();
  sendCard("a;b;c;d;e;77*");
  waitUntil([this] { return sent("b1;1;1*"); });
  session.reset();
  EXPECT_TRUE(traced("RavlinkSession::run() endet\nRavlinkSession::cancelSession(): Exit code of thread: 0\n"));
  EXPECT_FALSE(abortEvent.tryTake());
}

// A reader with readings queued sends the next frame as soon as it has our
// acknowledgement, so it arrives while the reader is asked to signal the
// last one; noise on the line, and two frames in one read, too: every
// reading is still taken, once and in order. A reader that rejects the
// signalling request or leaves it unanswered has still had its reading
// acknowledged: it is reported, counted and typed. A failing port ends reading.
TEST_F(RavlinkSessionTest, QueuedFramesNoiseFramesInOneReadAndRejectedSignallingLoseNothing) {
  auto session = start();
  std::vector<std::string> frames, expected;
  for (int i = 100; i < 130; ++i) frames.push_back("a;b;c;d;e;" + std::to_string(i) + "*");
  for (int i = 100; i < 130; ++i) expected.push_back("Typed " + std::to_string(i));
  withReader([&](BusReader& r) { r.queueFrames(frames); });
  ASSERT_TRUE(owner.waitFor("ShowCounter 3 30", std::chrono::seconds(5)));
  withReader([&](BusReader& r) {
    ports.port.deliver("\x02\xff\xff");  // a length of 65535 that never comes
    r.sendFrames({"a;b;c;d;e;41*"});
  });
  ASSERT_TRUE(owner.waitFor("Typed 41"));  // refused after an idle period, and repeated
  withReader([&](BusReader& r) { r.sendFrames({"a;b;c;d;e;42*", "a;b;c;d;e;43*"}); });
  ASSERT_TRUE(owner.waitFor("ShowCounter 3 33"));
  EXPECT_TRUE(traced("RavlinkSession::readPacket(): unvollst\xe4ndiger Rahmen nach Ruhezeit verworfen, L\xe4nge: "));
  const std::string ignored =
      "8 information: Elvor Tavolin|Version 2.10.00|\\\\.\\COM2|unexpected reader protocol error - ignored";
  for (const std::string reading : {"41", "42", "43"}) expected.push_back("Typed " + reading);
  int n = 0;
  for (bool BusReader::*fault :
       {&BusReader::nakNextRequest, &BusReader::ignoreNextRequest, &BusReader::nakNextRequest}) {
    withReader([&](BusReader& r) { r.*fault = true; });
    expected.push_back("Typed 7" + std::to_string(++n));
    sendCard("a;b;c;d;e;7" + std::to_string(n) + "*");
    ASSERT_TRUE(owner.waitFor(expected.back()));
    EXPECT_TRUE(owner.waitFor("ShowCounter 3 " + std::to_string(33 + n)));
    const auto entries = eventLog.entries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), ignored), n);
  }
  ports.port.fail();
  ASSERT_TRUE(abortEvent.waitFor(std::chrono::seconds(5)));
  session.reset();
  std::vector<std::string> typed;
  for (const std::string& call : owner.calls()) {
    if (call.rfind("Typed", 0) == 0) typed.push_back(call);
  }
  EXPECT_EQ(typed, expected);
  EXPECT_EQ(eventLog.entries().size(), 4u);  // the reader's identity and the three rejections
  EXPECT_TRUE(traced("RavlinkSession::cancelSession(): Exit code of thread: -1\n"));
}

}  // namespace
}  // namespace tavolin
