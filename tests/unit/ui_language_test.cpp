#include "text/ui_language.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "dialog_layout.h"
#include "text/build_texts.h"

namespace tavolin {
namespace {

TEST(UiLanguage, LanguageIdentifiersAndTheTablesEnds) {
  for (const std::int32_t id : {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}) {
    EXPECT_EQ(UiLanguage(id).getLanguage(), UiLanguage::German) << id;
  }
  for (const std::int32_t id : {1, 0, 0x0409, 0x0809, 0x040C, 0x1807, 0x0406}) {
    EXPECT_EQ(UiLanguage(id).getLanguage(), UiLanguage::English) << id;
  }
  EXPECT_EQ(UiLanguage().getLanguage(), UiLanguage::German);
  const UiLanguage english(1), german;
  EXPECT_STREQ(german.text(UiText::Hide), "In den Hintergrund");  // the first and the last entry
  EXPECT_STREQ(english.text(UiText::Hide), "Hide");
  EXPECT_STREQ(german.text(UiText::SelectionComplete), "Auswahl abgeschlossen");
  EXPECT_STREQ(english.text(UiText::SelectionComplete), "Selection complete");
  for (const UiLanguage& language : {german, english}) {
    EXPECT_STREQ(language.text(-1), "???");
    EXPECT_STREQ(language.text(UiTextTable::count), "???");
    EXPECT_STRNE(language.text(UiTextTable::count - 1), "???");
  }
}

// The sources write characters beyond ASCII as Windows-1252 escapes, the
// dialog table gets them from its generator: the bytes are Windows-1252
// whatever the compiler, also where an escape is followed by a hex digit.
TEST(UiLanguage, TextsAreWindows1252Bytes) {
  const auto controlText = [](std::int32_t dialog, std::int32_t id) -> const char* {
    const layout::DialogLayout* found = layout::findDialogLayout(dialog);
    for (std::size_t i = 0; i < found->controlCount; ++i) {
      if (found->controls[i].id == id) return found->controls[i].text;
    }
    return "";
  };
  const UiLanguage german;
  const std::pair<const char*, const char*> cases[] = {
      {german.text(UiText::Length1), "4c e4 6e 67 65 20 31 3a"},      // L\xe4nge 1:
      {german.text(UiText::Backward), "72 fc 63 6b 77 e4 72 74 73"},  // r\xfc" "ckw\xe4rts
      {german.text(UiText::IncludingFinalPosition), "62 69 73 20 65 69 6e 73 63 68 6c 69 65 df 6c"},
      {BuildTexts::german().alreadyRunning, "25 73 20 6c e4 75 66 74 20 62 65 72 65 69"},  // %s l\xe4uft berei
      {controlText(IDD_TAVOLIN_DIALOG, IDC_MAIN_LEN1_LABEL), "4c e4 6e 67 65 20 31 3a"},
      {controlText(IDD_ATTR_DATA, IDC_DATA_BACKWARD), "72 fc 63 6b 77 e4 72 74 73"},
      {layout::findDialogLayout(IDD_ATTR_PFIX)->captionGerman, "5a 75 73 e4 74 7a 6c 69 63 68 65 20 5a 65 69 63 68"},
  };
  for (const auto& [text, bytes] : cases) {
    std::string hex;
    for (const char* c = text; *c != '\0' && hex.size() < std::strlen(bytes); ++c) {
      char byte[4];
      std::snprintf(byte, sizeof byte, hex.empty() ? "%02x" : " %02x", static_cast<unsigned char>(*c));
      hex += byte;
    }
    EXPECT_EQ(hex, bytes);
  }
}

}  // namespace
}  // namespace tavolin
