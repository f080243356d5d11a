#pragma once

#include "ui/attr_data.h"
#include "ui/property_page.h"

namespace tavolin {

// The additional characters page: prefix, interfix and postfix in the
// additional-character notation, lists of the special key tokens, and a
// preview of what one reading produces. Only "Selection complete" takes
// the texts into the working copy; until then the page holds them as they
// stand in the edits.
class AttrPFix : public PropertyPage {
 public:
  static constexpr std::int32_t editLimit = 200;
  static constexpr std::size_t maxTextLength = 199;
  static constexpr std::size_t groupCount = 3;  // prefix, interfix, postfix

  AttrPFix(SettingsSource& owner, AttrData& dataPage, const UiLanguage& language);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  void onCommand(std::int32_t id, Notification notification) override;

  const AddCharsSettings& getSettings() const { return m_settings; }

 private:
  void updatePreview();
  // The text of the group's edit as taken and shown.
  std::string editText(std::size_t group) const { return m_sEdits[group].substr(0, maxTextLength); }
  void OnAdd(std::size_t group);
  void OnSelectionComplete();

  AddCharsSettings m_settings;
  AttrData& m_dataPage;
  std::string m_sEdits[groupCount];   // the texts as they stand in the edits
  std::string m_sTokens[groupCount];  // the token chosen in each list
};

}  // namespace tavolin
