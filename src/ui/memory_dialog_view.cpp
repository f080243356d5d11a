#include "ui/memory_dialog_view.h"

#include "ui/find_string_prefix.h"

namespace tavolin {

void MemoryDialogView::setItemText(std::int32_t id, const std::string& text) {
  m_controls[id].text = text;
  textChanged(id);
}

void MemoryDialogView::setFocus(std::int32_t id) { m_iFocus = id; }

void MemoryDialogView::setFont(std::int32_t id, const FontSpec& font) {
  m_controls[id].font = std::string(font.face) + " " + std::to_string(font.height);
}

void MemoryDialogView::resetContent(std::int32_t id) {
  m_controls[id].items.clear();
  m_controls[id].selected = -1;
}

std::int32_t MemoryDialogView::selectString(std::int32_t id, const std::string& text) {
  Control& c = m_controls[id];
  const std::int32_t found = findStringPrefix(c.items, text);
  if (found >= 0) c.selected = found;
  return found;
}

void MemoryDialogView::setCurSel(std::int32_t id, std::int32_t index) {
  Control& c = m_controls[id];
  c.selected = index >= 0 && static_cast<std::size_t>(index) < c.items.size() ? index : -1;
}

std::string MemoryDialogView::selectedText(std::int32_t id) {
  const Control& c = m_controls[id];
  return c.selected < 0 ? std::string() : c.items[static_cast<std::size_t>(c.selected)];
}

void MemoryDialogView::limitText(std::int32_t id, std::int32_t maxCharacters) {
  m_controls[id].limit = maxCharacters;
}

void MemoryDialogView::appendText(std::int32_t id, const std::string& text) {
  Control& c = m_controls[id];
  const std::size_t room = c.text.size() < static_cast<std::size_t>(c.limit) ? c.limit - c.text.size() : 0;
  c.text += text.substr(0, room);
  textChanged(id);
}

void MemoryDialogView::messageBox(const std::string& text, MessageIcon icon, const char* caption) {
  m_messages.push_back({text, icon, caption ? caption : ""});
  messageShown(m_messages.back());
}

}  // namespace tavolin
