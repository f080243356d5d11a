#pragma once

#include "processing/settings.h"
#include "ui/dialog_view.h"
#include "text/ui_language.h"

namespace tavolin {

// The main window as the settings pages see it: the live groups, from
// which a page copies its working copy when it opens.
class SettingsSource {
 public:
  virtual ~SettingsSource() = default;
  virtual const ComSettings& getComSettings() const = 0;
  virtual const CardDataSettings& getCardDataSettings() const = 0;
  virtual const AddCharsSettings& getAddCharsSettings() const = 0;
};

// What the three pages of the settings sheet share: a working copy of one
// settings group (in the page), a changed flag that only rises, and the
// language of their texts. Nothing is committed while the sheet is open.
class PropertyPage : public DialogPresenter {
 public:
  PropertyPage(std::int32_t templateId, SettingsSource& owner, const UiLanguage& language)
      : DialogPresenter(templateId), m_owner(owner), m_language(language) {}

  bool isChanged() const { return m_bChanged; }
  // Every time the page becomes the current page, also right after its
  // dialog was created.
  virtual bool OnSetActive() { return true; }

 protected:
  void setChanged() { m_bChanged = true; }
  const char* text(UiText entry) const { return m_language.text(entry); }
  void setText(std::int32_t id, UiText entry) { view().setItemText(id, text(entry)); }

  SettingsSource& m_owner;
  const UiLanguage& m_language;

 private:
  bool m_bChanged = false;
};

}  // namespace tavolin
