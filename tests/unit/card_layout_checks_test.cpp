#include <gtest/gtest.h>

#include "fakes/memory_text_file.h"
#include "fakes/named_params.h"
#include "fakes/recording_keyboard.h"
#include "processing/card_data_processor.h"
#include "processing/special_key_table.h"

namespace tavolin {
namespace {

class CardLayoutChecks : public ::testing::Test {
 protected:
  testing::RecordingKeyboard keyboard;
  testing::CapturedTrace captured;
  CardDataProcessor processor{keyboard, captured.trace};
  CardDataSettings card;
};

struct Layout {
  const char* name;
  const char* mode;
  const char* direction;
  const char* start;
  const char* stop;
  const char* start2;
  const char* stop2;
  const char* total;
  // expected
  std::int32_t readLen, byteStart, byteStop, byteLen1, byteStart2, byteLen2;
  std::int32_t cardStart, cardStop, cardLen1, cardStart2, cardLen2, totalLen;
};

class CardAttrLayouts : public CardLayoutChecks, public ::testing::WithParamInterface<Layout> {};

TEST_P(CardAttrLayouts, DerivesLayout) {
  const Layout& l = GetParam();
  card.sByteMode = l.mode;
  card.sDirection = l.direction;
  card.sReadStart = l.start;
  card.sReadStop = l.stop;
  card.sReadStart2 = l.start2;
  card.sReadStop2 = l.stop2;
  card.sTotalLength = l.total;
  EXPECT_EQ(processor.CheckCardAttr(card), l.readLen);
  const CardAttr& a = processor.cardAttr();
  EXPECT_EQ(a.iReadLen, l.readLen);
  EXPECT_EQ(a.iByteStart, l.byteStart);
  EXPECT_EQ(a.iByteStop, l.byteStop);
  EXPECT_EQ(a.iByteLen1, l.byteLen1);
  EXPECT_EQ(a.iByteStart2, l.byteStart2);
  EXPECT_EQ(a.iByteLen2, l.byteLen2);
  EXPECT_EQ(a.iCardStart, l.cardStart);
  EXPECT_EQ(a.iCardStop, l.cardStop);
  EXPECT_EQ(a.iCardLen1, l.cardLen1);
  EXPECT_EQ(a.iCardStart2, l.cardStart2);
  EXPECT_EQ(a.iCardLen2, l.cardLen2);
  EXPECT_EQ(a.iTotalLen, l.totalLen);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Layouts, CardAttrLayouts,
    ::testing::Values(
        //     name              mode          dir        s1    e1    s2    e2    total  readLen bS bE bL1 bS2 bL2  cS cE cL1 cS2 cL2 tot
        Layout{"Defaults", "BYTEWISE", "FORWARD", "1", "14", "-", "-", "14", 14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 14},
        Layout{"AdjacentRange2", "BYTEWISE", "FORWARD", "1", "14", "15", "20", "20", 20, 1, 20, 14, 14, 6, 1, 20, 14, 14, 6, 20},
        Layout{"OverlappingRange2", "BYTEWISE", "FORWARD", "1", "14", "14", "20", "20", 14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20},
        Layout{"ReversedRange2", "BYTEWISE", "FORWARD", "1", "14", "20", "18", "20", 14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20},
        Layout{"Range2StopMissing", "BYTEWISE", "FORWARD", "1", "14", "16", "-", "20", 14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20},
        Layout{"StopBeforeStart", "BYTEWISE", "FORWARD", "5", "3", "-", "-", "14", -1, 5, 3, -1, 0, 0, 5, 3, -1, 0, 0, 14},
        Layout{"WorkedTwoRanges", "BYTEWISE", "FORWARD", "3", "6", "9", "12", "14", 10, 3, 12, 4, 6, 4, 3, 12, 4, 6, 4, 14},
        Layout{"WorkedTwoRangesBackward", "BYTEWISE", "BACKWARD", "3", "6", "9", "12", "14", 10, 1, 12, 4, 6, 4, 1, 12, 4, 6, 4, 14},
        Layout{"BackwardOneRange", "BYTEWISE", "BACKWARD", "3", "6", "-", "-", "14", 4, 1, 6, 4, 0, 0, 1, 6, 4, 0, 0, 14},
        Layout{"WorkedNibbles", "NIBBELWISE", "FORWARD", "3", "7", "-", "-", "15", 3, 2, 4, 3, 0, 0, 3, 7, 5, 0, 0, 8},
        Layout{"NibblesTwoRanges", "NIBBELWISE", "FORWARD", "2", "5", "8", "11", "16", 6, 1, 6, 3, 3, 3, 2, 11, 4, 6, 4, 8},
        // Backward: range 2 comes first in the inverted data, the lengths swap.
        Layout{"NibblesTwoRangesBackward", "NIBBELWISE", "BACKWARD", "2", "5", "8", "11", "16", 6, 1, 6, 3, 3, 3, 1, 11, 4, 6, 4, 8},
        Layout{"UnevenRangesBackward", "BYTEWISE", "BACKWARD", "1", "2", "5", "10", "10", 10, 1, 10, 6, 8, 2, 1, 10, 6, 8, 2, 10}),
    testing::NamedParam());
// clang-format on

constexpr char kOutOfRange[] = "CheckCardAttr(): Fehler: Gesamtlänge oder Leseposition nicht im Bereich 1 bis 107\n";

struct Implausible {
  const char* name;
  const char* total;
  const char* start;
  const char* stop;
  const char* start2;
  const char* stop2;
  const char* trace = kOutOfRange;
};

class ImplausibleLayouts : public CardLayoutChecks, public ::testing::WithParamInterface<Implausible> {};

// Stored values outside what the buffers hold, or a range 1 that stops
// before it starts, never reach a reading.
TEST_P(ImplausibleLayouts, AreRefused) {
  const Implausible& v = GetParam();
  card.sTotalLength = v.total;
  card.sReadStart = v.start;
  card.sReadStop = v.stop;
  card.sReadStart2 = v.start2;
  card.sReadStop2 = v.stop2;
  EXPECT_EQ(processor.CheckCardAttr(card), 0);
  EXPECT_EQ(processor.cardAttr().iReadLen, 0);
  EXPECT_NE(captured.text().find(v.trace), std::string::npos);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    OutOfRange, ImplausibleLayouts,
    ::testing::Values(Implausible{"StopBeyondBuffer", "14", "1", "108", "-", "-"},
                      Implausible{"HugeStop", "14", "1", "99999999999", "-", "-"},
                      Implausible{"StartZero", "14", "0", "5", "-", "-"},
                      Implausible{"StartNotANumber", "14", "x", "5", "-", "-"},
                      Implausible{"TotalTooLong", "200", "1", "14", "-", "-"},
                      Implausible{"TotalNotANumber", "", "1", "14", "-", "-"},
                      Implausible{"Range2StopBeyondBuffer", "14", "1", "14", "20", "300"},
                      Implausible{"Range2StartNegative", "14", "1", "14", "-5", "-"},
                      Implausible{"Range1BackwardBeforeRange2", "14", "10", "1", "10", "14",
                                  "CheckCardAttr(): Fehler: 1. Leselänge <= 0\n"}),
    testing::NamedParam());
// clang-format on

TEST_F(CardLayoutChecks, KeywordsAreExactAndUnknownMeansFirstChoice) {
  card.sByteMode = "bytewise";
  card.sDirection = "backward";
  card.sNonNumeric = "MAPTOSPECCHARS";
  card.sFixedLength = "Yes";
  processor.CheckCardAttr(card);
  EXPECT_EQ(processor.cardAttr().iNibbleMode, 0);
  EXPECT_TRUE(processor.cardAttr().bForward);
  EXPECT_FALSE(processor.cardAttr().bMapToHex);
  EXPECT_FALSE(processor.cardAttr().bFixedLen);

  for (const auto& [text, mode] : {std::pair{"NIBBELWISE", 1}, {"LOWNIBBELWISE", 2}, {"HIGHNIBBELWISE", 3}}) {
    card.sByteMode = text;
    processor.CheckCardAttr(card);
    EXPECT_EQ(processor.cardAttr().iNibbleMode, mode) << text;
  }
}

TEST_F(CardLayoutChecks, CardAttrTraceOfTwoRangesBackward) {
  card.sReadStart = "3";
  card.sReadStop = "6";
  card.sReadStart2 = "9";
  card.sReadStop2 = "12";
  card.sDirection = "BACKWARD";
  processor.CheckCardAttr(card);
  EXPECT_EQ(captured.text(),
            "CheckCardAttr(): 1. Leselänge: 4 Bytes oder Nibbel\n"
            "CheckCardAttr(): 2. Leselänge: 4 Bytes oder Nibbel\n"
            "CheckCardAttr(): From byte start position 3 on reading 10 bytes\n"
            "\tiByteStart: 3, iByteLen1: 4, iByteStart2 (relativ zu iByteStart): 6, iByteLen2: 4, iByteStop: 12\n"
            "\tiCardStart: 3, iCardLen1: 4, iCardStart2 (relativ zu iCardStart): 6, iCardLen2: 4, iCardStop: 12\n"
            "CheckCardAttr(): CardAttr neu berechnet, da Leserichtung rückwärts:\n"
            "\tiByteStart: 1, iByteLen1: 4, iByteStart2 (relativ zu iByteStart): 6, iByteLen2: 4, iByteStop: 12\n"
            "\tiCardStart: 1, iCardLen1: 4, iCardStart2 (relativ zu iCardStart): 6, iCardLen2: 4, iCardStop: 12\n");
}

TEST_F(CardLayoutChecks, Range2IsDroppedWithTheRightTrace) {
  const struct {
    const char* start2;
    const char* stop2;
    const char* trace;
  } cases[] = {
      {"14", "20", "CheckCardAttr(): keine 2. Leselänge (da überlappender oder anschließender Lesebereich)\n"},
      {"20", "18", "CheckCardAttr(): keine 2. Leselänge (<= 0)\n"},
      {"-", "20", nullptr},
      {"16", "-", nullptr},
  };
  for (const auto& c : cases) {
    captured.clear();
    card.sReadStart2 = c.start2;
    card.sReadStop2 = c.stop2;
    processor.CheckCardAttr(card);
    EXPECT_EQ(processor.cardAttr().iByteStart2, 0);
    const std::string& trace = captured.text();
    const std::string firstLine = "CheckCardAttr(): 1. Leselänge: 14 Bytes oder Nibbel\n";
    const std::string nextLine =
        trace.substr(firstLine.size(), trace.find('\n', firstLine.size()) + 1 - firstLine.size());
    if (c.trace) {
      EXPECT_EQ(nextLine, c.trace) << c.start2 << " " << c.stop2;
    } else {
      EXPECT_EQ(nextLine, "CheckCardAttr(): From byte start position 1 on reading 14 bytes\n");
    }
  }
}

TEST_F(CardLayoutChecks, FilterFromSettings) {
  card.sPadUsed = "yes";
  card.sPadChar = "30";
  card.sConversion = "HEXA2DEC";
  card.sDigits = "8";
  card.sTruncateFirst = "no";
  processor.CheckFilter(card);
  const FilterAttr& f = processor.filterAttr();
  EXPECT_TRUE(f.bPadUsed);
  EXPECT_EQ(f.cPadChar, 0x30);
  EXPECT_TRUE(f.bHexToDec);
  EXPECT_EQ(f.iDigits, 8);
  EXPECT_FALSE(f.bTruncateFirst);
  EXPECT_EQ(captured.text(),
            "CheckFilter(): Padchar ist: '0' == '0x30'\n"
            "CheckFilter(): hex -> dec Konvertierung (8-stellig, rechtsbündig)\n"
            "CheckFilter(): Filter: 1. konvertieren, 2. Padchar löschen\n");
}

TEST_F(CardLayoutChecks, DefaultFilterTrace) {
  processor.CheckFilter(card);
  EXPECT_FALSE(processor.filterAttr().bPadUsed);
  EXPECT_EQ(processor.filterAttr().cPadChar, 0);
  EXPECT_EQ(captured.text(),
            "CheckFilter(): kein PAD verwendet\n"
            "CheckFilter(): keine hex -> dec Konvertierung\n"
            "CheckFilter(): Filter: 1. Padchar löschen, 2. konvertieren\n");
}

TEST_F(CardLayoutChecks, PaddingAndDigitTextsOutsideTheOfferedValues) {
  card.sPadUsed = "yes";
  const struct {
    const char* padText;
    std::uint8_t padChar;
  } pads[] = {{"20", 0x20}, {"2", 0x02}, {" 3f", 0x3F}, {"7e1", 0x7E}, {"", 0x20}, {"zz", 0x20}, {"-1", 0x20}};
  for (const auto& p : pads) {
    card.sPadChar = p.padText;
    processor.CheckFilter(card);
    EXPECT_EQ(processor.filterAttr().cPadChar, p.padChar) << "'" << p.padText << "'";
  }
  const struct {
    const char* text;
    std::int32_t digits;
  } digits[] = {{"0", 0}, {"10", 10}, {"11", 10}, {"999999999999", 10}, {"-3", 0}, {"x", 0}, {" 7", 7}};
  for (const auto& d : digits) {
    card.sDigits = d.text;
    processor.CheckFilter(card);
    EXPECT_EQ(processor.filterAttr().iDigits, d.digits) << "'" << d.text << "'";
  }
}

TEST_F(CardLayoutChecks, ParsesAdditionalCharacters) {
  const struct {
    const char* text;
    std::vector<KeyCode> codes;
  } cases[] = {
      {"A<<B", {0x0141, 0x01BC, 0x0142}},
      {"<TAB><CR>", {0x0009, 0x000D}},
      {"<SHIFT TAB>", {0x0109}},
      {"<LF=Ctrl-ENTER><LF=0x0A><ESC>", {0x020D, 0x000A, 0x001B}},
      {"<F1><F8>", {0x0070, 0x0077}},
      {"x<Q>abc", {0x0058, 0x01BF, 0x0042, 0x0043}},  // the unknown "<Q>a" counts as "?"
      {"ab<Q", {0x0041, 0x0042, 0x01BF}},             // at most what is left
      {"<", {0x01BF}},
      {"none", {}},
      {"keine", {}},
      {"", {}},
      {"<<", {0x01BC}},
  };
  for (const auto& c : cases) {
    KeyCodeList list;
    list.count = 7;
    processor.ParseAddChars(c.text, list);
    ASSERT_EQ(list.count, static_cast<std::int32_t>(c.codes.size())) << c.text;
    for (std::size_t i = 0; i < c.codes.size(); ++i) EXPECT_EQ(list.codes[i], c.codes[i]) << c.text << " " << i;
  }
}

TEST_F(CardLayoutChecks, KeepsTheFirstHundredKeyCodes) {
  KeyCodeList list;
  processor.ParseAddChars(std::string(150, 'a') + "<CR>", list);
  EXPECT_EQ(list.count, 100);
  EXPECT_EQ(list.codes[99], 0x0041);
  EXPECT_NE(captured.text().find("ParseAddChars(): mehr als 100 Tasten, 51 weitere verworfen\n"), std::string::npos);
}

TEST_F(CardLayoutChecks, AddCharsTrace) {
  AddCharsSettings add;
  add.sPrefix = "<TAB>";
  add.sInterfix = "keine";
  add.sPostfix = "a?";
  keyboard.overrides['?'] = key_code::None;
  processor.CheckAddChars(add);
  EXPECT_EQ(keyboard.refreshes, 1);
  EXPECT_EQ(captured.text(),
            "CheckAddChars(): DataPostProcessing.PrefixCode: Len: 1\n\t'\t' (=='0x09') \n"
            "CheckAddChars(): DataPostProcessing.InterfixCode: keiner\n"
            "CheckAddChars(): DataPostProcessing.PostfixCode: Len: 2\n\t'A' (=='0x41') '\xFF' (=='0xffff') \n");
}

TEST(SpecialKeyTableTest, RowsInListOrder) {
  ASSERT_EQ(SpecialKeyTable::rowCount(), 14);
  EXPECT_STREQ(SpecialKeyTable::rowToken(0), "<CR>");
  EXPECT_STREQ(SpecialKeyTable::rowToken(4), "<SHIFT TAB>");
  EXPECT_STREQ(SpecialKeyTable::rowToken(13), "<F8>");
  EXPECT_EQ(SpecialKeyTable::rowToken(14), nullptr);
  EXPECT_EQ(SpecialKeyTable::rowToken(-1), nullptr);
}

}  // namespace
}  // namespace tavolin
