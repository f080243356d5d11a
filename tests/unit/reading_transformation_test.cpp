#include <gtest/gtest.h>

#include <cstring>

#include "fakes/configured_processor.h"

namespace tavolin {
namespace {

TEST(ReadingTransformation, LeavesTheCallersBufferAlone) {
  testing::ConfiguredProcessor p;
  p.configure("Read stop position=3");
  char reading[] = "ABCDEF";
  EXPECT_EQ(std::string(p.processor.PrepareDataTransfer(reading, 6)), "ABC");
  EXPECT_STREQ(reading, "ABCDEF");
}

TEST(ReadingTransformation, ReducePadchars) {
  const struct {
    const char* range;
    char pad;
    std::int32_t length, reduced;
    const char* how;
  } cases[] = {
      {"1200", '0', 4, 2, "while verlassen"},
      {"0000", '0', 4, 1, "Ende"},
      {"7", '7', 1, 1, "Ende"},
      {"12  ", ' ', 4, 2, "while verlassen"},
      {"1200", '0', 3, 2, "while verlassen"},  // only the given length counts
      {"AB", 'B', 0, 0, "while verlassen"},    // an empty range stays as it is
      {"AB", 'B', -3, -3, "while verlassen"},
  };
  for (const auto& c : cases) {
    testing::ConfiguredProcessor p;
    char code[3];
    std::snprintf(code, sizeof code, "%02x", static_cast<unsigned char>(c.pad));
    p.configure(std::string("Padding character used=yes|Padding character=") + code);
    std::int32_t length = c.length;
    p.processor.ReducePadchars(c.range, length);
    EXPECT_EQ(length, c.reduced) << c.range << " " << c.length;
    char expected[200];
    std::snprintf(expected, sizeof expected,
                  "ReducePadchars(): bPadUsed true, Padchar: '%c' == '0x%02x'\n"
                  "ReducePadchars() %s: Lesebereich: '%s', L\xe4nge jetzt: %d\n",
                  c.pad, static_cast<unsigned char>(c.pad), c.how, c.range, c.reduced);
    EXPECT_EQ(p.captured.text(), expected);
  }
}

// The length becomes that of the output.
TEST(ReadingTransformation, TrimmedDecimal) {
  const struct {
    const char* text;
    std::int32_t start, length;
    const char *digits, *output;
  } cases[] = {
      {"00A1F", 0, 5, "8", "00002591"},
      {"a1f", 0, 3, "8", "00002591"},
      {"3B9ACA00", 0, 8, "8", "00000000"},  // 1000000000 keeps its last 8 digits
      {"12G4", 0, 4, "8", "00000000"},
      {"FFFFFFFFFFFFF", 0, 13, "10", "9627370495"},
      {"20000000000000", 0, 14, "10", "9254740992"},  // 2^53, still exact
      {"FFFFFFFFFFFFF", 0, 13, "0", ""},
      {"xx9e", 2, 2, "6", "000158"},
      {"FF", 0, 0, "3", "000"},   // an empty range is 0
      {"FF", 0, -2, "3", "000"},  // a negative length copies nothing
      {"F", 0, 5, "4", "0015"},   // the text ends before the length
  };
  for (const auto& c : cases) {
    testing::ConfiguredProcessor p;
    p.configure(std::string("Conversion=HEXA2DEC|Decimal n-digit (right aligned)=") + c.digits);
    std::int32_t length = c.length;
    char output[CardDataProcessor::decimalSize];
    p.processor.TrimmedDecimal(c.text, c.start, length, output);
    EXPECT_STREQ(output, c.output) << c.text;
    EXPECT_EQ(length, static_cast<std::int32_t>(std::strlen(c.output))) << c.text;
  }
  // Beyond 2^53 the value is a rounded double: the digits of its end.
  testing::ConfiguredProcessor p;
  p.configure("Conversion=HEXA2DEC|Decimal n-digit (right aligned)=10");
  std::int32_t length = 64;
  char output[CardDataProcessor::decimalSize];
  p.processor.TrimmedDecimal(std::string(64, 'F').c_str(), 0, length, output);
  EXPECT_EQ(length, 10);
  EXPECT_EQ(std::strspn(output, "0123456789"), 10u);
  EXPECT_EQ(CardDataProcessor::HexToDouble("1G"), 0.0);  // any other character makes the value 0
}

}  // namespace
}  // namespace tavolin
