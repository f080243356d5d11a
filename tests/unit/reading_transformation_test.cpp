#include <gtest/gtest.h>

#include <cstring>

#include "fakes/configured_processor.h"
#include "fakes/named_params.h"

namespace tavolin {
namespace {

class ReadingTransformation : public ::testing::Test {
 protected:
  testing::ConfiguredProcessor p;
  Settings settings;

  std::string prepare(const std::string& reading) {
    const char* result = p.processor.PrepareDataTransfer(reading.data(), static_cast<std::int32_t>(reading.size()));
    return result ? result : "<none>";
  }
};

struct Decoding {
  const char* name;
  const char* mode;
  const char* mapping;
  const char* direction;
  const char* start;
  const char* stop;
  std::string reading;
  const char* result;
};

class Decodings : public ReadingTransformation, public ::testing::WithParamInterface<Decoding> {};

TEST_P(Decodings, PrepareDataTransfer) {
  const Decoding& d = GetParam();
  settings.cardData.sByteMode = d.mode;
  settings.cardData.sNonNumeric = d.mapping;
  settings.cardData.sDirection = d.direction;
  settings.cardData.sReadStart = d.start;
  settings.cardData.sReadStop = d.stop;
  ASSERT_GT(p.configure(settings), 0);
  EXPECT_EQ(prepare(d.reading), d.result);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Modes, Decodings,
    ::testing::Values(
        Decoding{"NibblesOddStop", "NIBBELWISE", "MAPTOHEXCHARS", "FORWARD", "1", "5", "\x12\xAB\x3C", "12AB3"},
        Decoding{"NibblesSpecialChars", "NIBBELWISE", "MAPTOSPECCHARS", "FORWARD", "1", "6", "\x12\xAB\x3C", "12:;3<"},
        Decoding{"NibblesFromOddStart", "NIBBELWISE", "MAPTOHEXCHARS", "FORWARD", "3", "6", "\x12\xAB\x3C", "AB3C"},
        Decoding{"NibblesZeroBytes", "NIBBELWISE", "MAPTOHEXCHARS", "FORWARD", "1", "4", std::string("\x00\x01", 2), "0001"},
        Decoding{"LowNibbles", "LOWNIBBELWISE", "MAPTOHEXCHARS", "FORWARD", "1", "2", "\x31\x32", "12"},
        Decoding{"HighNibbles", "HIGHNIBBELWISE", "MAPTOHEXCHARS", "FORWARD", "1", "2", "\x31\x32", "33"},
        Decoding{"BytewiseFromStart", "BYTEWISE", "MAPTOHEXCHARS", "FORWARD", "3", "6", "ABCDEFGH", "CDEF"},
        Decoding{"BytewiseBackward", "BYTEWISE", "MAPTOHEXCHARS", "BACKWARD", "1", "6", "ABCDEF", "FEDCBA"},
        Decoding{"BackwardCutAtStop", "BYTEWISE", "MAPTOHEXCHARS", "BACKWARD", "3", "6", "ABCDEFGH", "FEDCBA"},
        Decoding{"NibblesBackward", "NIBBELWISE", "MAPTOHEXCHARS", "BACKWARD", "1", "5", "\x12\xAB\x3C", "3BA21"},
        // A zero byte ends bytewise card data; when that is before the
        // start, the usable text is empty rather than what lies behind.
        Decoding{"ZeroByteEndsData", "BYTEWISE", "MAPTOHEXCHARS", "FORWARD", "1", "6", std::string("AB\0DEF", 6), "AB"},
        Decoding{"ZeroByteBeforeStart", "BYTEWISE", "MAPTOHEXCHARS", "FORWARD", "4", "6", std::string("AB\0DEF", 6), ""},
        Decoding{"ShortReadingBeforeStart", "BYTEWISE", "MAPTOHEXCHARS", "FORWARD", "5", "8", "ABC", ""},
        // Nothing past the delivered bytes is decoded.
        Decoding{"NibblesShortReading", "NIBBELWISE", "MAPTOHEXCHARS", "FORWARD", "1", "7", "\x12\xAB", "12AB"}),
    testing::NamedParam());
// clang-format on

TEST_F(ReadingTransformation, ReadingOfLengthZeroGivesNoText) {
  p.configure(settings);
  EXPECT_EQ(p.processor.PrepareDataTransfer("ABC", 0), nullptr);
  EXPECT_EQ(p.processor.PrepareDataTransfer("ABC", -4), nullptr);
  EXPECT_EQ(p.captured.text(),
            "PrepareDataTransfer(): Fehler: Lesung mit Länge 0\n"
            "PrepareDataTransfer(): Fehler: Lesung mit Länge 0\n");
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
  prepare("\x31\x32");
  EXPECT_EQ(p.captured.text(),
            "PrepareDataTransfer(): Start, vollständige Lesung: '12' mit Länge: 2 Byte\n"
            "PrepareDataTransfer(): Nibbel Daten konvertiert zu '313'\n"
            "PrepareDataTransfer(): '313' invertieren\n"
            "PrepareDataTransfer(): '313' mit Länge 3 invertieren\n"
            "PrepareDataTransfer(): invertiert zu '313'\n"
            "PrepareDataTransfer(): Endergebnis '313'\n");
}

struct Padding {
  const char* range;
  char pad;
  std::int32_t length;
  std::int32_t reduced;
  const char* how;
};

TEST_F(ReadingTransformation, ReducePadchars) {
  const Padding cases[] = {
      {"1200", '0', 4, 2, "while verlassen"},
      {"0000", '0', 4, 1, "Ende"},
      {"7", '7', 1, 1, "Ende"},
      {"12  ", ' ', 4, 2, "while verlassen"},
      {"1200", '0', 3, 2, "while verlassen"},  // only the given length counts
      {"AB", 'B', 0, 0, "while verlassen"},    // an empty range stays as it is
      {"AB", 'B', -3, -3, "while verlassen"},
  };
  for (const Padding& c : cases) {
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
                  "ReducePadchars() %s: Lesebereich: '%s', Länge jetzt: %d\n",
                  c.pad, static_cast<unsigned char>(c.pad), c.how, c.range, c.reduced);
    EXPECT_EQ(p.captured.text(), expected);
  }
}

TEST_F(ReadingTransformation, HexToDouble) {
  EXPECT_EQ(CardDataProcessor::HexToDouble(""), 0.0);
  EXPECT_EQ(CardDataProcessor::HexToDouble("FF"), 255.0);
  EXPECT_EQ(CardDataProcessor::HexToDouble("a1f"), 2591.0);
  EXPECT_EQ(CardDataProcessor::HexToDouble("12G4"), 0.0);
  EXPECT_EQ(CardDataProcessor::HexToDouble("FFFFFFFFFFFFF"), 4503599627370495.0);
  EXPECT_EQ(CardDataProcessor::HexToDouble("20000000000000"), 9007199254740992.0);
}

struct Conversion {
  const char* text;
  std::int32_t start;
  std::int32_t length;
  const char* digits;
  const char* output;
};

TEST_F(ReadingTransformation, TrimmedDecimal) {
  const Conversion cases[] = {
      {"00A1F", 0, 5, "8", "00002591"},  {"3B9ACA00", 0, 8, "8", "00000000"},  // 1000000000 keeps its last 8 digits
      {"12G4", 0, 4, "8", "00000000"},   {"FFFFFFFFFFFFF", 0, 13, "10", "9627370495"},
      {"FFFFFFFFFFFFF", 0, 13, "0", ""}, {"xxFF", 2, 2, "6", "000255"},
      {"FF", 0, 0, "3", "000"},   // an empty range is 0
      {"FF", 0, -2, "3", "000"},  // a negative length copies nothing
      {"F", 0, 5, "4", "0015"},   // the text ends before the length
  };
  for (const Conversion& c : cases) {
    settings.cardData.sConversion = "HEXA2DEC";
    settings.cardData.sDigits = c.digits;
    p.configure(settings);
    char output[CardDataProcessor::decimalSize];
    std::int32_t length = c.length;
    p.processor.TrimmedDecimal(c.text, c.start, length, output);
    EXPECT_STREQ(output, c.output) << c.text;
    EXPECT_EQ(length, static_cast<std::int32_t>(std::strlen(c.output))) << c.text;
  }
}

TEST_F(ReadingTransformation, TrimmedDecimalTrace) {
  settings.cardData.sConversion = "HEXA2DEC";
  settings.cardData.sDigits = "8";
  p.configure(settings);
  char output[CardDataProcessor::decimalSize];
  std::int32_t length = 5;
  p.processor.TrimmedDecimal("00A1F", 0, length, output);
  EXPECT_EQ(p.captured.text(),
            "TrimmedDecimal() Start: '00A1F' Startindex: 0 len: 5\n"
            "TrimmedDecimal() konvertiert zu dezimal: '2591' mit Länge: 4\n"
            "TrimmedDecimal() Ende: '00002591' mit fester Länge: 8\n");
}

TEST_F(ReadingTransformation, LargeValuesAreRoundedDoubles) {
  settings.cardData.sConversion = "HEXA2DEC";
  settings.cardData.sDigits = "10";
  p.configure(settings);
  char output[CardDataProcessor::decimalSize];
  std::int32_t length = 64;
  const std::string longest(64, 'F');  // 16^64 - 1, far beyond 2^53
  p.processor.TrimmedDecimal(longest.c_str(), 0, length, output);
  EXPECT_EQ(length, 10);
  EXPECT_EQ(std::strspn(output, "0123456789"), 10u);
}

struct RangeFilter {
  const char* name;
  const char* truncateFirst;
  const char* padUsed;
  const char* padChar;
  const char* conversion;
  const char* digits;
  const char* range;
  const char* result;
};

class RangeFilters : public ReadingTransformation, public ::testing::WithParamInterface<RangeFilter> {};

TEST_P(RangeFilters, PrepareReading) {
  const RangeFilter& f = GetParam();
  auto& card = settings.cardData;
  card.sTruncateFirst = f.truncateFirst;
  card.sPadUsed = f.padUsed;
  card.sPadChar = f.padChar;
  card.sConversion = f.conversion;
  card.sDigits = f.digits;
  card.sReadStop = std::to_string(std::strlen(f.range));
  p.configure(settings);
  CardDataProcessor::PreparedReading prepared;
  ASSERT_TRUE(p.processor.PrepareReading(f.range, static_cast<std::int32_t>(std::strlen(f.range)), prepared));
  EXPECT_EQ(std::string(prepared.part1, static_cast<std::size_t>(prepared.len1)), f.result);
  EXPECT_FALSE(prepared.hasSecond());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Orders, RangeFilters,
    ::testing::Values(RangeFilter{"NoFilter", "yes", "no", "20", "none", "0", "12  ", "12  "},
                      RangeFilter{"PaddingOnly", "yes", "yes", "20", "none", "0", "12  ", "12"},
                      RangeFilter{"PaddingOnlyAfter", "no", "yes", "20", "none", "0", "12  ", "12"},
                      RangeFilter{"TruncateThenConvert", "yes", "yes", "46", "HEXA2DEC", "4", "1FFF", "0001"},
                      RangeFilter{"ConvertThenTruncate", "no", "yes", "30", "HEXA2DEC", "6", "64", "0001"},
                      RangeFilter{"ConvertOnly", "yes", "no", "20", "HEXA2DEC", "6", "FF", "000255"},
                      RangeFilter{"ConvertNothingKept", "no", "yes", "30", "HEXA2DEC", "0", "64", ""}),
    testing::NamedParam());
// clang-format on

}  // namespace
}  // namespace tavolin
