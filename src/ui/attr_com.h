#pragma once

#include <vector>

#include "readers/serial_port.h"
#include "services/sound.h"
#include "ui/property_page.h"

namespace tavolin {

class WindowHost;

// The COM port page: port, line parameters, the reader bus protocol, and
// the signalling of a reading by the reader and by a sound.
class AttrCOM : public PropertyPage {
 public:
  AttrCOM(bool protocolFlag, SettingsSource& owner, const UiLanguage& language, WindowHost& host, Sound& sound,
          const SerialPorts& ports);

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
  // What choosing the item in the list does to the working copy.
  void takeItem(std::int32_t id, const std::string& selected);
  void OnProtocolClicked();
  // Selects the item in the list and takes it, as if the user had chosen
  // it; the items chosen so are in their lists.
  void choose(std::int32_t id, const std::string& item);
  void OnChangeSound();
  // The list's text of a "COM" value, and the value of a list text.
  std::string portLabel(const std::string& value) const;
  std::string portValue(const std::string& label) const;

  ComSettings m_settings;
  bool m_bProtocolFlag;
  WindowHost& m_host;
  Sound& m_sound;
  const SerialPorts& m_ports;
  std::vector<SerialPorts::PortChoice> m_portChoices;
};

}  // namespace tavolin
