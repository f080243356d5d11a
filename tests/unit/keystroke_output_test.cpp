#include <gtest/gtest.h>

#include <sstream>

#include "fakes/configured_processor.h"
#include "fakes/named_params.h"

namespace tavolin {
namespace {

// Settings by their stored names: "Name=value|Name=value".
Settings settingsWith(const std::string& values) {
  Settings settings;
  std::istringstream items(values);
  for (std::string item; std::getline(items, item, '|');) {
    const std::size_t equals = item.find('=');
    auto* setting = findSettingValue(settings, item.substr(0, equals));
    if (setting) *setting = item.substr(equals + 1);
    EXPECT_NE(setting, nullptr) << item;
  }
  return settings;
}

const std::string kTwoRanges =
    "Read stop position=3|2. Read start position=6|2. Read stop position=8|Characters separating 2 data portions=-";

struct Typing {
  const char* name;
  std::string settings, reading;
  const char* typed;
};

class Typings : public ::testing::TestWithParam<Typing> {};

// What a reading becomes, from decoding to the keys around it.
TEST_P(Typings, TextToKeys) {
  const Typing& t = GetParam();
  testing::ConfiguredProcessor p;
  ASSERT_GT(p.configure(settingsWith(t.settings)), 0);
  const int refreshes = p.keyboard.refreshes();
  EXPECT_EQ(p.type(t.reading), t.typed);
  EXPECT_EQ(p.keyboard.refreshes(), refreshes + 1) << "the layout is taken once per reading";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Readings, Typings,
    ::testing::Values(
        Typing{"Defaults", "", "1234567890ABCD", "1234567890ABCD"},
        Typing{"LongerReadingIsCut", "", "1234567890ABCDEFGH", "1234567890ABCD"},
        Typing{"ShorterReadingTypesWhatCame", "", "12345", "12345"},
        Typing{"NibblesOddStop", "Read characters in 1 byte=NIBBELWISE|Read stop position=5", "\x12\xAB\x3C", "12AB3"},
        Typing{"NibblesSpecialChars", "Read characters in 1 byte=NIBBELWISE|Read stop position=6|"
               "Show non numeric characters=MAPTOSPECCHARS", "\x12\xAB\x3C", "12:;3<"},
        Typing{"NibblesFromOddStart", "Read characters in 1 byte=NIBBELWISE|Read start position=3|Read stop position=6",
               "\x12\xAB\x3C", "AB3C"},
        Typing{"NibblesZeroBytes", "Read characters in 1 byte=NIBBELWISE|Read stop position=4",
               std::string("\x00\x01", 2), "0001"},
        Typing{"LowNibbles", "Read characters in 1 byte=LOWNIBBELWISE|Read stop position=2", "\x31\x32", "12"},
        Typing{"HighNibbles", "Read characters in 1 byte=HIGHNIBBELWISE|Read stop position=2", "\x31\x32", "33"},
        Typing{"BytewiseFromStart", "Read start position=3|Read stop position=6", "ABCDEFGH", "CDEF"},
        Typing{"Backward", "Reading direction=BACKWARD|Read stop position=6", "ABCDEF", "FEDCBA"},
        Typing{"BackwardCutAtStop", "Reading direction=BACKWARD|Read start position=3|Read stop position=6",
               "ABCDEFGH", "FEDC"},
        Typing{"NibblesBackward", "Read characters in 1 byte=NIBBELWISE|Reading direction=BACKWARD|"
               "Read stop position=5", "\x12\xAB\x3C", "3BA21"},
        // A zero byte ends bytewise card data; when that is before the
        // start, the usable text is empty rather than what lies behind.
        Typing{"ZeroByteEndsData", "Read stop position=6", std::string("AB\0DEF", 6), "AB"},
        Typing{"ZeroByteBeforeStart", "Read start position=4|Read stop position=6", std::string("AB\0DEF", 6), ""},
        Typing{"ShortReadingBeforeStart", "Read start position=5|Read stop position=8", "ABC", ""},
        // Nothing past the delivered bytes is decoded.
        Typing{"NibblesShortReading", "Read characters in 1 byte=NIBBELWISE|Read stop position=7", "\x12\xAB", "12AB"},
        Typing{"PrefixAndPostfix", "Prefix characters=<TAB>|Postfix characters=<CR>", "12345", "<TAB>12345<CR>"},
        Typing{"NoReadingTypesNothingAtAll", "Prefix characters=<TAB>|Postfix characters=<CR>", "", ""},
        Typing{"TwoRangesWithInterfix", kTwoRanges, "ABCDEFGH", "ABC-FGH"},
        Typing{"Range2EndsWithTheData", kTwoRanges, "ABCDEF", "ABC-F"},
        Typing{"DataEndBeforeRange2", kTwoRanges, "ABCD", "ABC"},
        Typing{"Range2Backward", "Read start position=3|Read stop position=6|2. Read start position=9|"
               "2. Read stop position=12|Reading direction=BACKWARD|Characters separating 2 data portions=-",
               "ABCDEFGHIJKLMN", "LKJI-FEDC"},
        Typing{"ConvertFirstThenPadding", "Read stop position=2|Conversion=HEXA2DEC|Decimal n-digit (right aligned)=6|"
               "Filter: 1.truncate, 2.convert=no|Padding character used=yes|Padding character=30", "64", "0001"},
        Typing{"PaddingFirstThenConvert", "Read stop position=4|Conversion=HEXA2DEC|Decimal n-digit (right aligned)=3|"
               "Padding character used=yes|Padding character=20", "1F  ", "031"},
        Typing{"PaddingOnlyAfterwards", "Read stop position=4|Filter: 1.truncate, 2.convert=no|"
               "Padding character used=yes", "12  ", "12"},
        Typing{"PaddingOnBothRanges", "Read stop position=4|2. Read start position=5|2. Read stop position=8|"
               "Padding character used=yes|Characters separating 2 data portions=<TAB>", "AB  C   ", "AB<TAB>C"},
        Typing{"NoDigitsTypesOnlyTheKeys", "Read stop position=2|Conversion=HEXA2DEC|Prefix characters=[|"
               "Postfix characters=]|Filter: 1.truncate, 2.convert=no|Padding character used=yes", "FF", "[]"},
        Typing{"NibblesTwoRangesConverted", "Read characters in 1 byte=NIBBELWISE|Read stop position=2|"
               "2. Read start position=5|2. Read stop position=8|Conversion=HEXA2DEC|"
               "Decimal n-digit (right aligned)=5|Characters separating 2 data portions=/",
               std::string("\x1F\x00\x01\x00", 4), "00031/00256"},
        Typing{"SpecialKeys", "Prefix characters=<SHIFT TAB><LF=Ctrl-ENTER><ESC><F1>|Postfix characters=<LF=0x0A>",
               "1", "<SHIFT+TAB><CTRL+CR><ESC><F1>1<0A>"},
        // Control characters in card data would fire shortcuts.
        Typing{"ControlCharactersInDataAreLeftOut", "", "A\x01" "B\x0A" "C\x18", "ABC"},
        Typing{"KeysOutsideTheLayoutAreLeftOut", "", "A\xE4" "B", "AB"},
        Typing{"ConfiguredControlKeysAreTyped", "Postfix characters=\x01", "1", "1<CTRL+a>"},
        // Without a key on the layout it would press its modifiers alone.
        Typing{"ConfiguredKeyWithoutLayoutKeyIsNotSent", "Prefix characters=\xE4", "1", "1"}),
    testing::NamedParam());
// clang-format on

TEST(KeystrokeOutput, CharactersAndTheirKeyEvents) {
  const struct {
    char c;
    KeyCode layoutKey;  // key_code::None: the US layout's
    const char *keys, *trace;
  } cases[] = {
      {'A', key_code::None, "+10 +41 -41 -10",
       "Char: 'A' (=='0x41'), vkscan: 0x0141\nshiftstate: SHIFT key is pressed\n"},
      // "+" is SHIFT + 0xBB on the US layout.
      {'\x03', key_code::None, "+BB -BB", "ETX (=='0x03'), ersetzt zu '+', vkscan: 0x01bb\n"},
      {'\xE4', key_code::None, "", "VkKeyScan('\xE4' (=='0xe4')) failed\n"},
      {'\x18', key_code::None, "", "VkKeyScan('\x18' (=='0x18')) failed\n"},
      // CTRL + ALT + Q, as on a German layout
      {'@', 0x0651, "+11 +12 +51 -51 -11 -12",
       "Char: '@' (=='0x40'), vkscan: 0x0651\nshiftstate: CTRL key is pressed\nshiftstate: ALT key is pressed\n"},
  };
  for (const auto& c : cases) {
    testing::ConfiguredProcessor p;
    if (c.layoutKey != key_code::None) p.keyboard.overrides[c.c] = c.layoutKey;
    p.configure(Settings{});
    p.processor.TypeChar(c.c);
    EXPECT_EQ(p.keyboard.keys(), c.keys) << static_cast<int>(c.c);
    EXPECT_EQ(p.captured.text(), c.trace);
    for (const auto& e : p.keyboard.events()) EXPECT_EQ(e.scan, p.keyboard.mapVirtualKey(e.vk)) << static_cast<int>(c.c);
  }
}

TEST(KeystrokeOutput, ModifiersArePressedAndReleasedInTheSameOrder) {
  testing::ConfiguredProcessor p;
  p.configure(Settings{});
  p.processor.TypeKeyCode(0x0741);
  EXPECT_EQ(p.keyboard.keys(), "+10 +11 +12 +41 -41 -10 -11 -12");
  EXPECT_EQ(p.captured.text(),
            "vkscan: 0x0741\n"
            "shiftstate: SHIFT key is pressed\n"
            "shiftstate: CTRL key is pressed\n"
            "shiftstate: ALT key is pressed\n");
}

TEST(KeystrokeOutput, TraceOfATwoRangeReading) {
  testing::ConfiguredProcessor p;
  p.configure(settingsWith(kTwoRanges + "|Prefix characters=<TAB>|Postfix characters=<CR>"));
  p.type("abCDEfgh");
  EXPECT_EQ(p.captured.text(),
            "PrepareDataTransfer(): Start, vollst\xe4ndige Lesung: 'abCDEfgh' mit L\xe4nge: 8 Byte\n"
            "PrepareDataTransfer(): Endergebnis 'abCDEfgh'\n"
            "TextToKeys(): pData: 'abCDEfgh', mit L\xe4nge 8, Len1: 3, Index-Start2: 5 Len2: 3\n"
            "Pr\xe4" "fix vorhanden, L\xe4nge: 1\n"
            "vkscan: 0x0009\n"
            "Char: 'a' (=='0x61'), vkscan: 0x0041\n"
            "Char: 'b' (=='0x62'), vkscan: 0x0042\n"
            "Char: 'C' (=='0x43'), vkscan: 0x0143\n"
            "shiftstate: SHIFT key is pressed\n"
            "Interfix vorhanden, L\xe4nge: 1\n"
            "vkscan: 0x00bd\n"
            "Char: 'f' (=='0x66'), vkscan: 0x0046\n"
            "Char: 'g' (=='0x67'), vkscan: 0x0047\n"
            "Char: 'h' (=='0x68'), vkscan: 0x0048\n"
            "Postfix vorhanden, L\xe4nge: 1\n"
            "vkscan: 0x000d\n");
}

}  // namespace
}  // namespace tavolin
