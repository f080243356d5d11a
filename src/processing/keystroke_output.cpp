// Typing a reading, and the keys around it, into the focused window.
#include <cstdio>

#include "processing/card_data_processor.h"

namespace tavolin {

namespace {

constexpr char kEtx = 0x03;

}  // namespace

void CardDataProcessor::TextToKeys(const char* reading, std::int32_t length) {
  m_keyboard.refreshLayout();
  m_sTyped.clear();
  PreparedReading p;
  if (!PrepareReading(reading, length, p)) return;
  const Ranges& r = p.split;
  m_trace("TextToKeys(): pData: '%s', mit L\xe4nge %d, Len1: %d, Index-Start2: %d Len2: %d\n", r.text, r.length, r.len1,
          r.start2, r.len2);

  if (m_dataPostProcessing.PrefixCode.count > 0) {
    m_trace("Pr\xe4" "fix vorhanden, L\xe4nge: %d\n", m_dataPostProcessing.PrefixCode.count);
    typeKeyList(m_dataPostProcessing.PrefixCode, m_typedKeys.prefix);
  }
  typeRange(p.part1, p.len1);
  if (p.hasSecond()) {
    if (m_dataPostProcessing.InterfixCode.count > 0) {
      m_trace("Interfix vorhanden, L\xe4nge: %d\n", m_dataPostProcessing.InterfixCode.count);
      typeKeyList(m_dataPostProcessing.InterfixCode, m_typedKeys.interfix);
    }
    typeRange(p.part2, p.len2);
  }
  if (m_dataPostProcessing.PostfixCode.count > 0) {
    m_trace("Postfix vorhanden, L\xe4nge: %d\n", m_dataPostProcessing.PostfixCode.count);
    typeKeyList(m_dataPostProcessing.PostfixCode, m_typedKeys.postfix);
  }
  m_keyboard.sequenceTyped(m_sTyped);
}

void CardDataProcessor::typeKeyList(const KeyCodeList& list, const std::string& typed) {
  for (std::int32_t i = 0; i < list.count; ++i) TypeKeyCode(list.codes[static_cast<std::size_t>(i)]);
  m_sTyped += typed;
}

void CardDataProcessor::typeRange(const char* text, std::int32_t length) {
  for (std::int32_t i = 0; i < length; ++i) TypeChar(text[i]);
}

void CardDataProcessor::TypeChar(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (c == kEtx) {
    // ETX is typed as the key of "+", without the modifiers "+" may need.
    const KeyCode k = m_keyboard.vkKeyScan('+');
    if (k == key_code::None) {
      m_trace("VkKeyScan('%c' (=='0x%02x')) failed\n", code, code);
      return;
    }
    const auto vk = static_cast<std::uint8_t>(k & 0xFF);
    pressKey(vk);
    m_trace("ETX (=='0x%02x'), ersetzt zu '+', vkscan: 0x%04x\n", code, static_cast<unsigned>(k));
    releaseKey(vk);
    m_sTyped += '+';
    return;
  }
  const KeyCode k = m_keyboard.vkKeyScan(c);
  // Card data never fire shortcuts: a character that needs CTRL without
  // ALT (a control character) is left out like one that no key produces.
  // CTRL with ALT is AltGr and types a character.
  const bool shortcut = (k & key_code::CtrlBit) && !(k & key_code::AltBit);
  if (k == key_code::None || shortcut) {
    m_trace("VkKeyScan('%c' (=='0x%02x')) failed\n", code, code);
    return;
  }
  m_trace("Char: '%c' (=='0x%02x'), vkscan: 0x%04x\n", code, code, static_cast<unsigned>(k));
  sendKeyCode(k);
  describeTyped(c);
}

void CardDataProcessor::describeTyped(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (c == '<') {
    m_sTyped += "<<";
  } else if (code < 0x20 || code == 0x7F) {
    // Control characters of the card data by their code, so that the
    // description stays one line.
    char hex[8];
    std::snprintf(hex, sizeof hex, "<0x%02X>", code);
    m_sTyped += hex;
  } else {
    m_sTyped += c;
  }
}

void CardDataProcessor::TypeKeyCode(KeyCode k) {
  m_trace("vkscan: 0x%04x\n", static_cast<unsigned>(k));
  // A configured character that the layout could not produce is not sent:
  // it would press every modifier around a key that does not exist.
  if (k == key_code::None) return;
  sendKeyCode(k);
}

void CardDataProcessor::sendKeyCode(KeyCode k) {
  static constexpr struct {
    KeyCode bit;
    std::uint8_t vk;
    const char* trace;
  } kModifiers[] = {
      {key_code::ShiftBit, key_code::VkShift, "shiftstate: SHIFT key is pressed\n"},
      {key_code::CtrlBit, key_code::VkControl, "shiftstate: CTRL key is pressed\n"},
      {key_code::AltBit, key_code::VkMenu, "shiftstate: ALT key is pressed\n"},
  };
  for (const auto& modifier : kModifiers) {
    if (k & modifier.bit) {
      m_trace("%s", modifier.trace);
      pressKey(modifier.vk);
    }
  }
  const auto vk = static_cast<std::uint8_t>(k & 0xFF);
  pressKey(vk);
  releaseKey(vk);
  // Released in the order they were pressed.
  for (const auto& modifier : kModifiers) {
    if (k & modifier.bit) releaseKey(modifier.vk);
  }
}

void CardDataProcessor::pressKey(std::uint8_t vk) {
  m_keyboard.keyEvent(vk, static_cast<std::uint8_t>(m_keyboard.mapVirtualKey(vk)), Keyboard::KeyDown);
}

void CardDataProcessor::releaseKey(std::uint8_t vk) {
  m_keyboard.keyEvent(vk, static_cast<std::uint8_t>(m_keyboard.mapVirtualKey(vk)), Keyboard::KeyUp);
}

}  // namespace tavolin
