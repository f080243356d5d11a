#include <gtest/gtest.h>

#include <cstring>

#include "fakes/configured_processor.h"

namespace tavolin {
namespace {

// Padding is removed from the end of a range of the given length; the
// caller's buffer is left alone.
TEST(ReadingTransformation, ReducePadchars) {
  const struct {
    const char* range;
    char pad;
    std::int32_t length, reduced;
    const char* how;
  } cases[] = {{"1200", '0', 4, 2, "while verlassen"},
               {"0000", '0', 4, 1, "Ende"},
               {"7", '7', 1, 1, "Ende"},
               {"12  ", ' ', 4, 2, "while verlassen"},
               {"1200", '0', 3, 2, "while verlassen"},
               {"AB", 'B', 0, 0, "while verlassen"},
               {"AB", 'B', -3, -3, "while verlassen"}};
  for (const auto& c : cases) {
    testing::ConfiguredProcessor p;
    char code[3], expected[200];
    std::snprintf(code, sizeof code, "%02x", static_cast<unsigned char>(c.pad));
    p.configure(std::string("Padding character used=yes|Padding character=") + code);
    std::int32_t length = c.length;
    p.processor.ReducePadchars(c.range, length);
    EXPECT_EQ(length, c.reduced) << c.range << " " << c.length;
    std::snprintf(expected, sizeof expected,
                  "ReducePadchars(): bPadUsed true, Padchar: '%c' == '0x%02x'\n"
                  "ReducePadchars() %s: Lesebereich: '%s', L\xe4nge jetzt: %d\n",
                  c.pad, static_cast<unsigned char>(c.pad), c.how, c.range, c.reduced);
    EXPECT_EQ(p.captured.text(), expected);
  }
  testing::ConfiguredProcessor p;
  p.configure("Read stop position=3");
  char reading[] = "ABCDEF";
  EXPECT_EQ(std::string(p.processor.PrepareDataTransfer(reading, 6)), "ABC");
  EXPECT_STREQ(reading, "ABCDEF");
}

// The length becomes that of the output. 1000000000 keeps its last 8
// digits, 2^53 is still exact; an empty range is 0, a negative length copies
// nothing, the text may end before the length. Beyond 2^53 the value is a
// rounded double: the digits of its end. Any other character makes it 0.
TEST(ReadingTransformation, TrimmedDecimal) {
  const struct {
    std::string text;
    std::int32_t start, length;
    const char *digits, *output;
  } cases[] = {
      // clang-format off
      {"00A1F", 0, 5, "8", "00002591"}, {"a1f", 0, 3, "8", "00002591"}, {"3B9ACA00", 0, 8, "8", "00000000"},
      {"12G4", 0, 4, "8", "00000000"}, {"FFFFFFFFFFFFF", 0, 13, "10", "9627370495"},
      {"20000000000000", 0, 14, "10", "9254740992"}, {"FFFFFFFFFFFFF", 0, 13, "0", ""}, {"xx9e", 2, 2, "6", "000158"},
      {"FF", 0, 0, "3", "000"}, {"FF", 0, -2, "3", "000"}, {"F", 0, 5, "4", "0015"},
      {std::string(64, 'F'), 0, 64, "10", nullptr},
      // clang-format on
  };
  for (const auto& c : cases) {
    testing::ConfiguredProcessor p;
    p.configure(std::string("Conversion=HEXA2DEC|Decimal n-digit (right aligned)=") + c.digits);
    std::int32_t length = c.length;
    char output[CardDataProcessor::decimalSize];
    p.processor.TrimmedDecimal(c.text.c_str(), c.start, length, output);
    EXPECT_EQ(output, c.output ? c.output : std::string(output, std::strspn(output, "0123456789"))) << c.text;
    EXPECT_EQ(length, static_cast<std::int32_t>(std::strlen(c.output ? c.output : "0123456789"))) << c.text;
  }
  EXPECT_EQ(CardDataProcessor::HexToDouble("1G"), 0.0);
}

}  // namespace
}  // namespace tavolin
