#pragma once

#include <cstdint>

#include "text/ui_text_table.h"

namespace tavolin {

// The language of the user-interface texts for the whole run: 0 German,
// 1 English. The English build passes the constant 1; the German build
// uses the default constructor.
class UiLanguage {
 public:
  static constexpr std::int32_t German = 0;
  static constexpr std::int32_t English = 1;

  // German build: always German.
  UiLanguage();
  // English build: the German-language identifiers select German, every
  // other value English.
  explicit UiLanguage(std::int32_t languageId);
  virtual ~UiLanguage() = default;

  std::int32_t getLanguage() const { return m_iLanguage; }

  // The entry's text in the chosen language, "???" for an index outside
  // the table. The text is owned by the table.
  const char* text(std::int32_t index) const;
  const char* text(UiText entry) const { return text(static_cast<std::int32_t>(entry)); }

 private:
  std::int32_t m_iLanguage;
};

}  // namespace tavolin
