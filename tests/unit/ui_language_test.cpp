#include "text/ui_language.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "dialog_layout.h"
#include "text/build_texts.h"

namespace tavolin {
namespace {

// German for the German languages' identifiers, English else; the table's
// first and last entries, and "???" outside it.
TEST(UiLanguage, LanguageIdentifiersAndTheTablesEnds) {
  for (const std::int32_t id : {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407})
    EXPECT_EQ(UiLanguage(id).getLanguage(), UiLanguage::German) << id;
  for (const std::int32_t id : {1, 0, 0x0409, 0x0809, 0x040C, 0x1807, 0x0406})
    EXPECT_EQ(UiLanguage(id).getLanguage(), UiLanguage::English) << id;
  EXPECT_EQ(UiLanguage().getLanguage(), UiLanguage::German);
  const UiLanguage english(1), german;
  EXPECT_STREQ(german.text(UiText::Hide), "In den Hintergrund");
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
  const auto control = [](std::int32_t dialog, std::int32_t id) -> const char* {
    const layout::DialogLayout* found = layout::findDialogLayout(dialog);
    for (std::size_t i = 0; i < found->controlCount; ++i)
      if (found->controls[i].id == id) return found->controls[i].text;
    return "";
  };
  const UiLanguage german;
  const std::pair<const char*, const char*> cases[] = {
      // clang-format off
      {german.text(UiText::Length1), "4ce46e676520313a"}, {german.text(UiText::Backward), "72fc636b77e4727473"},
      {german.text(UiText::IncludingFinalPosition), "6269732065696e7363686c6965df6c"},
      {BuildTexts::german().alreadyRunning, "2573206ce4756674206265726569"},
      {control(IDD_TAVOLIN_DIALOG, IDC_MAIN_LEN1_LABEL), "4ce46e676520313a"},
      {control(IDD_ATTR_DATA, IDC_DATA_BACKWARD), "72fc636b77e4727473"},
      {layout::findDialogLayout(IDD_ATTR_PFIX)->captionGerman, "5a7573e4747a6c69636865205a65696368"},
      // clang-format on
  };
  for (const auto& [text, bytes] : cases) {
    std::string hex;
    for (const char* c = text; *c != '\0' && hex.size() < std::string(bytes).size(); ++c) {
      char byte[3];
      std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(*c));
      hex += byte;
    }
    EXPECT_EQ(hex, bytes);
  }
}

}  // namespace
}  // namespace tavolin
