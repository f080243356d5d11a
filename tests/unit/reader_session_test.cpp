#include "readers/reader_session.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "fakes/session_fixture.h"

namespace tavolin {
namespace {

using Error = ReaderSession::ReaderSessionError;

// Bursts as the reader sends them, and what the window is told: a longer
// burst is cut to the reading length, a shorter one filled with zeros (in
// test mode both with a warning), one shorter than the start is discarded
// but signalled, a stream is cut into buffer-sized readings.
TEST(ReaderSessionBursts, BecomeReadings) {
  const std::string zeros(73, '\0'), a(107, 'a'), b(107, 'b');
  const struct {
    std::int32_t byteStart, length;
    bool signaling, useSound, testMode;
    std::vector<std::string> bursts, calls;
    unsigned sounds;
    const char* trace;
  } cases[] = {
      // clang-format off
      {1, 14, false, true, false, {"12345678901234"}, {"ShowCounter 3 1", "Typed 12345678901234"}, 0,
       "ReaderSession::run(): bytesRead == m_iByteStop == 14\nReaderSession::run(): Daten zum Verarbeiten "
       "'0x31 0x32 0x33 0x34 0x35 0x36 0x37 0x38 0x39 0x30 0x31 0x32 0x33 0x34 '\n"},
      {1, 14, true, false, true, {"1234567890ABCDEF", "12345", "ABCDEFGHIJKLMN"}, {"ShowMessage 4 '' 14 16",
       "ShowCounter 3 1", "Shown 1234567890ABCD", "ShowMessage 4 '' 14 5", "ShowCounter 3 2", "Shown 12345" +
       std::string(9, '\0'), "ShowMessage 4 '' 0 0", "ShowCounter 3 3", "Shown ABCDEFGHIJKLMN"}, 0,
       "bytesRead != m_iByteStop: 5 != 14\n"},
      {5, 14, true, true, false, {"123", "12345678901234"}, {"ShowCounter 3 1", "Typed 12345678901234"}, 2,
       "ReaderSession::run(): bytesRead < m_iByteStart (3 < 5) -> verwerfen\n"},
      {1, 107, true, false, false, {a + "a" + b + "b" + std::string(34, 'c')}, {"ShowCounter 3 1", "Typed " + a,
       "ShowCounter 3 2", "Typed " + b, "ShowCounter 3 3", "Typed " + std::string(34, 'c') + zeros}, 0,
       "bytesRead != m_iByteStop: 108 != 107\n"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    testing::SessionFixture f;
    auto session = std::make_unique<ReaderSession>(f.services(), "\\\\.\\COM1", ComSettings{}, c.signaling, c.useSound,
                                                   "beep.wav", true, c.byteStart, c.length, f.owner);
    session->setTestMode(c.testMode);
    for (const std::string& burst : c.bursts) f.ports.port.deliver(burst);
    std::vector<std::string> calls = {"ShowMessage 5 'Reader type: active sending' 0 0"};
    calls.insert(calls.end(), c.calls.begin(), c.calls.end());
    EXPECT_TRUE(testing::waitUntil([&] { return f.owner.calls().size() >= calls.size(); }));
    session.reset();
    EXPECT_EQ(f.owner.calls(), calls);
    EXPECT_EQ(f.sound.played(), c.sounds);
    EXPECT_TRUE(f.traced(c.trace) && f.traced("ReaderSession::cancelSession(): Exit code of thread: 0\n"));
    EXPECT_EQ(f.ports.openedPath, "\\\\.\\COM1");
    EXPECT_EQ(f.eventLog.entries(), std::vector<std::string>{"8 information: Elvor Tavolin|Version 2.10.00|\\\\.\\COM1|"
                                                             "active sending type, no further information available"});
  }
}

// An idle reader gets a zero byte after every idle period; a failing port
// ends the thread and sets the abort event.
TEST(ReaderSessionPort, IdleReaderGetsZeroBytesAndAFailingPortEndsReading) {
  testing::SessionFixture f;
  auto session = std::make_unique<ReaderSession>(f.services(), "\\\\.\\COM1", ComSettings{}, true, false, "", true, 1,
                                                 14, f.owner);
  EXPECT_TRUE(testing::waitUntil([&] { return f.ports.port.written().size() >= 2; }));
  EXPECT_EQ(f.ports.port.written().substr(0, 2), std::string(2, '\0'));
  f.ports.port.fail();
  ASSERT_TRUE(f.abortEvent.waitFor(std::chrono::seconds(5)));
  session.reset();
  for (const char* line :
       {"ReaderSession::readRaw() WriteFile() L\xe4nge Daten: 1\n",
        "ReaderSession::ReadFile() failed: 5: Unknown error from GetLastError(): 5l\n",
        "ReaderSession run(): catch ReaderSessionError from readRaw(): Unknown error",
        "ReaderSession::_run() caught an error\n", "ReaderSession::cancelSession(): Exit code of thread: -1\n"})
    EXPECT_TRUE(f.traced(line)) << line;
}

// An opening failure throws its text (the English ones are the start-up
// test's and the real port's); the line set-up, and its trace line,
// belong to a device that opened. A reading length the buffer cannot hold
// opens nothing.
TEST(ReaderSessionOpen, FailuresThrowTheirTextAndLengthsMustFitTheBuffer) {
  testing::SessionFixture f;
  const auto open = [&f](const BuildTexts& texts, std::int32_t length) {
    ReaderSession session(f.services(texts), "\\\\.\\COM9", ComSettings{}, true, false, "", true, 1, length, f.owner);
  };
  const std::tuple<SerialPorts::Failure, bool, const char*> cases[] = {
      {SerialPorts::Failure::Other, false, "The system's own text.\n"},
      {SerialPorts::Failure::Busy, true, " COM-Port belegt."},
      {SerialPorts::Failure::NotFound, true, " COM-Port nicht vorhanden."}};
  f.ports.failureText = "The system's own text.\n";
  for (const auto& [failure, german, message] : cases) {
    f.ports.failure = failure;
    const BuildTexts& texts = german ? BuildTexts::german() : BuildTexts::english();
    EXPECT_EQ(testing::errorOf<Error>([&] { open(texts, 14); }), message);
  }
  EXPECT_TRUE(f.owner.calls().empty());
  EXPECT_FALSE(f.traced("setCOMProperties"));
  f.ports.failure = SerialPorts::Failure::None;
  f.ports.openedPath.clear();
  for (const std::int32_t length : {0, -3, 108, 500}) {
    EXPECT_THROW(open(BuildTexts::english(), length), Error) << length;
    EXPECT_TRUE(f.ports.openedPath.empty()) << "opened for " << length;
  }
  for (const std::int32_t length : {1, 107}) EXPECT_NO_THROW(open(BuildTexts::english(), length)) << length;
}

// The trace names the speed as stored, not the one used; case matters.
TEST(ReaderSessionLine, FromTheStoredTexts) {
  // speed, data bits, parity, stop bits, flow control; the traced speed; BaudRate, ByteSize, Parity, StopBits,
  // fOutxCtsFlow, fOutX, fInX, fRtsControl
  const char* const cases[][3] = {{"19200 8 none 1 none", "19200", "19200 8 0 0 0 0 0 1"},
                                  {"115200 7 odd 2 Xon/Xoff", "115200", "115200 7 1 2 0 1 1 1"},
                                  {"110 5 even 1.5 Hardware", "110", "9600 8 2 0 1 0 0 2"},
                                  {"fast 9 mark x hardware", "0", "9600 8 0 0 0 0 0 1"},
                                  {"14400 6 Even 2 xon/xoff", "14400", "14400 8 0 2 0 0 0 1"}};
  for (const auto& [line, speed, record] : cases) {
    std::istringstream in(line);
    std::string v[5];
    for (std::string& value : v) in >> value;
    ComSettings settings;
    settings.sSpeed = v[0], settings.sDataBits = v[1], settings.sParity = v[2], settings.sStopBits = v[3];
    settings.sFlowControl = v[4];
    testing::CapturedTrace captured;
    const DeviceControl d = ReaderSession::setCOMProperties(settings, captured.trace);
    EXPECT_EQ(captured.text(), std::string("ReaderSession::setCOMProperties() Baudrate ") + speed + "\n");
    std::ostringstream out;
    for (const unsigned n : {unsigned{d.BaudRate}, unsigned{d.ByteSize}, unsigned{d.Parity}, unsigned{d.StopBits},
                             unsigned{d.fOutxCtsFlow}, unsigned{d.fOutX}, unsigned{d.fInX}, unsigned{d.fRtsControl}})
      out << (out.tellp() ? " " : "") << n;
    EXPECT_EQ(out.str(), record) << line;
    // The fixed part of the record.
    EXPECT_TRUE(d.fBinary && d.fParity && d.fTXContinueOnXoff && d.fErrorChar && d.fNull && d.fAbortOnError &&
                !d.fOutxDsrFlow && !d.fDsrSensitivity && d.fDtrControl == DeviceControl::DtrControlEnable);
    EXPECT_EQ(std::tie(d.XonLim, d.XoffLim, d.XonChar, d.XoffChar),
              std::make_tuple(std::uint16_t{100}, std::uint16_t{100}, '\x11', '\x13'));
    EXPECT_EQ(d.ErrorChar | d.EofChar | d.EvtChar, 0);
  }
}

}  // namespace
}  // namespace tavolin
