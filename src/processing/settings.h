#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "processing/derived_records.h"

namespace tavolin {

// The whole configuration. Every value is held as text, exactly as stored;
// a switch or a choice also holds what its text means, parsed once when
// the text is set (by the store's load, a settings page, --set), so that
// the program decides by bools and enums, never by comparing texts.

// The highest position of a reading and the most digits of a converted
// number: the card data page's lists, the layout checks and --set.
constexpr std::int32_t kMaxPosition = 107;
constexpr std::int32_t kMaxDigits = 10;

enum class Parity : std::int32_t { None, Odd, Even };
enum class FlowControl : std::int32_t { None, XonXoff, Hardware };

// One stored value: its text, and, for a switch or a choice, the code its
// parser makes of the text. Assigning a text parses it.
class SettingText {
 public:
  using Parser = std::int32_t (*)(const std::string& text);

  SettingText() : SettingText("") {}
  explicit SettingText(const char* text, Parser parser = nullptr) : m_sText(text), m_parser(parser) { parse(); }
  SettingText& operator=(std::string text) {
    m_sText = std::move(text);
    parse();
    return *this;
  }

  const std::string& text() const { return m_sText; }
  operator const std::string&() const { return m_sText; }
  std::int32_t code() const { return m_iCode; }

  friend bool operator==(const SettingText& a, const std::string& b) { return a.m_sText == b; }
  friend bool operator!=(const SettingText& a, const std::string& b) { return a.m_sText != b; }
  friend bool operator==(const std::string& a, const SettingText& b) { return a == b.m_sText; }
  friend bool operator==(const SettingText& a, const SettingText& b) { return a.m_sText == b.m_sText; }
  friend bool operator!=(const std::string& a, const SettingText& b) { return a != b.m_sText; }
  friend std::ostream& operator<<(std::ostream& out, const SettingText& s) { return out << s.m_sText; }

 private:
  void parse() { m_iCode = m_parser ? m_parser(m_sText) : 0; }

  std::string m_sText;
  Parser m_parser;
  std::int32_t m_iCode = 0;
};

// The parsers: the stored keywords, and what any other text counts as.
std::int32_t parseSwitch(const std::string& text);       // "yes"; anything else is off
std::int32_t parseParity(const std::string& text);       // "odd", "even"; else none
std::int32_t parseFlowControl(const std::string& text);  // "Xon/Xoff", "Hardware"; else none
std::int32_t parseByteMode(const std::string& text);     // the NibbleMode keywords; else BYTEWISE
std::int32_t parseMapping(const std::string& text);      // 1 (to hex characters) unless "MAPTOSPECCHARS"
std::int32_t parseDirection(const std::string& text);    // 1 (forward) unless "BACKWARD"
std::int32_t parseConversion(const std::string& text);   // "HEXA2DEC"

// Serial port, reader protocol, signalling and sound.
struct ComSettings {
  SettingText sCom{"2"};
  SettingText sSpeed{"19200"};
  SettingText sDataBits{"8"};
  SettingText sParity{"none", parseParity};
  SettingText sStopBits{"1"};
  SettingText sFlowControl{"none", parseFlowControl};
  SettingText sRavlinkProtocol{"yes", parseSwitch};
  SettingText sSignaling{"yes", parseSwitch};
  SettingText sUseSound{"no", parseSwitch};
  SettingText sSoundFile;  // "<program folder>\Elvorbeep.wav", see defaultSoundFile()

  bool ravlinkProtocol() const { return sRavlinkProtocol.code() != 0; }
  bool signaling() const { return sSignaling.code() != 0; }
  bool useSound() const { return sUseSound.code() != 0; }
  Parity parity() const { return static_cast<Parity>(sParity.code()); }
  FlowControl flowControl() const { return static_cast<FlowControl>(sFlowControl.code()); }

  static constexpr std::size_t valueCount = 10;
};

// Which part of a reading is used and how it is decoded and converted.
struct CardDataSettings {
  SettingText sTotalLength{"14"};
  SettingText sFixedLength{"yes", parseSwitch};
  SettingText sReadStart{"1"};
  SettingText sReadStop{"14"};
  bool bSecondRange = false;  // held in memory only: the card data page accepted a second range
  SettingText sReadStart2{"-"};
  SettingText sReadStop2{"-"};
  SettingText sByteMode{"BYTEWISE", parseByteMode};
  SettingText sNonNumeric{"MAPTOHEXCHARS", parseMapping};
  SettingText sDirection{"FORWARD", parseDirection};
  SettingText sTruncateFirst{"yes", parseSwitch};
  SettingText sConversion{"none", parseConversion};
  SettingText sDigits{"0"};
  SettingText sPadUsed{"no", parseSwitch};
  SettingText sPadChar{"20"};

  bool fixedLength() const { return sFixedLength.code() != 0; }
  NibbleMode byteMode() const { return static_cast<NibbleMode>(sByteMode.code()); }
  bool mapToHex() const { return sNonNumeric.code() != 0; }
  bool forward() const { return sDirection.code() != 0; }
  bool truncateFirst() const { return sTruncateFirst.code() != 0; }
  bool hexToDec() const { return sConversion.code() != 0; }
  bool padUsed() const { return sPadUsed.code() != 0; }

  static constexpr std::size_t valueCount = 14;  // stored values
};

// Keys typed before, between and after the card data.
struct AddCharsSettings {
  SettingText sPrefix{"none"};
  SettingText sInterfix{"none"};
  SettingText sPostfix{"none"};

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
  SettingText Group::*member;
};

struct SettingValues {
  static const SettingValue<ComSettings> com[ComSettings::valueCount];
  static const SettingValue<CardDataSettings> cardData[CardDataSettings::valueCount];
  static const SettingValue<AddCharsSettings> addChars[AddCharsSettings::valueCount];
};

// The value of the given name anywhere in the record, or nullptr.
SettingText* findSettingValue(Settings& settings, const std::string& name);

// The value of the given name in one group, or nullptr.
SettingText* findSettingValue(ComSettings& group, const std::string& name);
SettingText* findSettingValue(CardDataSettings& group, const std::string& name);
SettingText* findSettingValue(AddCharsSettings& group, const std::string& name);
const SettingText* findSettingValue(const ComSettings& group, const std::string& name);
const SettingText* findSettingValue(const CardDataSettings& group, const std::string& name);
const SettingText* findSettingValue(const AddCharsSettings& group, const std::string& name);

}  // namespace tavolin
