#pragma once

#include <set>

#include "ui/attr_com.h"
#include "ui/property_page.h"
#include "services/system.h"
#include "services/trace.h"

namespace tavolin {

// The card data page: the positions of one or two ranges, fixed length,
// byte mode, mapping, direction, padding and conversion. Positions are
// checked as they are chosen and the resulting lengths shown in words.
class AttrData : public PropertyPage {
 public:
  AttrData(SettingsSource& owner, const AttrCOM& comPage, const UiLanguage& language, WindowHost& host,
           System& system, Trace& trace);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  void onCommand(std::int32_t id, Notification notification) override;

  const CardDataSettings& getSettings() const { return m_settings; }
  // Whether a valid second range is set; before the page was opened, as
  // the live settings say.
  bool hasSecondRange();

  // Checks the positions, shows the lengths and reports inconsistencies;
  // true when a valid second range is set.
  bool checkReadingLength();

 private:
  void setTexts();
  void fillLists();
  void showSettings();
  void enableByteModeGroups(bool enable);
  void OnPositionChange(std::int32_t id, const std::string& selected);
  void OnFixedLengthClicked();
  // What the fixed-length box, checked or not, does to the working copy.
  void takeFixedLength(bool fixed);
  void OnByteModeClicked(std::int32_t id);
  // What the checked radio of a byte mode does to the working copy.
  void takeByteMode(std::int32_t id);
  void OnPaddingKillFocus();
  std::string lengthText(std::int32_t length, const char* unit) const;
  // Shows the error, unless the activation right after the opening finds
  // again what the opening has just said.
  void error(UiText entry);

  CardDataSettings m_settings;
  const AttrCOM& m_comPage;
  WindowHost& m_host;
  System& m_system;
  Trace& m_trace;
  bool m_bPageInitialized = false;
  bool m_bOpening = false;
  std::set<UiText> m_saidAtOpening;  // to be left unsaid by the first activation
};

}  // namespace tavolin
