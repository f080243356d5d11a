#include <gtest/gtest.h>

#include "fakes/configured_processor.h"
#include "fakes/named_params.h"

namespace tavolin {
namespace {

struct Typing {
  const char* name;
  std::vector<std::pair<const char*, const char*>> values;
  std::string reading;
  const char* typed;
};

class Typings : public ::testing::TestWithParam<Typing> {};

TEST_P(Typings, TextToKeys) {
  const Typing& t = GetParam();
  Settings settings;
  for (const auto& [name, value] : t.values) {
    std::string* setting = findSettingValue(settings, name);
    ASSERT_NE(setting, nullptr) << name;
    *setting = value;
  }
  testing::ConfiguredProcessor p;
  ASSERT_GT(p.configure(settings), 0);
  EXPECT_EQ(p.type(t.reading), t.typed);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Readings, Typings,
    ::testing::Values(
        Typing{"Defaults", {}, "1234567890ABCD", "1234567890ABCD"},
        Typing{"LongerReadingIsCut", {}, "1234567890ABCDEFGH", "1234567890ABCD"},
        Typing{"ShorterReadingTypesWhatCame", {}, "12345", "12345"},
        Typing{"PrefixAndPostfix", {{"Prefix characters", "<TAB>"}, {"Postfix characters", "<CR>"}}, "12345",
               "<TAB>12345<CR>"},
        Typing{"TwoRangesWithInterfix",
               {{"Read stop position", "3"}, {"2. Read start position", "6"}, {"2. Read stop position", "8"},
                {"Characters separating 2 data portions", "-"}},
               "ABCDEFGH", "ABC-FGH"},
        Typing{"Range2EndsWithTheData",
               {{"Read stop position", "3"}, {"2. Read start position", "6"}, {"2. Read stop position", "8"},
                {"Characters separating 2 data portions", "-"}},
               "ABCDEF", "ABC-F"},
        Typing{"DataEndBeforeRange2",
               {{"Read stop position", "3"}, {"2. Read start position", "6"}, {"2. Read stop position", "8"},
                {"Characters separating 2 data portions", "-"}},
               "ABCD", "ABC"},
        Typing{"Range2Backward",
               {{"Read start position", "3"}, {"Read stop position", "6"}, {"2. Read start position", "9"},
                {"2. Read stop position", "12"}, {"Reading direction", "BACKWARD"},
                {"Characters separating 2 data portions", "-"}},
               "ABCDEFGHIJKLMN", "LKJI-FEDC"},
        Typing{"ConvertToSixDigits",
               {{"Read stop position", "2"}, {"Conversion", "HEXA2DEC"}, {"Decimal n-digit (right aligned)", "6"}},
               "FF", "000255"},
        Typing{"ConvertFirstThenPadding",
               {{"Read stop position", "2"}, {"Conversion", "HEXA2DEC"}, {"Decimal n-digit (right aligned)", "6"},
                {"Filter: 1.truncate, 2.convert", "no"}, {"Padding character used", "yes"},
                {"Padding character", "30"}},
               "64", "0001"},
        Typing{"PaddingFirstThenConvert",
               {{"Read stop position", "4"}, {"Conversion", "HEXA2DEC"}, {"Decimal n-digit (right aligned)", "3"},
                {"Padding character used", "yes"}, {"Padding character", "20"}},
               "1F  ", "031"},
        Typing{"PaddingOnBothRanges",
               {{"Read stop position", "4"}, {"2. Read start position", "5"}, {"2. Read stop position", "8"},
                {"Padding character used", "yes"}, {"Characters separating 2 data portions", "<TAB>"}},
               "AB  C   ", "AB<TAB>C"},
        Typing{"NoDigitsTypesOnlyTheKeys",
               {{"Read stop position", "2"}, {"Conversion", "HEXA2DEC"}, {"Prefix characters", "["},
                {"Postfix characters", "]"}},
               "FF", "[]"},
        Typing{"NibblesTwoRangesConverted",
               {{"Read characters in 1 byte", "NIBBELWISE"}, {"Read start position", "1"},
                {"Read stop position", "2"}, {"2. Read start position", "5"}, {"2. Read stop position", "8"},
                {"Conversion", "HEXA2DEC"}, {"Decimal n-digit (right aligned)", "5"},
                {"Characters separating 2 data portions", "/"}},
               std::string("\x1F\x00\x01\x00", 4), "00031/00256"},
        Typing{"SpecialKeys",
               {{"Prefix characters", "<SHIFT TAB><LF=Ctrl-ENTER><ESC><F1>"}, {"Postfix characters", "<LF=0x0A>"}},
               "1", "<SHIFT+TAB><CTRL+CR><ESC><F1>1<0A>"},
        // Control characters in card data would fire shortcuts.
        Typing{"ControlCharactersInDataAreLeftOut", {}, "A\x01" "B\x0A" "C\x18", "ABC"},
        Typing{"KeysOutsideTheLayoutAreLeftOut", {}, "A\xE4" "B", "AB"},
        Typing{"ConfiguredControlKeysAreTyped", {{"Postfix characters", "\x01"}}, "1", "1<CTRL+a>"}),
    testing::NamedParam());
// clang-format on

class KeystrokeOutput : public ::testing::Test {
 protected:
  testing::ConfiguredProcessor p;
  Settings settings;
};

TEST_F(KeystrokeOutput, ModifiersArePressedAndReleasedInTheSameOrder) {
  p.configure(settings);
  p.processor.TypeKeyCode(0x0741);
  EXPECT_EQ(p.keyboard.keys(), "+10 +11 +12 +41 -41 -10 -11 -12");
  EXPECT_EQ(p.captured.text(),
            "vkscan: 0x0741\n"
            "shiftstate: SHIFT key is pressed\n"
            "shiftstate: CTRL key is pressed\n"
            "shiftstate: ALT key is pressed\n");
}

TEST_F(KeystrokeOutput, EveryEventCarriesTheScanCodeOfItsKey) {
  p.configure(settings);
  p.processor.TypeChar('A');
  ASSERT_EQ(p.keyboard.events.size(), 4u);
  const std::uint8_t scans[] = {0x2A, 0x1E, 0x1E, 0x2A};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(p.keyboard.events[i].scan, scans[i]) << i;
  EXPECT_EQ(p.captured.text(),
            "Char: 'A' (=='0x41'), vkscan: 0x0141\n"
            "shiftstate: SHIFT key is pressed\n");
}

TEST_F(KeystrokeOutput, EtxIsThePlusKeyWithoutModifiers) {
  p.configure(settings);
  p.processor.TypeChar('\x03');
  EXPECT_EQ(p.keyboard.keys(), "+BB -BB");  // "+" is SHIFT + 0xBB on the US layout
  EXPECT_EQ(p.captured.text(), "ETX (=='0x03'), ersetzt zu '+', vkscan: 0x01bb\n");
}

TEST_F(KeystrokeOutput, CharacterWithoutKeyIsTraced) {
  p.configure(settings);
  p.processor.TypeChar('\xE4');
  p.processor.TypeChar('\x18');
  EXPECT_TRUE(p.keyboard.events.empty());
  EXPECT_EQ(p.captured.text(),
            "VkKeyScan('\xE4' (=='0xe4')) failed\n"
            "VkKeyScan('\x18' (=='0x18')) failed\n");
}

TEST_F(KeystrokeOutput, AltGrCharactersAreTyped) {
  p.keyboard.overrides['@'] = 0x0651;  // CTRL + ALT + Q, as on a German layout
  p.configure(settings);
  p.processor.TypeChar('@');
  EXPECT_EQ(p.keyboard.keys(), "+11 +12 +51 -51 -11 -12");
}

TEST_F(KeystrokeOutput, ConfiguredKeyWithoutLayoutKeyIsNotSent) {
  p.keyboard.overrides['~'] = key_code::None;
  settings.addChars.sPrefix = "~";
  p.configure(settings);
  p.type("1");
  EXPECT_EQ(p.keyboard.keys(), "+31 -31");
}

TEST_F(KeystrokeOutput, NoTextTypesNothingAtAll) {
  settings.addChars.sPrefix = "<TAB>";
  settings.addChars.sPostfix = "<CR>";
  p.configure(settings);
  p.processor.TextToKeys("", 0);
  EXPECT_TRUE(p.keyboard.events.empty());
}

TEST_F(KeystrokeOutput, LayoutIsTakenOncePerReading) {
  p.configure(settings);
  const int before = p.keyboard.refreshes;
  p.type("1234567890ABCD");
  EXPECT_EQ(p.keyboard.refreshes, before + 1);
}

TEST_F(KeystrokeOutput, TraceOfATwoRangeReading) {
  settings.cardData.sReadStop = "3";
  settings.cardData.sReadStart2 = "6";
  settings.cardData.sReadStop2 = "8";
  settings.addChars.sPrefix = "<TAB>";
  settings.addChars.sInterfix = "-";
  settings.addChars.sPostfix = "<CR>";
  p.configure(settings);
  p.type("abCDEfgh");
  EXPECT_EQ(p.captured.text(),
            "PrepareDataTransfer(): Start, vollständige Lesung: 'abCDEfgh' mit Länge: 8 Byte\n"
            "PrepareDataTransfer(): Endergebnis 'abCDEfgh'\n"
            "TextToKeys(): pData: 'abCDEfgh', mit Länge 8, Len1: 3, Index-Start2: 5 Len2: 3\n"
            "Präfix vorhanden, Länge: 1\n"
            "vkscan: 0x0009\n"
            "Char: 'a' (=='0x61'), vkscan: 0x0041\n"
            "Char: 'b' (=='0x62'), vkscan: 0x0042\n"
            "Char: 'C' (=='0x43'), vkscan: 0x0143\n"
            "shiftstate: SHIFT key is pressed\n"
            "Interfix vorhanden, Länge: 1\n"
            "vkscan: 0x00bd\n"
            "Char: 'f' (=='0x66'), vkscan: 0x0046\n"
            "Char: 'g' (=='0x67'), vkscan: 0x0047\n"
            "Char: 'h' (=='0x68'), vkscan: 0x0048\n"
            "Postfix vorhanden, Länge: 1\n"
            "vkscan: 0x000d\n");
}

}  // namespace
}  // namespace tavolin
