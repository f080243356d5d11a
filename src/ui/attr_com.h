#pragma once

#include "ui/property_page.h"
#include "services/sound.h"

namespace tavolin {

class WindowHost;

// The COM port page: port, line parameters, the reader bus protocol, and
// the signalling of a reading by the reader and by a sound.
class AttrCOM : public PropertyPage {
 public:
  AttrCOM(bool protocolFlag, SettingsSource& owner, const UiLanguage& language, WindowHost& host, Sound& sound);

  bool OnInitDialog() override;
  void onCommand(std::int32_t id, Notification notification) override;

  const ComSettings& getSettings() const { return m_settings; }
  // The protocol check box as it stands now; the card data page follows it.
  bool isRavlinkProtocol() const { return m_bProtocolFlag; }

 private:
  void fillLists();
  void showSettings();
  void enableLineParameters(bool enable);
  void OnSelchange(std::int32_t id);
  void OnProtocolClicked();
  // Selects the text in the list and runs the list's handler, as if the
  // user had chosen it.
  void choose(std::int32_t id, const std::string& text);
  void OnChangeSound();

  ComSettings m_settings;
  bool m_bProtocolFlag;
  WindowHost& m_host;
  Sound& m_sound;
};

}  // namespace tavolin
