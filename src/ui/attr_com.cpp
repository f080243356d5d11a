#include "ui/attr_com.h"

#include <string>

#include "resource_ids.h"

namespace tavolin {

namespace {

const char* const kSpeeds[] = {"300", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"};
const char* const kParityCodes[] = {"none", "odd", "even"};
constexpr UiText kParityTexts[] = {UiText::None, UiText::Odd, UiText::Even};
constexpr std::int32_t kLineParameterLists[] = {IDC_COM_SPEED, IDC_COM_DATA_BITS, IDC_COM_PARITY, IDC_COM_STOP_BITS,
                                                IDC_COM_FLOW};

const char* yesNo(bool on) { return on ? "yes" : "no"; }

}  // namespace

AttrCOM::AttrCOM(bool protocolFlag, SettingsSource& owner, const UiLanguage& language, WindowHost& host, Sound& sound,
                 const SerialPorts& ports)
    : PropertyPage(IDD_ATTR_COM, owner, language),
      m_bProtocolFlag(protocolFlag),
      m_host(host),
      m_sound(sound),
      m_ports(ports) {}

bool AttrCOM::OnInitDialog() {
  view().setItemText(IDC_COM_PORT_LABEL, "COM");
  setText(IDC_COM_SPEED_LABEL, UiText::BitsPerSecond);
  setText(IDC_COM_DATA_BITS_LABEL, UiText::DataBits);
  setText(IDC_COM_PARITY_LABEL, UiText::Parity);
  setText(IDC_COM_STOP_BITS_LABEL, UiText::StopBits);
  setText(IDC_COM_FLOW_LABEL, UiText::FlowControl);
  setText(IDC_COM_RAVLINK, UiText::RavlinkProtocol);
  setText(IDC_COM_SIGNAL_GROUP, UiText::Signaling);
  setText(IDC_COM_SIGNALING, UiText::Yes);
  setText(IDC_COM_USE_SOUND, UiText::UseSound);
  setText(IDC_COM_CHANGE_SOUND, UiText::ChangeSound);
  m_settings = m_owner.getComSettings();
  fillLists();
  showSettings();
  if (m_settings.ravlinkProtocol()) enableLineParameters(false);
  return true;
}

void AttrCOM::fillLists() {
  DialogView& v = view();
  for (std::int32_t id : {IDC_COM_PORT, IDC_COM_SPEED, IDC_COM_DATA_BITS, IDC_COM_PARITY, IDC_COM_STOP_BITS,
                          IDC_COM_FLOW}) {
    v.resetContent(id);
  }
  m_portChoices = m_ports.portChoices(m_settings.sCom);
  for (const SerialPorts::PortChoice& port : m_portChoices) v.addString(IDC_COM_PORT, port.label);
  for (const char* speed : kSpeeds) v.addString(IDC_COM_SPEED, speed);
  for (const char* bits : {"7", "8"}) v.addString(IDC_COM_DATA_BITS, bits);
  for (UiText parity : kParityTexts) v.addString(IDC_COM_PARITY, text(parity));
  for (const char* bits : {"1", "2"}) v.addString(IDC_COM_STOP_BITS, bits);
  v.addString(IDC_COM_FLOW, text(UiText::None));
  v.addString(IDC_COM_FLOW, "Xon/Xoff");
  v.addString(IDC_COM_FLOW, "Hardware");
}

void AttrCOM::showSettings() {
  DialogView& v = view();
  v.selectString(IDC_COM_PORT, portLabel(m_settings.sCom));
  v.selectString(IDC_COM_SPEED, m_settings.sSpeed);
  v.selectString(IDC_COM_DATA_BITS, m_settings.sDataBits);
  v.selectString(IDC_COM_STOP_BITS, m_settings.sStopBits);
  for (std::size_t i = 0; i < 3; ++i) {
    if (m_settings.sParity == kParityCodes[i]) v.selectString(IDC_COM_PARITY, text(kParityTexts[i]));
  }
  v.selectString(IDC_COM_FLOW, m_settings.sFlowControl == "none" ? text(UiText::None) : m_settings.sFlowControl.text());
  v.checkItem(IDC_COM_RAVLINK, m_settings.ravlinkProtocol());
  v.checkItem(IDC_COM_SIGNALING, m_settings.signaling());
  v.checkItem(IDC_COM_USE_SOUND, m_settings.useSound());
  v.setItemText(IDC_COM_SOUND_FILE, m_settings.sSoundFile);
}

void AttrCOM::enableLineParameters(bool enable) {
  for (std::int32_t id : kLineParameterLists) view().enableItem(id, enable);
}

void AttrCOM::onCommand(std::int32_t id, Notification notification) {
  if (notification == Notification::SelectionChange) {
    OnSelchange(id);
    return;
  }
  if (notification != Notification::Clicked) return;
  switch (id) {
    case IDC_COM_SIGNALING:
      m_settings.sSignaling = yesNo(view().isChecked(id));
      setChanged();
      break;
    case IDC_COM_USE_SOUND:
      m_settings.sUseSound = yesNo(view().isChecked(id));
      setChanged();
      break;
    case IDC_COM_RAVLINK:
      OnProtocolClicked();
      break;
    case IDC_COM_CHANGE_SOUND:
      OnChangeSound();
      break;
    default:
      break;
  }
}

void AttrCOM::OnSelchange(std::int32_t id) { takeItem(id, view().selectedText(id)); }

void AttrCOM::takeItem(std::int32_t id, const std::string& selected) {
  switch (id) {
    case IDC_COM_PORT:
      m_settings.sCom = portValue(selected);
      break;
    case IDC_COM_SPEED:
      m_settings.sSpeed = selected;
      break;
    case IDC_COM_DATA_BITS:
      m_settings.sDataBits = selected;
      break;
    case IDC_COM_PARITY:
      for (std::size_t i = 0; i < 3; ++i) {
        if (selected == text(kParityTexts[i])) m_settings.sParity = kParityCodes[i];
      }
      break;
    case IDC_COM_STOP_BITS:
      m_settings.sStopBits = selected;
      break;
    case IDC_COM_FLOW:
      m_settings.sFlowControl = selected == text(UiText::None) ? std::string("none") : selected;
      break;
    default:
      return;
  }
  setChanged();
}

std::string AttrCOM::portLabel(const std::string& value) const {
  for (const SerialPorts::PortChoice& port : m_portChoices) {
    if (port.value == value) return port.label;
  }
  return value;
}

std::string AttrCOM::portValue(const std::string& label) const {
  for (const SerialPorts::PortChoice& port : m_portChoices) {
    if (port.label == label) return port.value;
  }
  return label;
}

void AttrCOM::choose(std::int32_t id, const std::string& item) {
  view().selectString(id, item);
  takeItem(id, item);
}

// Each protocol has its fixed line set-up; switching resets the lists to it.
void AttrCOM::OnProtocolClicked() {
  const bool bus = view().isChecked(IDC_COM_RAVLINK);
  m_bProtocolFlag = bus;
  m_settings.sRavlinkProtocol = yesNo(bus);
  choose(IDC_COM_SPEED, bus ? "19200" : "9600");
  choose(IDC_COM_DATA_BITS, "8");
  choose(IDC_COM_PARITY, text(UiText::None));
  choose(IDC_COM_STOP_BITS, "1");
  choose(IDC_COM_FLOW, text(UiText::None));
  enableLineParameters(!bus);
  if (bus) {
    view().messageBox(text(UiText::RavlinkParameterized), MessageIcon::Information);
  } else {
    view().setFocus(IDC_COM_SPEED);
  }
  setChanged();
}

void AttrCOM::OnChangeSound() {
  const bool german = m_language.getLanguage() == UiLanguage::German;
  const OpenFileRequest request{
      {german ? "WAV-Dateien (*.wav)" : "WAV files (*.wav)", german ? "Alle Dateien (*.*)" : "All files (*.*)"},
      {"*.wav", "*.*"},
      "wav"};
  const std::optional<std::string> file = m_host.openFileDialog(request);
  if (!file) return;
  view().setItemText(IDC_COM_SOUND_FILE, *file);
  m_sound.playAsync(*file);
  m_settings.sSoundFile = *file;
  setChanged();
}

}  // namespace tavolin
