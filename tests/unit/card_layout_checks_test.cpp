#include <gtest/gtest.h>

#include <sstream>

#include "fakes/configured_processor.h"

namespace tavolin {
namespace {

struct CardLayoutChecks : ::testing::Test, testing::ConfiguredProcessor {
  // "mode direction start stop start2 stop2 total"
  void layout(const std::string& values) {
    std::istringstream in(values);
    std::string v[7];
    for (std::string& value : v) in >> value;
    card.sByteMode = v[0], card.sDirection = v[1], card.sReadStart = v[2], card.sReadStop = v[3];
    card.sReadStart2 = v[4], card.sReadStop2 = v[5], card.sTotalLength = v[6] == "''" ? "" : v[6];
  }
  CardDataSettings card;
};

const char kOverlap[] =
    "CheckCardAttr(): keine 2. Lesel\xe4nge (da \374berlappender oder anschlie\337ender Lesebereich)\n";
const char kNotPositive[] = "CheckCardAttr(): keine 2. Lesel\xe4nge (<= 0)\n";

// The layout derived from the settings: iReadLen, iByteStart, iByteStop,
// iByteLen1, iByteStart2, iByteLen2, iCardStart, iCardStop, iCardLen1,
// iCardStart2, iCardLen2, iTotalLen, and why range 2 was dropped, if it was.
// Backward, range 2 comes first in the inverted data, the lengths swap.
TEST_F(CardLayoutChecks, DerivesLayouts) {
  const char* const cases[][3] = {
      // clang-format off
      {"BYTEWISE FORWARD 1 14 - - 14", "14 1 14 14 0 0 1 14 14 0 0 14", ""},
      {"BYTEWISE FORWARD 1 14 15 20 20", "20 1 20 14 14 6 1 20 14 14 6 20", ""},
      {"BYTEWISE FORWARD 1 14 14 20 20", "14 1 14 14 0 0 1 14 14 0 0 20", kOverlap},
      {"BYTEWISE FORWARD 1 14 20 19 20", "14 1 14 14 0 0 1 14 14 0 0 20", kNotPositive},
      {"BYTEWISE FORWARD 1 14 x 20 20", "14 1 14 14 0 0 1 14 14 0 0 20", ""},
      {"BYTEWISE FORWARD 1 14 16 - 20", "14 1 14 14 0 0 1 14 14 0 0 20", ""},
      {"BYTEWISE FORWARD 5 3 - - 14", "-1 5 3 -1 0 0 5 3 -1 0 0 14", ""},
      {"BYTEWISE FORWARD 3 6 9 12 14", "10 3 12 4 6 4 3 12 4 6 4 14", ""},
      {"BYTEWISE BACKWARD 3 6 - - 14", "4 1 6 4 0 0 1 6 4 0 0 14", ""},
      {"NIBBELWISE FORWARD 3 7 - - 15", "3 2 4 3 0 0 3 7 5 0 0 8", ""},
      {"NIBBELWISE FORWARD 2 5 8 11 16", "6 1 6 3 3 3 2 11 4 6 4 8", ""},
      {"NIBBELWISE BACKWARD 2 5 8 11 16", "6 1 6 3 3 3 1 11 4 6 4 8", ""},
      {"BYTEWISE BACKWARD 1 2 5 10 10", "10 1 10 6 8 2 1 10 6 8 2 10", ""},
      // clang-format on
  };
  for (const auto& [values, attr, range2Trace] : cases) {
    captured.clear();
    layout(values);
    const std::int32_t readLen = processor.CheckCardAttr(card);
    const CardAttr& a = processor.cardAttr();
    std::ostringstream derived;
    for (std::int32_t n : {a.iReadLen, a.iByteStart, a.iByteStop, a.iByteLen1, a.iByteStart2, a.iByteLen2, a.iCardStart,
                           a.iCardStop, a.iCardLen1, a.iCardStart2, a.iCardLen2, a.iTotalLen})
      derived << (derived.tellp() ? " " : "") << n;
    EXPECT_EQ(derived.str(), attr) << values;
    EXPECT_EQ(readLen, a.iReadLen) << values;
    EXPECT_EQ(captured.contains(*range2Trace ? range2Trace : "keine 2. Lesel\xe4nge"), *range2Trace != '\0') << values;
  }
}

// Stored values outside what the buffers hold, or a range 1 that stops
// before it starts, never reach a reading.
TEST_F(CardLayoutChecks, RefusesImplausibleLayouts) {
  const char* out = "CheckCardAttr(): Fehler: Gesamtl\xe4nge oder Leseposition nicht im Bereich 1 bis 107\n";
  const std::pair<const char*, const char*> cases[] = {
      // clang-format off
      {"1 108 - - 14", out}, {"1 99999999999 - - 14", out}, {"0 5 - - 14", out}, {"x 5 - - 14", out},
      {"1 14 - - 200", out}, {"1 14 - - ''", out}, {"1 14 20 300 14", out}, {"1 14 -5 - 14", out},
      {"10 1 10 14 14", "CheckCardAttr(): Fehler: 1. Lesel\xe4nge <= 0\n"},  // before a range 2
      // clang-format on
  };
  for (const auto& [values, trace] : cases) {
    captured.clear();
    layout(std::string("BYTEWISE FORWARD ") + values);
    EXPECT_EQ(processor.CheckCardAttr(card), 0) << values;
    EXPECT_EQ(processor.cardAttr().iReadLen, 0) << values;
    EXPECT_TRUE(captured.contains(trace)) << values;
  }
}

// Keywords are exact, anything else is the first choice; padding and digit
// texts outside the offered values.
TEST_F(CardLayoutChecks, KeywordsPaddingAndDigitTexts) {
  card.sByteMode = "nibbelwise", card.sDirection = "backward", card.sNonNumeric = "MAPTOSPECCHARS";
  card.sFixedLength = "Yes";
  processor.CheckCardAttr(card);
  const CardAttr& a = processor.cardAttr();
  EXPECT_TRUE(a.iNibbleMode == NibbleMode::Bytewise && a.bForward && !a.bMapToHex && !a.bFixedLen);
  card.sPadUsed = "yes";
  const std::pair<const char*, std::uint8_t> pads[] = {{"20", 0x20}, {"2", 0x02},  {" 3F", 0x3F}, {"9e1", 0x9E},
                                                       {"", 0x20},   {"zz", 0x20}, {"-1", 0x20},  {"0A", 0x0A}};
  for (const auto& [text, padChar] : pads) {
    card.sPadChar = text;
    processor.CheckFilter(card);
    EXPECT_EQ(processor.filterAttr().cPadChar, padChar) << "'" << text << "'";
  }
  const std::pair<const char*, std::int32_t> digits[] = {{"0", 0},  {"10", 10}, {"11", 10},  {"999999999999", 10},
                                                         {"-3", 0}, {"x", 0},   {"\r\t7", 7}};
  for (const auto& [text, count] : digits) {
    card.sDigits = text;
    processor.CheckFilter(card);
    EXPECT_EQ(processor.filterAttr().iDigits, count) << "'" << text << "'";
  }
}

// The additional characters' notation; an unknown "<Q>a" counts as "?", a
// list holds at most 100 keys.
TEST_F(CardLayoutChecks, ParsesAdditionalCharacters) {
  const std::pair<std::string, std::vector<KeyCode>> cases[] = {
      // clang-format off
      {"A<<B", {0x0141, 0x01BC, 0x0142}}, {"<TAB><CR>", {0x0009, 0x000D}}, {"<SHIFT TAB>", {0x0109}},
      {"<LF=Ctrl-ENTER><LF=0x0A><ESC>", {0x020D, 0x000A, 0x001B}}, {"<F1><F8>", {0x0070, 0x0077}},
      {"x<Q>abc", {0x0058, 0x01BF, 0x0042, 0x0043}}, {"ab<Q", {0x0041, 0x0042, 0x01BF}}, {"<", {0x01BF}},
      {"none", {}}, {"keine", {}}, {"", {}}, {"<<", {0x01BC}},
      // clang-format on
  };
  for (const auto& [text, codes] : cases) {
    KeyCodeList list;
    list.count = 7;
    processor.ParseAddChars(text, list);
    EXPECT_EQ(std::vector<KeyCode>(list.codes.begin(), list.codes.begin() + list.count), codes) << text;
  }
  KeyCodeList list;
  processor.ParseAddChars(std::string(150, 'a') + "<CR>", list);
  EXPECT_EQ(list.count, 100);
  EXPECT_EQ(list.codes[99], 0x0041);
  EXPECT_TRUE(captured.contains("ParseAddChars(): mehr als 100 Tasten, 51 weitere verworfen\n"));
}

}  // namespace
}  // namespace tavolin
