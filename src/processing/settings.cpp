#include "processing/settings.h"

#include <type_traits>

#include "services/system.h"

namespace tavolin {

std::string defaultSoundFile(const std::string& programFolder, char pathSeparator) {
  if (programFolder.empty()) return kSoundFileName;
  return programFolder + pathSeparator + kSoundFileName;
}

std::int32_t parseSwitch(const std::string& text) { return text == "yes"; }

std::int32_t parseParity(const std::string& text) {
  return static_cast<std::int32_t>(text == "odd" ? Parity::Odd : text == "even" ? Parity::Even : Parity::None);
}

std::int32_t parseFlowControl(const std::string& text) {
  return static_cast<std::int32_t>(text == "Xon/Xoff"   ? FlowControl::XonXoff
                                   : text == "Hardware" ? FlowControl::Hardware
                                                        : FlowControl::None);
}

std::int32_t parseByteMode(const std::string& text) {
  return static_cast<std::int32_t>(text == "NIBBELWISE"       ? NibbleMode::Nibbelwise
                                   : text == "LOWNIBBELWISE"  ? NibbleMode::LowNibbelwise
                                   : text == "HIGHNIBBELWISE" ? NibbleMode::HighNibbelwise
                                                              : NibbleMode::Bytewise);
}

std::int32_t parseMapping(const std::string& text) { return text != "MAPTOSPECCHARS"; }

std::int32_t parseDirection(const std::string& text) { return text != "BACKWARD"; }

std::int32_t parseConversion(const std::string& text) { return text == "HEXA2DEC"; }

Settings defaultSettings(const std::string& programFolder, char pathSeparator) {
  Settings settings;
  settings.com.sSoundFile = defaultSoundFile(programFolder, pathSeparator);
  return settings;
}

Settings defaultSettings(System& system) {
  return defaultSettings(system.deliveredFileFolder(kSoundFileName), system.pathSeparator());
}

const SettingValue<ComSettings> SettingValues::com[ComSettings::valueCount] = {
    {"COM", &ComSettings::sCom},
    {"Speed", &ComSettings::sSpeed},
    {"Data bits", &ComSettings::sDataBits},
    {"Parity", &ComSettings::sParity},
    {"Stop bits", &ComSettings::sStopBits},
    {"Flow control", &ComSettings::sFlowControl},
    {"Ravlink protocol", &ComSettings::sRavlinkProtocol},
    {"Signaling", &ComSettings::sSignaling},
    {"Use Sound", &ComSettings::sUseSound},
    {"Sound file", &ComSettings::sSoundFile},
};

const SettingValue<CardDataSettings> SettingValues::cardData[CardDataSettings::valueCount] = {
    {"Total reader data length", &CardDataSettings::sTotalLength},
    {"Fixed length", &CardDataSettings::sFixedLength},
    {"Read start position", &CardDataSettings::sReadStart},
    {"Read stop position", &CardDataSettings::sReadStop},
    {"2. Read start position", &CardDataSettings::sReadStart2},
    {"2. Read stop position", &CardDataSettings::sReadStop2},
    {"Read characters in 1 byte", &CardDataSettings::sByteMode},
    {"Show non numeric characters", &CardDataSettings::sNonNumeric},
    {"Reading direction", &CardDataSettings::sDirection},
    {"Filter: 1.truncate, 2.convert", &CardDataSettings::sTruncateFirst},
    {"Conversion", &CardDataSettings::sConversion},
    {"Decimal n-digit (right aligned)", &CardDataSettings::sDigits},
    {"Padding character used", &CardDataSettings::sPadUsed},
    {"Padding character", &CardDataSettings::sPadChar},
};

const SettingValue<AddCharsSettings> SettingValues::addChars[AddCharsSettings::valueCount] = {
    {"Prefix characters", &AddCharsSettings::sPrefix},
    {"Characters separating 2 data portions", &AddCharsSettings::sInterfix},
    {"Postfix characters", &AddCharsSettings::sPostfix},
};

namespace {

// The value of a group, const or not, by its name.
template <typename Group, std::size_t N>
auto findIn(const SettingValue<std::remove_const_t<Group>> (&table)[N], Group& group, const std::string& name)
    -> decltype(&(group.*table[0].member)) {
  for (const auto& value : table) {
    if (name == value.name) return &(group.*value.member);
  }
  return nullptr;
}

}  // namespace

SettingText* findSettingValue(ComSettings& group, const std::string& name) {
  return findIn(SettingValues::com, group, name);
}

SettingText* findSettingValue(CardDataSettings& group, const std::string& name) {
  return findIn(SettingValues::cardData, group, name);
}

SettingText* findSettingValue(AddCharsSettings& group, const std::string& name) {
  return findIn(SettingValues::addChars, group, name);
}

const SettingText* findSettingValue(const ComSettings& group, const std::string& name) {
  return findIn(SettingValues::com, group, name);
}

const SettingText* findSettingValue(const CardDataSettings& group, const std::string& name) {
  return findIn(SettingValues::cardData, group, name);
}

const SettingText* findSettingValue(const AddCharsSettings& group, const std::string& name) {
  return findIn(SettingValues::addChars, group, name);
}

SettingText* findSettingValue(Settings& settings, const std::string& name) {
  if (SettingText* v = findSettingValue(settings.com, name)) return v;
  if (SettingText* v = findSettingValue(settings.cardData, name)) return v;
  return findSettingValue(settings.addChars, name);
}

}  // namespace tavolin
