#include "text/ui_language.h"

namespace tavolin {

namespace {

bool isGermanLanguageId(std::int32_t languageId) {
  switch (languageId) {
    case 0x0407:  // Germany
    case 0x0807:  // Switzerland
    case 0x0C07:  // Austria
    case 0x1007:  // Luxembourg
    case 0x1407:  // Liechtenstein
      return true;
    default:
      return false;
  }
}

}  // namespace

UiLanguage::UiLanguage() : m_iLanguage(German) {}

UiLanguage::UiLanguage(std::int32_t languageId) : m_iLanguage(isGermanLanguageId(languageId) ? German : English) {}

const char* UiLanguage::text(std::int32_t index) const {
  if (index < 0 || index >= UiTextTable::count) return "???";
  return UiTextTable::texts[index * 2 + m_iLanguage];
}

}  // namespace tavolin
