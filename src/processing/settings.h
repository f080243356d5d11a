#pragma once

#include <cstddef>
#include <string>

namespace tavolin {

// The whole configuration. Every value is held as text, exactly as stored;
// the consumers interpret the text when they derive from it.

// Serial port, reader protocol, signalling and sound.
struct ComSettings {
  std::string sCom = "2";
  std::string sSpeed = "19200";
  std::string sDataBits = "8";
  std::string sParity = "none";
  std::string sStopBits = "1";
  std::string sFlowControl = "none";
  std::string sRavlinkProtocol = "yes";
  std::string sSignaling = "yes";
  std::string sUseSound = "no";
  std::string sSoundFile;  // "<program folder>\Elvorbeep.wav", see defaultSoundFile()

  static constexpr std::size_t valueCount = 10;
};

// Which part of a reading is used and how it is decoded and converted.
struct CardDataSettings {
  std::string sTotalLength = "14";
  std::string sFixedLength = "yes";
  std::string sReadStart = "1";
  std::string sReadStop = "14";
  bool bSecondRange = false;  // held in memory only: the card data page accepted a second range
  std::string sReadStart2 = "-";
  std::string sReadStop2 = "-";
  std::string sByteMode = "BYTEWISE";
  std::string sNonNumeric = "MAPTOHEXCHARS";
  std::string sDirection = "FORWARD";
  std::string sTruncateFirst = "yes";
  std::string sConversion = "none";
  std::string sDigits = "0";
  std::string sPadUsed = "no";
  std::string sPadChar = "20";

  static constexpr std::size_t valueCount = 14;  // stored values
};

// Keys typed before, between and after the card data.
struct AddCharsSettings {
  std::string sPrefix = "none";
  std::string sInterfix = "none";
  std::string sPostfix = "none";

  static constexpr std::size_t valueCount = 3;
};

struct Settings {
  ComSettings com;
  CardDataSettings cardData;
  AddCharsSettings addChars;
};

class System;

constexpr char kSoundFileName[] = "Elvorbeep.wav";

// The sound played by default: "Elvorbeep.wav" in the program folder, or
// the bare file name when the program folder is not known.
std::string defaultSoundFile(const std::string& programFolder, char pathSeparator);

// A record holding every default, the sound file included.
Settings defaultSettings(const std::string& programFolder, char pathSeparator);
// The defaults on this system: the signal sound where the program finds it.
Settings defaultSettings(System& system);

// One stored value: its name in the store and where it lives in its group.
// The tables list the values in the order of the group in memory.
template <typename Group>
struct SettingValue {
  const char* name;
  std::string Group::*member;
};

struct SettingValues {
  static const SettingValue<ComSettings> com[ComSettings::valueCount];
  static const SettingValue<CardDataSettings> cardData[CardDataSettings::valueCount];
  static const SettingValue<AddCharsSettings> addChars[AddCharsSettings::valueCount];
};

// The value of the given name anywhere in the record, or nullptr.
std::string* findSettingValue(Settings& settings, const std::string& name);

// The value of the given name in one group, or nullptr.
std::string* findSettingValue(ComSettings& group, const std::string& name);
std::string* findSettingValue(CardDataSettings& group, const std::string& name);
std::string* findSettingValue(AddCharsSettings& group, const std::string& name);
const std::string* findSettingValue(const ComSettings& group, const std::string& name);
const std::string* findSettingValue(const CardDataSettings& group, const std::string& name);
const std::string* findSettingValue(const AddCharsSettings& group, const std::string& name);

}  // namespace tavolin
