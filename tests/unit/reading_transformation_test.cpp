#include <gtest/gtest.h>

#include <cstring>

#include "fakes/configured_processor.h"

namespace tavolin {
namespace {

class ReadingTransformation : public ::testing::Test {
 protected:
  testing::ConfiguredProcessor p;
  Settings settings;

  // Converts with the given digits; the length becomes that of the result.
  std::string decimal(const char* text, std::int32_t start, std::int32_t& length, const char* digits) {
    settings.cardData.sConversion = "HEXA2DEC";
    settings.cardData.sDigits = digits;
    p.configure(settings);
    char output[CardDataProcessor::decimalSize];
    p.processor.TrimmedDecimal(text, start, length, output);
    return output;
  }
};

TEST_F(ReadingTransformation, ReadingOfLengthZeroGivesNoText) {
  p.configure(settings);
  EXPECT_EQ(p.processor.PrepareDataTransfer("ABC", 0), nullptr);
  EXPECT_EQ(p.processor.PrepareDataTransfer("ABC", -4), nullptr);
  EXPECT_EQ(p.captured.text(),
            "PrepareDataTransfer(): Fehler: Lesung mit L\xe4nge 0\n"
            "PrepareDataTransfer(): Fehler: Lesung mit L\xe4nge 0\n");
}

TEST_F(ReadingTransformation, LeavesTheCallersBufferAlone) {
  settings.cardData.sReadStop = "3";
  p.configure(settings);
  char reading[] = "ABCDEF";
  EXPECT_EQ(std::string(p.processor.PrepareDataTransfer(reading, 6)), "ABC");
  EXPECT_STREQ(reading, "ABCDEF");
}

TEST_F(ReadingTransformation, TraceOfBackwardNibbles) {
  settings.cardData.sByteMode = "NIBBELWISE";
  settings.cardData.sDirection = "BACKWARD";
  settings.cardData.sReadStop = "3";
  p.configure(settings);
  p.processor.PrepareDataTransfer("\x31\x32", 2);
  EXPECT_EQ(p.captured.text(),
            "PrepareDataTransfer(): Start, vollst\xe4ndige Lesung: '12' mit L\xe4nge: 2 Byte\n"
            "PrepareDataTransfer(): Nibbel Daten konvertiert zu '313'\n"
            "PrepareDataTransfer(): '313' invertieren\n"
            "PrepareDataTransfer(): '313' mit L\xe4nge 3 invertieren\n"
            "PrepareDataTransfer(): invertiert zu '313'\n"
            "PrepareDataTransfer(): Endergebnis '313'\n");
}

TEST_F(ReadingTransformation, ReducePadchars) {
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
    settings.cardData.sPadUsed = "yes";
    char code[3];
    std::snprintf(code, sizeof code, "%02x", static_cast<unsigned char>(c.pad));
    settings.cardData.sPadChar = code;
    p.configure(settings);
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

TEST_F(ReadingTransformation, TrimmedDecimal) {
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
      {"xxFF", 2, 2, "6", "000255"},
      {"FF", 0, 0, "3", "000"},   // an empty range is 0
      {"FF", 0, -2, "3", "000"},  // a negative length copies nothing
      {"F", 0, 5, "4", "0015"},   // the text ends before the length
  };
  for (const auto& c : cases) {
    std::int32_t length = c.length;
    EXPECT_EQ(decimal(c.text, c.start, length, c.digits), c.output) << c.text;
    EXPECT_EQ(length, static_cast<std::int32_t>(std::strlen(c.output))) << c.text;
  }
}

TEST_F(ReadingTransformation, TrimmedDecimalTrace) {
  std::int32_t length = 5;
  decimal("00A1F", 0, length, "8");
  EXPECT_EQ(p.captured.text(),
            "TrimmedDecimal() Start: '00A1F' Startindex: 0 len: 5\n"
            "TrimmedDecimal() konvertiert zu dezimal: '2591' mit L\xe4nge: 4\n"
            "TrimmedDecimal() Ende: '00002591' mit fester L\xe4nge: 8\n");
}

TEST_F(ReadingTransformation, LargeValuesAreRoundedDoubles) {
  std::int32_t length = 64;
  const std::string output = decimal(std::string(64, 'F').c_str(), 0, length, "10");  // 16^64 - 1, far beyond 2^53
  EXPECT_EQ(length, 10);
  EXPECT_EQ(output.size(), 10u);
  EXPECT_EQ(output.find_first_not_of("0123456789"), std::string::npos);
}

}  // namespace
}  // namespace tavolin
