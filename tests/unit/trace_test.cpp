#include "services/trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <thread>

#include "fakes/memory_text_file.h"
#include "text/cp1252.h"

#if defined(__linux__)
#include <iconv.h>
#endif

namespace tavolin {
namespace {

// Each call is one write, lines of two threads never mix inside a call, and
// a text longer than the conversion's buffer reaches the file whole in the
// file's encoding.
TEST(TraceTest, EachCallIsOneWholeWrite) {
  auto content = std::make_shared<testing::SharedFile>();
  Trace trace;
  trace.open(std::make_unique<testing::MemoryTextFile>(content));
  trace("%s: '%c' == '0x%02x'\n", "Padchar", 0x20, 0x20);
  const std::string longText(3000, 'x');
  trace("%s\n", longText.c_str());
  const testing::FileContent written = content->copy();
  EXPECT_EQ(written.writes, 2);
  EXPECT_EQ(written.text, "Padchar: ' ' == '0x20'\n" + longText + "\n");

  testing::CapturedTrace captured;
  const auto writer = [&captured](char c) {
    for (int i = 0; i < 2000; ++i) captured.trace("%s\n", std::string(40, c).c_str());
  };
  std::thread first(writer, 'a'), second(writer, 'b');
  first.join(), second.join();
  std::istringstream lines(captured.text());
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count)
    ASSERT_TRUE(line == std::string(40, 'a') || line == std::string(40, 'b')) << line;
  EXPECT_EQ(count, 4000);

  for (const auto encoding : {StdioTextFile::Encoding::Utf8, StdioTextFile::Encoding::Windows1252}) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    const std::string text = std::string(1000, '\xE4') + "\n";
    EXPECT_TRUE(StdioTextFile(stream, encoding, StdioTextFile::Ownership::Borrowed).write(text));
    std::rewind(stream);
    std::string read(4000, '\0');
    read.resize(std::fread(read.data(), 1, read.size(), stream));
    std::fclose(stream);
    EXPECT_EQ(read, encoding == StdioTextFile::Encoding::Utf8 ? cp1252ToUtf8(text) : text);
  }
}

// Every byte as glibc's CP1252 has it; the five bytes it leaves undefined
// are the C1 controls of the same number, as on Windows. Back again, what
// is not a character is "?".
TEST(Cp1252Test, EveryCharacterAndBack) {
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << c;
  }
  EXPECT_EQ(cp1252ToUtf8("L\xE4nge \xDF \x80"), "L\xC3\xA4nge \xC3\x9F \xE2\x82\xAC");
  EXPECT_EQ(utf8ToCp1252("\xE2\x82\xAC \xF0\x9F\x98\x80 \xC3x \xC4\x80 \x80 \xC3"), "\x80 ? ?x ? ? ?");
  EXPECT_EQ(utf8ToCp1252(std::string_view("\xC3\xA4", 1)), "?");  // cut off, whatever follows in memory
#if defined(__linux__)
  const iconv_t converter = iconv_open("UTF-8", "CP1252");
  ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1));
  for (int c = 1; c < 256; ++c) {
    char in = static_cast<char>(c), out[8];
    char *from = &in, *to = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    const bool defined = iconv(converter, &from, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
    const std::string expected = defined ? std::string(out, to) : std::string{'\xC2', in};
    EXPECT_EQ(cp1252ToUtf8(std::string(1, in)), expected) << c;
  }
  iconv_close(converter);
#endif
}

}  // namespace
}  // namespace tavolin
