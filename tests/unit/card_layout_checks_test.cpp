#include <gtest/gtest.h>

#include <array>

#include "fakes/memory_text_file.h"
#include "fakes/named_params.h"
#include "fakes/recording_keyboard.h"
#include "processing/card_data_processor.h"

namespace tavolin {
namespace {

class CardLayoutChecks : public ::testing::Test {
 protected:
  void ranges(const char* start, const char* stop, const char* start2, const char* stop2) {
    card.sReadStart = start;
    card.sReadStop = stop;
    card.sReadStart2 = start2;
    card.sReadStop2 = stop2;
  }

  testing::RecordingKeyboard keyboard;
  testing::CapturedTrace captured;
  CardDataProcessor processor{keyboard, captured.trace};
  CardDataSettings card;
};

constexpr char kOverlap[] = "CheckCardAttr(): keine 2. Lesel\xe4nge (da \xfc" "berlappender oder anschlie\xdf" "ender Lesebereich)\n";
constexpr char kNotPositive[] = "CheckCardAttr(): keine 2. Lesel\xe4nge (<= 0)\n";

struct Layout {
  const char *name, *mode, *direction, *start, *stop, *start2, *stop2, *total;
  // iReadLen, iByteStart, iByteStop, iByteLen1, iByteStart2, iByteLen2,
  // iCardStart, iCardStop, iCardLen1, iCardStart2, iCardLen2, iTotalLen
  std::array<std::int32_t, 12> attr;
  const char* range2Trace = nullptr;  // why range 2 was dropped, if it was
};

class CardAttrLayouts : public CardLayoutChecks, public ::testing::WithParamInterface<Layout> {};

TEST_P(CardAttrLayouts, DerivesLayout) {
  const Layout& l = GetParam();
  card.sByteMode = l.mode;
  card.sDirection = l.direction;
  card.sTotalLength = l.total;
  ranges(l.start, l.stop, l.start2, l.stop2);
  EXPECT_EQ(processor.CheckCardAttr(card), l.attr[0]);
  const CardAttr& a = processor.cardAttr();
  EXPECT_EQ(
      (std::array<std::int32_t, 12>{a.iReadLen, a.iByteStart, a.iByteStop, a.iByteLen1, a.iByteStart2, a.iByteLen2,
                                    a.iCardStart, a.iCardStop, a.iCardLen1, a.iCardStart2, a.iCardLen2, a.iTotalLen}),
      l.attr);
  if (l.range2Trace) {
    EXPECT_NE(captured.text().find(l.range2Trace), std::string::npos);
  } else {
    EXPECT_EQ(captured.text().find("keine 2. Lesel\xe4nge"), std::string::npos);
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Layouts, CardAttrLayouts,
    ::testing::Values(
        // name                mode          dir         s1   e1    s2    e2    total  attr
        Layout{"Defaults", "BYTEWISE", "FORWARD", "1", "14", "-", "-", "14", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 14}},
        Layout{"AdjacentRange2", "BYTEWISE", "FORWARD", "1", "14", "15", "20", "20", {20, 1, 20, 14, 14, 6, 1, 20, 14, 14, 6, 20}},
        Layout{"OverlappingRange2", "BYTEWISE", "FORWARD", "1", "14", "14", "20", "20", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20}, kOverlap},
        Layout{"ReversedRange2", "BYTEWISE", "FORWARD", "1", "14", "20", "18", "20", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20}, kNotPositive},
        Layout{"Range2StartMissing", "BYTEWISE", "FORWARD", "1", "14", "-", "20", "20", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20}},
        Layout{"Range2StopMissing", "BYTEWISE", "FORWARD", "1", "14", "16", "-", "20", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20}},
        Layout{"StopBeforeStart", "BYTEWISE", "FORWARD", "5", "3", "-", "-", "14", {-1, 5, 3, -1, 0, 0, 5, 3, -1, 0, 0, 14}},
        Layout{"WorkedTwoRanges", "BYTEWISE", "FORWARD", "3", "6", "9", "12", "14", {10, 3, 12, 4, 6, 4, 3, 12, 4, 6, 4, 14}},
        Layout{"WorkedTwoRangesBackward", "BYTEWISE", "BACKWARD", "3", "6", "9", "12", "14", {10, 1, 12, 4, 6, 4, 1, 12, 4, 6, 4, 14}},
        Layout{"BackwardOneRange", "BYTEWISE", "BACKWARD", "3", "6", "-", "-", "14", {4, 1, 6, 4, 0, 0, 1, 6, 4, 0, 0, 14}},
        Layout{"WorkedNibbles", "NIBBELWISE", "FORWARD", "3", "7", "-", "-", "15", {3, 2, 4, 3, 0, 0, 3, 7, 5, 0, 0, 8}},
        Layout{"NibblesTwoRanges", "NIBBELWISE", "FORWARD", "2", "5", "8", "11", "16", {6, 1, 6, 3, 3, 3, 2, 11, 4, 6, 4, 8}},
        // Backward: range 2 comes first in the inverted data, the lengths swap.
        Layout{"NibblesTwoRangesBackward", "NIBBELWISE", "BACKWARD", "2", "5", "8", "11", "16", {6, 1, 6, 3, 3, 3, 1, 11, 4, 6, 4, 8}},
        Layout{"UnevenRangesBackward", "BYTEWISE", "BACKWARD", "1", "2", "5", "10", "10", {10, 1, 10, 6, 8, 2, 1, 10, 6, 8, 2, 10}}),
    testing::NamedParam());
// clang-format on

constexpr char kOutOfRange[] = "CheckCardAttr(): Fehler: Gesamtl\xe4nge oder Leseposition nicht im Bereich 1 bis 107\n";

