#include "text/ui_language.h"

#include <gtest/gtest.h>

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

TEST(UiLanguage, OutsideTheTable) {
  for (const UiLanguage& language : {UiLanguage(), UiLanguage(1)}) {
    EXPECT_STREQ(language.text(-1), "???");
    EXPECT_STREQ(language.text(UiTextTable::count), "???");
    EXPECT_STRNE(language.text(UiTextTable::count - 1), "???");
  }
}

}  // namespace
}  // namespace tavolin
