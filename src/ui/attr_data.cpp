#include "ui/attr_data.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "processing/settings_text.h"
#include "resource_ids.h"
#include "ui/help_dialogs.h"

namespace tavolin {

namespace {

struct Choice {
  std::int32_t id;
  const char* code;
};

constexpr Choice kByteModes[] = {{IDC_DATA_BYTEWISE, "BYTEWISE"},
                                 {IDC_DATA_NIBBELWISE, "NIBBELWISE"},
                                 {IDC_DATA_LOWNIBBEL, "LOWNIBBELWISE"},
                                 {IDC_DATA_HIGHNIBBEL, "HIGHNIBBELWISE"}};
constexpr Choice kMappings[] = {{IDC_DATA_MAP_HEX, "MAPTOHEXCHARS"}, {IDC_DATA_MAP_SPECIAL, "MAPTOSPECCHARS"}};
constexpr Choice kDirections[] = {{IDC_DATA_FORWARD, "FORWARD"}, {IDC_DATA_BACKWARD, "BACKWARD"}};
constexpr std::int32_t kPositionLists[] = {IDC_DATA_TOTAL, IDC_DATA_START, IDC_DATA_STOP, IDC_DATA_START2,
                                           IDC_DATA_STOP2};
constexpr std::int32_t kPaddingLength = 2;

const char* yesNo(bool on) { return on ? "yes" : "no"; }

template <std::size_t N>
const Choice* findChoice(const Choice (&choices)[N], std::int32_t id) {
  for (const Choice& c : choices) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

// Checks the radio of the stored code; an unknown code becomes the first.
template <std::size_t N>
void showChoice(DialogView& view, const Choice (&choices)[N], SettingText& code) {
  const Choice* chosen = &choices[0];
  for (const Choice& c : choices) {
    if (code == c.code) chosen = &c;
  }
  code = chosen->code;
  for (const Choice& c : choices) view.checkItem(c.id, &c == chosen);
}

bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

AttrData::AttrData(SettingsSource& owner, const AttrCOM& comPage, const UiLanguage& language, WindowHost& host,
                   System& system, Trace& trace)
    : PropertyPage(IDD_ATTR_DATA, owner, language), m_comPage(comPage), m_host(host), m_system(system), m_trace(trace) {}

bool AttrData::OnInitDialog() {
  setTexts();
  fillLists();
  m_settings = m_owner.getCardDataSettings();
  m_bOpening = true;
  showSettings();
  m_bOpening = false;
  m_bPageInitialized = true;
  return true;
}

void AttrData::setTexts() {
  setText(IDC_DATA_FIXED_LENGTH, UiText::ExactLengthReading);
  setText(IDC_DATA_TOTAL_LABEL, UiText::LengthOfAllCardData);
  setText(IDC_DATA_RANGE_GROUP, UiText::ReadingOfCardData);
  setText(IDC_DATA_START_LABEL, UiText::ReadingFromStartPosition);
  setText(IDC_DATA_STOP_LABEL, UiText::IncludingFinalPosition);
  setText(IDC_DATA_RANGE2_GROUP, UiText::ReadingSecondRange);
  setText(IDC_DATA_START2_LABEL, UiText::FromStartPosition);
  setText(IDC_DATA_STOP2_LABEL, UiText::IncludingFinalPosition);
  setText(IDC_DATA_BYTE_GROUP, UiText::ByteOnCardIs);
  setText(IDC_DATA_BYTEWISE, UiText::AsciiCharacterPerByte);
  setText(IDC_DATA_NIBBELWISE, UiText::TwoCharactersInNibbels);
  setText(IDC_DATA_LOWNIBBEL, UiText::CharacterInLowNibbel);
  setText(IDC_DATA_HIGHNIBBEL, UiText::CharacterInHighNibbel);
  setText(IDC_DATA_DIRECTION_GROUP, UiText::DataTransfer);
  setText(IDC_DATA_FORWARD, UiText::Forward);
  setText(IDC_DATA_BACKWARD, UiText::Backward);
  setText(IDC_DATA_MAP_GROUP, UiText::NibbelTransformation);
  setText(IDC_DATA_MAP_HEX, UiText::ToAlphabetic);
  setText(IDC_DATA_MAP_SPECIAL, UiText::LeaveSpecialCharacters);
  setText(IDC_DATA_FILTER_ORDER, UiText::FilterSequence);
  setText(IDC_DATA_PAD_GROUP, UiText::CardDataEndWithPadding);
  setText(IDC_DATA_PAD_USED, UiText::Truncate);
  setText(IDC_DATA_PAD_LABEL, UiText::HexPaddingPresentation);
  view().setItemText(IDC_DATA_ASCII_HELP, "?");
  setText(IDC_DATA_CONVERSION_GROUP, UiText::Conversion);
  setText(IDC_DATA_CONVERSION, UiText::HexadecimalToDecimal);
  setText(IDC_DATA_DIGITS_LABEL, UiText::DigitRightAligned);
}

void AttrData::fillLists() {
  DialogView& v = view();
  for (std::int32_t id : kPositionLists) v.resetContent(id);
  v.resetContent(IDC_DATA_DIGITS);
  v.addString(IDC_DATA_START2, "-");
  v.addString(IDC_DATA_STOP2, "-");
  for (std::int32_t p = 1; p <= kMaxPosition; ++p) {
    for (std::int32_t id : kPositionLists) v.addString(id, std::to_string(p));
  }
  for (std::int32_t d = 0; d <= kMaxDigits; ++d) v.addString(IDC_DATA_DIGITS, std::to_string(d));
}

// Shows the working copy; unknown choices are replaced by the first
// choice, which does not count as a change.
void AttrData::showSettings() {
  DialogView& v = view();
  CardDataSettings& s = m_settings;
  v.selectString(IDC_DATA_TOTAL, s.sTotalLength);
  v.selectString(IDC_DATA_START, s.sReadStart);
  v.selectString(IDC_DATA_STOP, s.sReadStop);
  v.selectString(IDC_DATA_START2, s.sReadStart2);
  v.selectString(IDC_DATA_STOP2, s.sReadStop2);

  const bool fixed = s.fixedLength();
  v.checkItem(IDC_DATA_FIXED_LENGTH, fixed);
  v.enableItem(IDC_DATA_TOTAL, fixed);
  v.enableItem(IDC_DATA_TOTAL_LABEL, fixed);

  showChoice(v, kByteModes, s.sByteMode);

  const bool padding = s.padUsed();
  v.checkItem(IDC_DATA_PAD_USED, padding);
  v.enableItem(IDC_DATA_PAD_CHAR, padding);
  v.limitText(IDC_DATA_PAD_CHAR, kPaddingLength);
  v.setItemText(IDC_DATA_PAD_CHAR, s.sPadChar);

  showChoice(v, kMappings, s.sNonNumeric);
  showChoice(v, kDirections, s.sDirection);

  const bool conversion = s.hexToDec();
  v.checkItem(IDC_DATA_CONVERSION, conversion);
  v.enableItem(IDC_DATA_DIGITS, conversion);
  v.selectString(IDC_DATA_DIGITS, s.sDigits);

  v.checkItem(IDC_DATA_FILTER_ORDER, s.truncateFirst());
  s.bSecondRange = checkReadingLength();
}

void AttrData::enableByteModeGroups(bool enable) {
  DialogView& v = view();
  v.enableItem(IDC_DATA_BYTE_GROUP, enable);
  for (const Choice& c : kByteModes) v.enableItem(c.id, enable);
  v.enableItem(IDC_DATA_MAP_GROUP, enable);
  for (const Choice& c : kMappings) v.enableItem(c.id, enable);
}

// The bus protocol forces byte-wise data of fixed length.
bool AttrData::OnSetActive() {
  DialogView& v = view();
  if (m_comPage.isRavlinkProtocol()) {
    enableByteModeGroups(false);
    v.checkItem(IDC_DATA_FIXED_LENGTH, true);
    v.enableItem(IDC_DATA_FIXED_LENGTH, false);
    for (const Choice& c : kByteModes) v.checkItem(c.id, c.id == IDC_DATA_BYTEWISE);
    takeByteMode(IDC_DATA_BYTEWISE);
  } else {
    enableByteModeGroups(true);
    v.enableItem(IDC_DATA_FIXED_LENGTH, true);
  }
  takeFixedLength(m_comPage.isRavlinkProtocol() || m_settings.fixedLength());
  m_saidAtOpening.clear();
  return true;
}

bool AttrData::hasSecondRange() {
  if (!m_bPageInitialized) m_settings = m_owner.getCardDataSettings();
  return m_settings.bSecondRange;
}

void AttrData::onCommand(std::int32_t id, Notification notification) {
  DialogView& v = view();
  if (notification == Notification::SelectionChange) {
    const std::string selected = v.selectedText(id);
    if (id == IDC_DATA_TOTAL) {
      m_settings.sTotalLength = selected;
      checkReadingLength();
      setChanged();
    } else if (id == IDC_DATA_DIGITS) {
      m_settings.sDigits = selected;
      setChanged();
    } else if (id == IDC_DATA_START || id == IDC_DATA_STOP || id == IDC_DATA_START2 || id == IDC_DATA_STOP2) {
      OnPositionChange(id, selected);
    }
    return;
  }
  if (notification == Notification::KillFocus) {
    if (id == IDC_DATA_PAD_CHAR) OnPaddingKillFocus();
    return;
  }
  if (notification != Notification::Clicked) return;

  if (findChoice(kByteModes, id)) {
    OnByteModeClicked(id);
  } else if (const Choice* mapping = findChoice(kMappings, id)) {
    if (!v.isChecked(id)) return;
    m_settings.sNonNumeric = mapping->code;
    setChanged();
  } else if (const Choice* direction = findChoice(kDirections, id)) {
    if (!v.isChecked(id)) return;
    m_settings.sDirection = direction->code;
    setChanged();
  } else if (id == IDC_DATA_FIXED_LENGTH) {
    OnFixedLengthClicked();
  } else if (id == IDC_DATA_CONVERSION) {
    const bool on = v.isChecked(id);
    m_settings.sConversion = on ? "HEXA2DEC" : "none";
    v.enableItem(IDC_DATA_DIGITS, on);
    setChanged();
  } else if (id == IDC_DATA_FILTER_ORDER) {
    m_settings.sTruncateFirst = yesNo(v.isChecked(id));
    setChanged();
  } else if (id == IDC_DATA_PAD_USED) {
    const bool on = v.isChecked(id);
    m_settings.sPadUsed = yesNo(on);
    v.enableItem(IDC_DATA_PAD_CHAR, on);
    setChanged();
  } else if (id == IDC_DATA_ASCII_HELP) {
    ASCIIHelp help(m_language, m_system, m_trace);
    m_host.runModal(help);
  }
}

void AttrData::OnPositionChange(std::int32_t id, const std::string& selected) {
  SettingText& value = id == IDC_DATA_START    ? m_settings.sReadStart
                       : id == IDC_DATA_STOP   ? m_settings.sReadStop
                       : id == IDC_DATA_START2 ? m_settings.sReadStart2
                                               : m_settings.sReadStop2;
  value = selected;
  m_settings.bSecondRange = checkReadingLength();
  setChanged();
}

void AttrData::OnFixedLengthClicked() { takeFixedLength(view().isChecked(IDC_DATA_FIXED_LENGTH)); }

void AttrData::takeFixedLength(bool fixed) {
  DialogView& v = view();
  m_settings.sFixedLength = yesNo(fixed);
  const bool offerTotal = fixed && !m_comPage.isRavlinkProtocol();
  v.enableItem(IDC_DATA_TOTAL, offerTotal);
  v.enableItem(IDC_DATA_TOTAL_LABEL, offerTotal);
  m_settings.bSecondRange = checkReadingLength();
  setChanged();
}

void AttrData::OnByteModeClicked(std::int32_t id) {
  if (view().isChecked(id)) takeByteMode(id);
}

void AttrData::takeByteMode(std::int32_t id) {
  m_settings.sByteMode = findChoice(kByteModes, id)->code;
  checkReadingLength();
  setChanged();
}

std::string AttrData::lengthText(std::int32_t length, const char* unit) const {
  char line[160];
  std::snprintf(line, sizeof line, "%s %d %s.", text(UiText::ResultsInReadingLength), static_cast<int>(length), unit);
  return line;
}

// One cause, one message: the first activation runs the check the opening
// has just run.
void AttrData::error(UiText entry) {
  if (m_bOpening) {
    m_saidAtOpening.insert(entry);
  } else if (m_saidAtOpening.erase(entry) > 0) {
    return;
  }
  view().messageBox(text(entry), MessageIcon::Error);
}

bool AttrData::checkReadingLength() {
  DialogView& v = view();
  // Each position is read as a leading decimal number; "-" is none.
  std::int32_t s1 = 0, e1 = 0, s2 = 0, e2 = 0, t = 0;
  scanDecimal(m_settings.sReadStart, s1);
  scanDecimal(m_settings.sReadStop, e1);
  const bool hasS2 = scanDecimal(m_settings.sReadStart2, s2);
  const bool hasE2 = scanDecimal(m_settings.sReadStop2, e2);
  scanDecimal(m_settings.sTotalLength, t);
  // Fixed length and byte mode as the working copy holds them; the boxes
  // and radios show the same.
  const bool exact = m_settings.fixedLength() && !m_comPage.isRavlinkProtocol();
  const char* unit = text(m_settings.byteMode() == NibbleMode::Bytewise ? UiText::Bytes : UiText::Nibbel);

  if (exact && (t < e1 || t < s1)) {
    error(UiText::WrongReadingLength);
    return false;
  }
  const std::int32_t l1 = e1 - s1 + 1;
  v.setItemText(IDC_DATA_LENGTH1, lengthText(l1, unit));
  if (l1 <= 0) error(UiText::WrongReadingLength);

  if (!hasS2) {
    setText(IDC_DATA_LENGTH2, UiText::NoSecondRange);
    return false;
  }
  if (s2 <= e1) {
    setText(IDC_DATA_LENGTH2, UiText::NoSecondRange);
    error(UiText::SecondRangeBehind);
    return false;
  }
  if (!hasE2) {
    setText(IDC_DATA_LENGTH2, UiText::NoSecondRange);
    return false;
  }
  if (exact && (t < e2 || t < s2)) {
    error(UiText::WrongSecondLength);
    return false;
  }
  const std::int32_t l2 = e2 - s2 + 1;
  if (l2 > 0) {
    v.setItemText(IDC_DATA_LENGTH2, lengthText(l2, unit));
    return true;
  }
  setText(IDC_DATA_LENGTH2, UiText::NoSecondRange);
  if (l2 < 0) error(UiText::WrongSecondLength);
  return false;
}

// The padding character must be the code of a printable character, in two
// hexadecimal digits; anything else is replaced by a space.
void AttrData::OnPaddingKillFocus() {
  DialogView& v = view();
  std::string value = v.getItemText(IDC_DATA_PAD_CHAR).substr(0, kPaddingLength);
  if (value.size() < static_cast<std::size_t>(kPaddingLength)) {
    value = value.empty() ? "00" : "0" + value;
    v.setItemText(IDC_DATA_PAD_CHAR, value);
  }

  char problem[256] = "";
  if (value == "00") {
    std::snprintf(problem, sizeof problem, "%s.\n", text(UiText::PaddingZeroNotAllowed));
  } else if (isHexDigit(value[0]) && isHexDigit(value[1])) {
    const unsigned long code = std::stoul(value, nullptr, 16);
    if (code < 0x20 || code > 0x7E) {
      std::snprintf(problem, sizeof problem, "'%s' %s.\n", value.c_str(), text(UiText::NotPrintable));
    }
  } else {
    std::snprintf(problem, sizeof problem, "'%s' %s.\n", value.c_str(), text(UiText::NotAHexCharacter));
  }

  if (problem[0] != '\0') {
    value = "20";
    v.messageBox(std::string(problem) + text(UiText::DefaultPaddingUsed), MessageIcon::Error);
    v.setItemText(IDC_DATA_PAD_CHAR, value);
  }
  m_settings.sPadChar = value;
  setChanged();
}

}  // namespace tavolin
