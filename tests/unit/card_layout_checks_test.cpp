#include <gtest/gtest.h>

#include <array>

#include "fakes/memory_text_file.h"
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

constexpr char kOverlap[] =
    "CheckCardAttr(): keine 2. Lesel\xe4nge (da \xfc"
    "berlappender oder anschlie\xdf"
    "ender Lesebereich)\n";
constexpr char kNotPositive[] = "CheckCardAttr(): keine 2. Lesel\xe4nge (<= 0)\n";

TEST_F(CardLayoutChecks, DerivesLayouts) {
  const struct {
    const char *name, *mode, *direction, *start, *stop, *start2, *stop2, *total;
    // iReadLen, iByteStart, iByteStop, iByteLen1, iByteStart2, iByteLen2,
    // iCardStart, iCardStop, iCardLen1, iCardStart2, iCardLen2, iTotalLen
    std::array<std::int32_t, 12> attr;
    const char* range2Trace = nullptr;  // why range 2 was dropped, if it was
  } cases[] = {
      // clang-format off
      // name              mode          dir        s1   e1    s2    e2   total  attr
      {"Defaults", "BYTEWISE", "FORWARD", "1", "14", "-", "-", "14", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 14}},
      {"AdjacentRange2", "BYTEWISE", "FORWARD", "1", "14", "15", "20", "20", {20, 1, 20, 14, 14, 6, 1, 20, 14, 14, 6, 20}},
      {"OverlappingRange2", "BYTEWISE", "FORWARD", "1", "14", "14", "20", "20", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20}, kOverlap},
      {"ReversedRange2", "BYTEWISE", "FORWARD", "1", "14", "20", "18", "20", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20}, kNotPositive},
      {"Range2StartNotANumber", "BYTEWISE", "FORWARD", "1", "14", "x", "20", "20", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20}},
      {"Range2StopMissing", "BYTEWISE", "FORWARD", "1", "14", "16", "-", "20", {14, 1, 14, 14, 0, 0, 1, 14, 14, 0, 0, 20}},
      {"StopBeforeStart", "BYTEWISE", "FORWARD", "5", "3", "-", "-", "14", {-1, 5, 3, -1, 0, 0, 5, 3, -1, 0, 0, 14}},
      {"WorkedTwoRanges", "BYTEWISE", "FORWARD", "3", "6", "9", "12", "14", {10, 3, 12, 4, 6, 4, 3, 12, 4, 6, 4, 14}},
      {"WorkedTwoRangesBackward", "BYTEWISE", "BACKWARD", "3", "6", "9", "12", "14", {10, 1, 12, 4, 6, 4, 1, 12, 4, 6, 4, 14}},
      {"BackwardOneRange", "BYTEWISE", "BACKWARD", "3", "6", "-", "-", "14", {4, 1, 6, 4, 0, 0, 1, 6, 4, 0, 0, 14}},
      {"WorkedNibbles", "NIBBELWISE", "FORWARD", "3", "7", "-", "-", "15", {3, 2, 4, 3, 0, 0, 3, 7, 5, 0, 0, 8}},
      {"NibblesTwoRanges", "NIBBELWISE", "FORWARD", "2", "5", "8", "11", "16", {6, 1, 6, 3, 3, 3, 2, 11, 4, 6, 4, 8}},
      // Backward: range 2 comes first in the inverted data, the lengths swap.
      {"NibblesTwoRangesBackward", "NIBBELWISE", "BACKWARD", "2", "5", "8", "11", "16", {6, 1, 6, 3, 3, 3, 1, 11, 4, 6, 4, 8}},
      {"UnevenRangesBackward", "BYTEWISE", "BACKWARD", "1", "2", "5", "10", "10", {10, 1, 10, 6, 8, 2, 1, 10, 6, 8, 2, 10}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    captured.clear();
    card.sByteMode = c.mode;
    card.sDirection = c.direction;
    card.sTotalLength = c.total;
    ranges(c.start, c.stop, c.start2, c.stop2);
    EXPECT_EQ(processor.CheckCardAttr(card), c.attr[0]);
    const CardAttr& a = processor.cardAttr();
    EXPECT_EQ(
        (std::array<std::int32_t, 12>{a.iReadLen, a.iByteStart, a.iByteStop, a.iByteLen1, a.iByteStart2, a.iByteLen2,
                                      a.iCardStart, a.iCardStop, a.iCardLen1, a.iCardStart2, a.iCardLen2, a.iTotalLen}),
        c.attr);
    EXPECT_EQ(captured.contains(c.range2Trace ? c.range2Trace : "keine 2. Lesel\xe4nge"), c.range2Trace != nullptr);
  }
}

