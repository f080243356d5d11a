#pragma once

#include <string>

#include "processing/keyboard.h"
#include "services/text_file.h"

namespace tavolin {

// The keyboard of the console programs: it types through another keyboard
// and prints, after each reading, one line with what was typed
// ("Typed: <TAB>12345678<CR>"), so that a card can be seen to arrive
// without watching the window it was typed into; "Not typed: ..." where
// the other keyboard sends nothing.
class EchoingKeyboard : public Keyboard {
 public:
  EchoingKeyboard(Keyboard& keyboard, TextFile& out) : m_keyboard(keyboard), m_out(out) {}

  void refreshLayout() override { m_keyboard.refreshLayout(); }
  KeyCode vkKeyScan(char c) override { return m_keyboard.vkKeyScan(c); }
  std::uint32_t mapVirtualKey(std::uint32_t vk) override { return m_keyboard.mapVirtualKey(vk); }
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
    m_keyboard.keyEvent(vk, scan, flags);
  }
  bool sendsKeys() const override { return m_keyboard.sendsKeys(); }
  void sequenceTyped(std::string_view typed) override {
    m_keyboard.sequenceTyped(typed);
    m_line.assign(sendsKeys() ? "Typed: " : "Not typed: ").append(typed).append("\n");
    m_out.write(m_line);
  }

 private:
  Keyboard& m_keyboard;
  TextFile& m_out;
  std::string m_line;  // touched by the reading thread only
};

}  // namespace tavolin
