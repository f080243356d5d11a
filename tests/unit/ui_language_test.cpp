#include "text/ui_language.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "dialog_layout.h"
#include "text/build_texts.h"

namespace tavolin {
namespace {

TEST(UiLanguage, LanguageIdentifiers) {
  for (const std::int32_t german : {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}) {
    EXPECT_EQ(UiLanguage(german).getLanguage(), UiLanguage::German) << german;
  }
  for (const std::int32_t english : {1, 0, 0x0409, 0x0809, 0x040C, 0x1807, 0x0406}) {
    EXPECT_EQ(UiLanguage(english).getLanguage(), UiLanguage::English) << english;
  }
  EXPECT_EQ(UiLanguage().getLanguage(), UiLanguage::German);
}

// The first and the last entry in both languages: no text slipped out of
// its place. The windows' tests check many more.
TEST(UiLanguage, TextsOfBothLanguages) {
  const UiLanguage english(1);
  const UiLanguage german;
  EXPECT_STREQ(english.text(UiText::Hide), "Hide");
  EXPECT_STREQ(german.text(UiText::Hide), "In den Hintergrund");
  EXPECT_STREQ(german.text(UiText::TotalLength), "Gesamtl\xE4nge:");
  EXPECT_STREQ(german.text(UiText::IncludingFinalPosition), "bis einschlie\xDFlich Endposition");
  EXPECT_STREQ(german.text(UiText::SelectionComplete), "Auswahl abgeschlossen");
  EXPECT_STREQ(english.text(UiText::SelectionComplete), "Selection complete");
}

// The sources write characters beyond ASCII as Windows-1252 escapes, the
// dialog table gets them from its generator: the bytes are Windows-1252
// whatever the compiler, also where an escape is followed by a hex digit.
std::string bytesOf(const char* text) {
  std::string hex;
  for (const char* c = text; *c != '\0'; ++c) {
    char byte[4];
    std::snprintf(byte, sizeof byte, hex.empty() ? "%02x" : " %02x", static_cast<unsigned char>(*c));
    hex += byte;
  }
  return hex;
}

const char* controlText(std::int32_t dialog, std::int32_t id) {
  const layout::DialogLayout* found = layout::findDialogLayout(dialog);
  for (std::size_t i = 0; found != nullptr && i < found->controlCount; ++i) {
    if (found->controls[i].id == id) return found->controls[i].text;
  }
  return "";
}

TEST(UiLanguage, TextsAreWindows1252Bytes) {
  const UiLanguage german;
  const struct {
    const char* text;
    const char* bytes;
  } cases[] = {
      {german.text(UiText::Length1), "4c e4 6e 67 65 20 31 3a"},                           // L\xe4nge 1:
      {german.text(UiText::Backward), "72 fc 63 6b 77 e4 72 74 73"},                       // r\xfc" "ckw\xe4rts
      {BuildTexts::german().alreadyRunning, "25 73 20 6c e4 75 66 74 20 62 65 72 65 69"},  // %s l\xe4uft berei
      {controlText(IDD_TAVOLIN_DIALOG, IDC_MAIN_LEN1_LABEL), "4c e4 6e 67 65 20 31 3a"},
      {controlText(IDD_ATTR_DATA, IDC_DATA_BACKWARD), "72 fc 63 6b 77 e4 72 74 73"},
      {layout::findDialogLayout(IDD_ATTR_PFIX)->captionGerman,
       "5a 75 73 e4 74 7a 6c 69 63 68 65 20 5a 65 69 63 68 65 6e"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(bytesOf(c.text).substr(0, std::string(c.bytes).size()), c.bytes);
  }
}

TEST(UiLanguage, OutsideTheTable) {
  for (const UiLanguage& language : {UiLanguage(), UiLanguage(1)}) {
    EXPECT_STREQ(language.text(-1), "???");
    EXPECT_STREQ(language.text(UiTextTable::count), "???");
    EXPECT_STRNE(language.text(UiTextTable::count - 1), "???");
  }
}

}  // namespace
}  // namespace tavolin
