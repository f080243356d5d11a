#pragma once

#include <linux/input.h>

#include <memory>
#include <string>

#include "platform/linux/key_translator.h"
#include "platform/linux/xkb_layout.h"
#include "processing/keyboard.h"

struct _XDisplay;

namespace tavolin {

// What the Linux keyboards share: the layout model answers vkKeyScan and
// mapVirtualKey, the translator turns key events into real keys.
class LayoutKeyboard : public Keyboard, protected KeySink {
 public:
  KeyCode vkKeyScan(char c) override { return m_layout ? m_layout->vkKeyScan(c) : key_code::None; }
  std::uint32_t mapVirtualKey(std::uint32_t vk) override { return m_layout ? m_layout->keyOf(vk) : 0; }
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
    if (m_layout) m_translator.keyEvent(*m_layout, vk, scan, flags);
  }

 protected:
  std::unique_ptr<XkbLayout> m_layout;

 private:
  KeyTranslator m_translator{*this};
};

// Keys through the XTEST extension of the X server, on the server's
// current layout.
class XTestKeyboard : public LayoutKeyboard {
 public:
  // Nothing, with the reason, when no X display with XTEST is reachable.
  static std::unique_ptr<XTestKeyboard> open(std::string& problem);
  ~XTestKeyboard() override;

  void refreshLayout() override;

 private:
  explicit XTestKeyboard(_XDisplay* display) : m_display(display) {}
  void key(std::uint32_t evdevCode, bool press) override;

  _XDisplay* m_display;
};

// The two input events of a key: the key and the report that ends it.
void encodeKey(std::uint16_t code, bool press, input_event (&events)[2]);

// Writes the input events of a virtual keyboard.
class UinputChannel {
 public:
  virtual ~UinputChannel() = default;
  virtual bool writeKey(std::uint16_t code, bool press) = 0;
};

// Keys through a virtual keyboard device of the kernel (/dev/uinput), on
// the system's keyboard configuration: for Wayland sessions and machines
// without X.
class UinputKeyboard : public LayoutKeyboard {
 public:
  static constexpr char deviceName[] = "Tavolin virtual keyboard";

  // Nothing, with the reason and how to grant access, when /dev/uinput
  // cannot be opened.
  static std::unique_ptr<UinputKeyboard> open(std::string& problem, const std::string& device = "/dev/uinput");
  UinputKeyboard(std::unique_ptr<UinputChannel> channel, std::unique_ptr<XkbLayout> layout);

  // The layout is made again only when the configuration changed.
  void refreshLayout() override;

 private:
  void key(std::uint32_t evdevCode, bool press) override { m_channel->writeKey(static_cast<std::uint16_t>(evdevCode), press); }

  std::unique_ptr<UinputChannel> m_channel;
  XkbLayout::Names m_names;
};

// A keyboard that types nothing: the program still reads and shows
// readings when no keyboard can be had.
class NoKeyboard : public LayoutKeyboard {
 public:
  NoKeyboard();
  bool sendsKeys() const override { return false; }

 private:
  void key(std::uint32_t, bool) override {}
};

}  // namespace tavolin
