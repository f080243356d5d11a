#include <gtest/gtest.h>

#include "fakes/configured_processor.h"

namespace tavolin {
namespace {

const std::string kTwoRanges =
    "Read stop position=3|2. Read start position=6|2. Read stop position=8|Characters separating 2 data portions=-";

// What a reading becomes, from decoding to the keys around it, and how the
// program describes what it typed (the same text unless given).
TEST(KeystrokeOutput, Readings) {
  const struct {
    const char* name;
    std::string settings, reading;
    const char *typed, *described = nullptr;
  } cases[] = {
      // clang-format off
      {"Defaults", "", "1234567890ABCD", "1234567890ABCD"},
      {"LongerReadingIsCut", "", "1234567890ABCDEFGH", "1234567890ABCD"},
      {"ShorterReadingTypesWhatCame", "", "12345", "12345"},
      {"NibblesOddStop", "Read characters in 1 byte=NIBBELWISE|Read stop position=5", "\x12\xAB\x3C", "12AB3"},
      {"NibblesSpecialChars", "Read characters in 1 byte=NIBBELWISE|Read stop position=6|"
       "Show non numeric characters=MAPTOSPECCHARS", "\x12\xAB\x3C", "12:;3<", "12:;3<<"},
      {"NibblesFromOddStart", "Read characters in 1 byte=NIBBELWISE|Read start position=3|Read stop position=6",
       "\x12\xAB\x3C", "AB3C"},
      {"NibblesZeroBytes", "Read characters in 1 byte=NIBBELWISE|Read stop position=4", std::string("\0\1", 2), "0001"},
      {"LowNibbles", "Read characters in 1 byte=LOWNIBBELWISE|Read stop position=2", "\x31\x32", "12"},
      {"HighNibbles", "Read characters in 1 byte=HIGHNIBBELWISE|Read stop position=2", "\x31\x32", "33"},
      {"BytewiseFromStart", "Read start position=3|Read stop position=6", "ABCDEFGH", "CDEF"},
      {"Backward", "Reading direction=BACKWARD|Read stop position=6", "ABCDEF", "FEDCBA"},
      {"BackwardStop", "Reading direction=BACKWARD|Read start position=3|Read stop position=6", "ABCDEFGH", "FEDC"},
      {"NibblesBackward", "Read characters in 1 byte=NIBBELWISE|Reading direction=BACKWARD|Read stop position=5",
       "\x12\xAB\x3C", "3BA21"},
      // A zero byte ends bytewise card data; before the start, the usable
      // text is empty rather than what lies behind.
      {"ZeroByteEndsData", "Read stop position=6", std::string("AB\0DEF", 6), "AB"},
      {"ZeroByteBeforeStart", "Read start position=4|Read stop position=6", std::string("AB\0DEF", 6), ""},
      {"ShortReadingBeforeStart", "Read start position=5|Read stop position=8", "ABC", ""},
      {"NibblesShortReading", "Read characters in 1 byte=NIBBELWISE|Read stop position=7", "\x12\xAB", "12AB"},
      {"PrefixAndPostfix", "Prefix characters=<TAB>|Postfix characters=<CR>", "12345", "<TAB>12345<CR>"},
      {"NoReadingTypesNothingAtAll", "Prefix characters=<TAB>|Postfix characters=<CR>", "", ""},
      {"TwoRangesWithInterfix", kTwoRanges, "ABCDEFGH", "ABC-FGH"},
      {"Range2EndsWithTheData", kTwoRanges, "ABCDEF", "ABC-F"},
      {"DataEndAtRange2", kTwoRanges, "ABCDE", "ABC-"},
      {"DataEndBeforeRange2", kTwoRanges, "ABCD", "ABC"},
      {"NoInterfix", "Read stop position=2|2. Read start position=4|2. Read stop position=5", "ABCDE", "ABDE"},
      {"Range2Backward", "Read start position=3|Read stop position=6|2. Read start position=9|2. Read stop position=12|"
       "Reading direction=BACKWARD|Characters separating 2 data portions=-", "ABCDEFGHIJKLMN", "LKJI-FEDC"},
      {"ConvertFirstThenPadding", "Read stop position=2|Conversion=HEXA2DEC|Decimal n-digit (right aligned)=6|"
       "Filter: 1.truncate, 2.convert=no|Padding character used=yes|Padding character=30", "64", "0001"},
      {"PaddingFirstThenConvert", "Read stop position=4|Conversion=HEXA2DEC|Decimal n-digit (right aligned)=3|"
       "Padding character used=yes|Padding character=20", "1F  ", "031"},
      {"PaddingOnlyAfterwards", "Read stop position=4|Filter: 1.truncate, 2.convert=no|Padding character used=yes",
       "12  ", "12"},
      {"PaddingOnBothRanges", "Read stop position=4|2. Read start position=5|2. Read stop position=8|"
       "Padding character used=yes|Characters separating 2 data portions=<TAB>", "AB  C   ", "AB<TAB>C"},
      {"NoDigitsTypesOnlyTheKeys", "Read stop position=2|Conversion=HEXA2DEC|Prefix characters=[|Postfix characters=]|"
       "Filter: 1.truncate, 2.convert=no|Padding character used=yes", "FF", "[]"},
      {"NibblesTwoRangesConverted", "Read characters in 1 byte=NIBBELWISE|Read stop position=2|"
       "2. Read start position=5|2. Read stop position=8|Conversion=HEXA2DEC|Decimal n-digit (right aligned)=5|"
       "Characters separating 2 data portions=/", std::string("\x1F\0\x01\0", 4), "00031/00256"},
      {"SpecialKeys", "Prefix characters=<SHIFT TAB><LF=Ctrl-ENTER><ESC><F1>|Postfix characters=<LF=0x0A>", "1",
       "<SHIFT+TAB><CTRL+CR><ESC><F1>1<0A>", "<SHIFT TAB><LF=Ctrl-ENTER><ESC><F1>1<LF=0x0A>"},
      // Card data's control characters are described by their code.
      {"TabAndBlankInData", "Prefix characters=ab", "A\tB C", "abA<TAB>B C", "abA<0x09>B C"},
      // Control characters in card data would fire shortcuts.
      {"ControlCharactersInDataAreLeftOut", "", "A\x01" "B\x0A" "C\x18", "ABC"},
      {"KeysOutsideTheLayoutAreLeftOut", "", "A\xE4" "B", "AB"},
      {"ConfiguredControlKeysAreTyped", "Postfix characters=\x01", "1", "1<CTRL+a>", "1\x01"},
      // Without a key on the layout it would press its modifiers alone.
      {"ConfiguredKeyWithoutLayoutKeyIsNotSent", "Prefix characters=\xE4", "1", "1"},
      // clang-format on
  };
  for (const auto& c : cases) {
    testing::ConfiguredProcessor p;
    ASSERT_GT(p.configure(c.settings), 0) << c.name;
    const int refreshes = p.keyboard.refreshes();
    EXPECT_EQ(p.type(c.reading), c.typed) << c.name;
    EXPECT_EQ(p.keyboard.described, c.described ? c.described : c.typed) << c.name;
    EXPECT_EQ(p.keyboard.refreshes(), refreshes + 1) << c.name << ": the layout is taken once per reading";
    EXPECT_FALSE(p.captured.contains("vorhanden, L\xe4nge: 0")) << c.name << ": an empty key list is not announced";
  }
}

// Modifiers are released in the order they were pressed; "+" is SHIFT +
// 0xBB on the US layout; '@' as SHIFT + CTRL + ALT + Q, as AltGr with SHIFT
// on another layout.
TEST(KeystrokeOutput, CharactersAndTheirKeyEvents) {
  const std::string shift = "shiftstate: SHIFT key is pressed\n";
  const struct {
    char c;
    KeyCode layoutKey;  // key_code::None: the US layout's
    const char* keys;
    std::string trace;
  } cases[] = {
      // clang-format off
      {'A', key_code::None, "+10 +41 -41 -10", "Char: 'A' (=='0x41'), vkscan: 0x0141\n" + shift},
      {'\x03', key_code::None, "+BB -BB", "ETX (=='0x03'), ersetzt zu '+', vkscan: 0x01bb\n"},
      {'\xE4', key_code::None, "", "VkKeyScan('\xE4' (=='0xe4')) failed\n"},
      {'\x18', key_code::None, "", "VkKeyScan('\x18' (=='0x18')) failed\n"},
      {'@', 0x0751, "+10 +11 +12 +51 -51 -10 -11 -12", "Char: '@' (=='0x40'), vkscan: 0x0751\n" + shift +
       "shiftstate: CTRL key is pressed\nshiftstate: ALT key is pressed\n"},
      // clang-format on
  };
  for (const auto& c : cases) {
    testing::ConfiguredProcessor p;
    if (c.layoutKey != key_code::None) p.keyboard.overrides[c.c] = c.layoutKey;
    p.configure(Settings{});
    p.processor.TypeChar(c.c);
    EXPECT_EQ(p.keyboard.keys(), c.keys) << static_cast<int>(c.c);
    EXPECT_EQ(p.captured.text(), c.trace);
    for (const auto& e : p.keyboard.events()) EXPECT_EQ(e.scan, p.keyboard.mapVirtualKey(e.vk)) << e.vk;
  }
}

}  // namespace
}  // namespace tavolin