struct Implausible {
  const char *name, *total, *start, *stop, *start2, *stop2;
  const char* trace = kOutOfRange;
};

class ImplausibleLayouts : public CardLayoutChecks, public ::testing::WithParamInterface<Implausible> {};

// Stored values outside what the buffers hold, or a range 1 that stops
// before it starts, never reach a reading.
TEST_P(ImplausibleLayouts, AreRefused) {
  const Implausible& v = GetParam();
  card.sTotalLength = v.total;
  ranges(v.start, v.stop, v.start2, v.stop2);
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
                                  "CheckCardAttr(): Fehler: 1. Lesel\xe4nge <= 0\n"}),
    testing::NamedParam());
// clang-format on

TEST_F(CardLayoutChecks, KeywordsAreExactAndUnknownMeansFirstChoice) {
  card.sByteMode = "nibbelwise";
  card.sDirection = "backward";
  card.sNonNumeric = "MAPTOSPECCHARS";
  card.sFixedLength = "Yes";
  processor.CheckCardAttr(card);
  EXPECT_EQ(processor.cardAttr().iNibbleMode, NibbleMode::Bytewise);
  EXPECT_TRUE(processor.cardAttr().bForward);
  EXPECT_FALSE(processor.cardAttr().bMapToHex);
  EXPECT_FALSE(processor.cardAttr().bFixedLen);
}

TEST_F(CardLayoutChecks, CardAttrTraceOfTwoRangesBackward) {
  ranges("3", "6", "9", "12");
  card.sDirection = "BACKWARD";
  processor.CheckCardAttr(card);
  EXPECT_EQ(captured.text(),
            "CheckCardAttr(): 1. Lesel\xe4nge: 4 Bytes oder Nibbel\n"
            "CheckCardAttr(): 2. Lesel\xe4nge: 4 Bytes oder Nibbel\n"
            "CheckCardAttr(): From byte start position 3 on reading 10 bytes\n"
            "\tiByteStart: 3, iByteLen1: 4, iByteStart2 (relativ zu iByteStart): 6, iByteLen2: 4, iByteStop: 12\n"
            "\tiCardStart: 3, iCardLen1: 4, iCardStart2 (relativ zu iCardStart): 6, iCardLen2: 4, iCardStop: 12\n"
            "CheckCardAttr(): CardAttr neu berechnet, da Leserichtung r\xfc" "ckw\xe4rts:\n"
            "\tiByteStart: 1, iByteLen1: 4, iByteStart2 (relativ zu iByteStart): 6, iByteLen2: 4, iByteStop: 12\n"
            "\tiCardStart: 1, iCardLen1: 4, iCardStart2 (relativ zu iCardStart): 6, iCardLen2: 4, iCardStop: 12\n");
}

// What the filters do is checked by typing readings; here their trace.
TEST_F(CardLayoutChecks, FilterTraces) {
  const struct {
    const char *padUsed, *conversion, *truncateFirst, *trace;
  } cases[] = {
      {"yes", "HEXA2DEC", "no",
       "CheckFilter(): Padchar ist: '0' == '0x30'\n"
       "CheckFilter(): hex -> dec Konvertierung (8-stellig, rechtsb\xfcndig)\n"
       "CheckFilter(): Filter: 1. konvertieren, 2. Padchar l\xf6schen\n"},
      {"no", "none", "yes",
       "CheckFilter(): kein PAD verwendet\n"
       "CheckFilter(): keine hex -> dec Konvertierung\n"
       "CheckFilter(): Filter: 1. Padchar l\xf6schen, 2. konvertieren\n"},
  };
  card.sPadChar = "30";
  card.sDigits = "8";
  for (const auto& c : cases) {
    captured.clear();
    card.sPadUsed = c.padUsed;
    card.sConversion = c.conversion;
    card.sTruncateFirst = c.truncateFirst;
    processor.CheckFilter(card);
    EXPECT_EQ(captured.text(), c.trace);
  }
}

TEST_F(CardLayoutChecks, PaddingAndDigitTextsOutsideTheOfferedValues) {
  card.sPadUsed = "yes";
  const std::pair<const char*, std::uint8_t> pads[] = {{"20", 0x20}, {"2", 0x02},  {" 3f", 0x3F}, {"7e1", 0x7E},
                                                       {"", 0x20},   {"zz", 0x20}, {"-1", 0x20}};
  for (const auto& [text, padChar] : pads) {
    card.sPadChar = text;
    processor.CheckFilter(card);
    EXPECT_EQ(processor.filterAttr().cPadChar, padChar) << "'" << text << "'";
  }
  const std::pair<const char*, std::int32_t> digits[] = {{"0", 0},  {"10", 10}, {"11", 10}, {"999999999999", 10},
                                                         {"-3", 0}, {"x", 0},   {" 7", 7}};
  for (const auto& [text, count] : digits) {
    card.sDigits = text;
    processor.CheckFilter(card);
    EXPECT_EQ(processor.filterAttr().iDigits, count) << "'" << text << "'";
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
    EXPECT_EQ(std::vector<KeyCode>(list.codes.begin(), list.codes.begin() + list.count), c.codes) << c.text;
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
  EXPECT_EQ(keyboard.refreshes(), 1);
  EXPECT_EQ(captured.text(),
            "CheckAddChars(): DataPostProcessing.PrefixCode: Len: 1\n\t'\t' (=='0x09') \n"
            "CheckAddChars(): DataPostProcessing.InterfixCode: keiner\n"
            "CheckAddChars(): DataPostProcessing.PostfixCode: Len: 2\n\t'A' (=='0x41') '\xFF' (=='0xffff') \n");
}

}  // namespace
}  // namespace tavolin
