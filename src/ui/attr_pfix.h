#pragma once

#include "ui/attr_data.h"
#include "ui/property_page.h"

namespace tavolin {

// The additional characters page: prefix, interfix and postfix in the
// additional-character notation, lists of the special key tokens, and a
// preview of what one reading produces. Only "Selection complete" takes
// the texts into the working copy.
class AttrPFix : public PropertyPage {
 public:
  static constexpr std::int32_t editLimit = 200;
  static constexpr std::size_t maxTextLength = 199;

  AttrPFix(SettingsSource& owner, AttrData& dataPage, const UiLanguage& language);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  void onCommand(std::int32_t id, Notification notification) override;

  const AddCharsSettings& getSettings() const { return m_settings; }
  void updatePreview();

 private:
  std::string editText(std::int32_t id);
  void OnAdd(std::int32_t tokenList, std::int32_t edit);
  void OnSelectionComplete();

  AddCharsSettings m_settings;
  AttrData& m_dataPage;
};

}  // namespace tavolin