// Stored values outside what the buffers hold, or a range 1 that stops
// before it starts, never reach a reading.
TEST_F(CardLayoutChecks, RefusesImplausibleLayouts) {
  const char* outOfRange = "CheckCardAttr(): Fehler: Gesamtl\xe4nge oder Leseposition nicht im Bereich 1 bis 107\n";
  const struct {
    const char *total, *start, *stop, *start2, *stop2, *trace;
  } cases[] = {
      // clang-format off
      {"14", "1", "108", "-", "-", outOfRange},    {"14", "1", "99999999999", "-", "-", outOfRange},
      {"14", "0", "5", "-", "-", outOfRange},      {"14", "x", "5", "-", "-", outOfRange},
      {"200", "1", "14", "-", "-", outOfRange},    {"", "1", "14", "-", "-", outOfRange},
      {"14", "1", "14", "20", "300", outOfRange},  {"14", "1", "14", "-5", "-", outOfRange},
      // clang-format on
      {"14", "10", "1", "10", "14", "CheckCardAttr(): Fehler: 1. Lesel\xe4nge <= 0\n"},  // before a range 2
  };
  for (const auto& c : cases) {
    captured.clear();
    card.sTotalLength = c.total;
    ranges(c.start, c.stop, c.start2, c.stop2);
    EXPECT_EQ(processor.CheckCardAttr(card), 0) << c.start << "-" << c.stop;
    EXPECT_EQ(processor.cardAttr().iReadLen, 0);
    EXPECT_TRUE(captured.contains(c.trace)) << c.start << "-" << c.stop;
  }
}

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

TEST_F(CardLayoutChecks, PaddingAndDigitTextsOutsideTheOfferedValues) {
  card.sPadUsed = "yes";
  const std::pair<const char*, std::uint8_t> pads[] = {{"20", 0x20}, {"2", 0x02},  {" 3F", 0x3F}, {"9e1", 0x9E},
                                                       {"", 0x20},   {"zz", 0x20}, {"-1", 0x20}, {"0A", 0x0A}};
  for (const auto& [text, padChar] : pads) {
    card.sPadChar = text;
    processor.CheckFilter(card);
    EXPECT_EQ(processor.filterAttr().cPadChar, padChar) << "'" << text << "'";
  }
  const std::pair<const char*, std::int32_t> digits[] = {{"0", 0},  {"10", 10}, {"11", 10}, {"999999999999", 10},
                                                         {"-3", 0}, {"x", 0},   {"\r\t7", 7}};
  for (const auto& [text, count] : digits) {
    card.sDigits = text;
    processor.CheckFilter(card);
    EXPECT_EQ(processor.filterAttr().iDigits, count) << "'" << text << "'";
  }
}

TEST_F(CardLayoutChecks, ParsesAdditionalCharacters) {
  const struct {
    std::string text;
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
  KeyCodeList list;
  processor.ParseAddChars(std::string(150, 'a') + "<CR>", list);
  EXPECT_EQ(list.count, 100);
  EXPECT_EQ(list.codes[99], 0x0041);
  EXPECT_TRUE(captured.contains("ParseAddChars(): mehr als 100 Tasten, 51 weitere verworfen\n"));
}

}  // namespace
}  // namespace tavolin
