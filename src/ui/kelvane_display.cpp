// The main window's display: the reading state, the test display, and
// what the reading thread shows there.
#include <cstdio>
#include <cstring>

#include "resource_ids.h"
#include "ui/kelvane_dlg.h"

namespace tavolin {

namespace {

constexpr std::int32_t kFixedFontControls[] = {IDC_MAIN_PART1, IDC_MAIN_PART2, IDC_MAIN_TOTAL,
                                               IDC_MAIN_LEN1,  IDC_MAIN_LEN2,  IDC_MAIN_COUNT};
constexpr std::int32_t kTestDisplayControls[] = {
    IDC_MAIN_TEST_GROUP, IDC_MAIN_CARD_LABEL, IDC_MAIN_TOTAL_LABEL, IDC_MAIN_LEN1_LABEL, IDC_MAIN_LEN2_LABEL,
    IDC_MAIN_TOTAL_UNIT, IDC_MAIN_LEN1_UNIT,  IDC_MAIN_LEN2_UNIT,   IDC_MAIN_TOTAL,      IDC_MAIN_LEN1,
    IDC_MAIN_LEN2,       IDC_MAIN_WARNING,    IDC_MAIN_PART1,       IDC_MAIN_PART2};

std::string decimal(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", value);
  return text;
}

}  // namespace

void CKelvaneDlg::ApplyFontsAndTexts() {
  const FontSpec fixed{"Courier New", 16, 400};
  for (std::int32_t id : kFixedFontControls) view().setFont(id, fixed);
  setText(IDC_MAIN_HIDE, UiText::Hide);
  setText(IDC_MAIN_CONF, UiText::Settings);
  setText(IDC_MAIN_INFO, UiText::About);
  setText(IDC_CANCEL, UiText::Exit);
  setText(IDC_MAIN_TEST_ON, UiText::EnableTest);
  setText(IDC_MAIN_TEST_OFF, UiText::DisableTest);
  setText(IDC_MAIN_COUNT_LABEL, UiText::CountOfReadings);
  setText(IDC_MAIN_CARD_LABEL, UiText::CardData);
  setText(IDC_MAIN_TOTAL_LABEL, UiText::TotalLength);
  setText(IDC_MAIN_TOTAL_UNIT, UiText::Byte);
  setText(IDC_MAIN_LEN1_LABEL, UiText::Length1);
  setText(IDC_MAIN_LEN1_UNIT, UiText::ByteOrNibbel);
  setText(IDC_MAIN_LEN2_LABEL, UiText::Length2);
  setText(IDC_MAIN_LEN2_UNIT, UiText::ByteOrNibbel);
  setText(IDC_MAIN_STOP, UiText::StopReading);
  setText(IDC_MAIN_START, UiText::RestartReading);
}

void CKelvaneDlg::clearedDisplay(Updates& updates) {
  updates.emplace_back(IDC_MAIN_PART1, "");
  updates.emplace_back(IDC_MAIN_PART2, "");
  updates.emplace_back(IDC_MAIN_LEN1, "0");
  updates.emplace_back(IDC_MAIN_LEN2, "0");
}

void CKelvaneDlg::applyUpdates(const Updates& updates) {
  for (const auto& [id, text] : updates) view().setItemText(id, text);
}

void CKelvaneDlg::postUpdates(Updates updates) {
  const std::uint64_t generation = m_uDisplayGeneration.load();
  m_host.post([this, generation, updates = std::move(updates)] {
    if (generation == m_uDisplayGeneration.load()) applyUpdates(updates);
  });
}

void CKelvaneDlg::ClearReadingDisplay() {
  Updates updates;
  clearedDisplay(updates);
  applyUpdates(updates);
}

void CKelvaneDlg::clearTestDisplay() {
  ClearReadingDisplay();
  view().setItemText(IDC_MAIN_WARNING, "");
  view().setItemText(IDC_MAIN_FILTER_NOTICE, "");
  view().setItemText(IDC_MAIN_TOTAL, "0");
}

void CKelvaneDlg::EnableTestDisplay(bool on) {
  DialogView& v = view();
  for (std::int32_t id : kTestDisplayControls) v.enableItem(id, on);
  clearTestDisplay();
  // Either test button is enabled only while a session reads.
  v.enableItem(IDC_MAIN_TEST_ON, !on && readingActive());
  v.enableItem(IDC_MAIN_TEST_OFF, on && readingActive());
}

void CKelvaneDlg::ShowReadingState(bool active) {
  DialogView& v = view();
  clearTestDisplay();
  v.setItemText(IDC_MAIN_COUNT, "0");
  v.setItemText(IDC_MAIN_STATE, portText(UiText::ReadingFromCom) + text(active ? UiText::IsActive : UiText::IsNotActive));
  v.enableItem(IDC_MAIN_START, !active);
  v.enableItem(IDC_MAIN_STOP, active);
  v.enableItem(IDC_MAIN_TEST_ON, active);
}

void CKelvaneDlg::takeReading(const char* reading, std::int32_t length, bool testMode) {
  if (!testMode) {
    m_processor.TextToKeys(reading, length);
    return;
  }
  ShowReading(DisplayReading, reading, length);
  ShowCounter(DisplayTotalLength, length);
}

// The parts are those typing would type: both come from PrepareReading.
void CKelvaneDlg::ShowReading(std::int32_t kind, const char* data, std::int32_t length) {
  if (kind != DisplayReading) return;
  Updates updates;
  clearedDisplay(updates);
  CardDataProcessor::PreparedReading p;
  if (m_processor.PrepareReading(data, length, p)) {
    if (p.hasSecond()) {
      updates.emplace_back(IDC_MAIN_PART2, std::string(p.part2, static_cast<std::size_t>(p.len2)));
      updates.emplace_back(IDC_MAIN_LEN2, decimal(static_cast<std::uint32_t>(p.len2)));
    }
    updates.emplace_back(IDC_MAIN_PART1, std::string(p.part1, static_cast<std::size_t>(p.len1)));
    updates.emplace_back(IDC_MAIN_LEN1, decimal(static_cast<std::uint32_t>(p.len1)));
    const FilterAttr& filter = m_processor.filterAttr();
    if (filter.bHexToDec || filter.bPadUsed) updates.emplace_back(IDC_MAIN_FILTER_NOTICE, text(UiText::FilterInUse));
  }
  postUpdates(std::move(updates));
}

void CKelvaneDlg::ShowCounter(std::int32_t field, std::int32_t value) {
  const std::string number = decimal(static_cast<std::uint32_t>(value));
  if (field == DisplayTotalLength) postUpdates({{IDC_MAIN_TOTAL, number}});
  if (field == DisplayReadingCount) postUpdates({{IDC_MAIN_COUNT, number}});
}

void CKelvaneDlg::ShowMessage(std::int32_t field, const std::string& message, std::int32_t expected,
                              std::int32_t received) {
  if (field == DisplayReaderInfo) {
    postUpdates({{IDC_MAIN_READER_INFO, message}});
    return;
  }
  if (field != DisplayLengthWarning) return;
  char line[256] = "";
  if (!message.empty()) {
    postUpdates({{IDC_MAIN_WARNING, message}});
    return;
  }
  if (expected != 0 && received != 0) {
    std::snprintf(line, sizeof line, "%s %d %s %s %d!", text(UiText::WarningReadingLength).c_str(),
                  static_cast<int>(expected), text(UiText::ByteExpected).c_str(), text(UiText::ReceivedBytes).c_str(),
                  static_cast<int>(received));
  } else if (expected != 0) {
    std::snprintf(line, sizeof line, "%s %d %s", text(UiText::WarningReadingLength).c_str(),
                  static_cast<int>(expected), text(UiText::ByteExpected).c_str());
  }
  postUpdates({{IDC_MAIN_WARNING, line}});
}


}  // namespace tavolin
