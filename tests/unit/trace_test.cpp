#include "services/trace.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "fakes/memory_text_file.h"
#include "text/cp1252.h"

namespace tavolin {
namespace {

TEST(TraceTest, EachCallIsOneWrite) {
  auto content = std::make_shared<testing::SharedFile>();
  Trace trace;
  trace.open(std::make_unique<testing::MemoryTextFile>(content));
  trace("%s: '%c' == '0x%02x'\n", "Padchar", 0x20, 0x20);
  const std::string longText(3000, 'x');
  trace("%s\n", longText.c_str());
  const testing::FileContent written = content->copy();
  EXPECT_EQ(written.writes, 2);
  EXPECT_EQ(written.text, "Padchar: ' ' == '0x20'\n" + longText + "\n");
}

// Lines of two threads never mix inside a call.
TEST(TraceTest, LinesOfTwoThreadsStayWhole) {
  testing::CapturedTrace captured;
  const auto writer = [&captured](char c) {
    for (int i = 0; i < 2000; ++i) captured.trace("%s\n", std::string(40, c).c_str());
  };
  std::thread first(writer, 'a');
  std::thread second(writer, 'b');
  first.join();
  second.join();
  std::istringstream lines(captured.text());
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    ASSERT_TRUE(line == std::string(40, 'a') || line == std::string(40, 'b')) << line;
  }
  EXPECT_EQ(count, 4000);
}

TEST(Cp1252Test, RoundTripOfEveryCharacter) {
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << c;
  }
  EXPECT_EQ(cp1252ToUtf8("L\xE4nge \xDF \x80"), "L\xC3\xA4nge \xC3\x9F \xE2\x82\xAC");
  EXPECT_EQ(utf8ToCp1252("\xE2\x82\xAC \xF0\x9F\x98\x80 \xC3"), "\x80 ? ?");
}

}  // namespace
}  // namespace tavolin
