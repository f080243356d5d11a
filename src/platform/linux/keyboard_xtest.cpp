// Before the X headers, whose macros (None) clash with the program's names.
#include "platform/linux/keyboard_linux.h"

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xlib-xcb.h>
#include <X11/extensions/XTest.h>
#include <xkbcommon/xkbcommon-x11.h>
// clang-format on

namespace tavolin {

namespace {

// The X server's keymap and the layout in force now.
std::unique_ptr<XkbLayout> serverLayout(Display* display) {
  xcb_connection_t* connection = XGetXCBConnection(display);
  if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                   XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
    return nullptr;
  }
  const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  if (!context) return nullptr;
  xkb_keymap* keymap = xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
  std::unique_ptr<XkbLayout> layout;
  if (keymap) {
    xkb_state* state = xkb_x11_state_new_from_device(keymap, connection, device);
    const xkb_layout_index_t group = state ? xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE) : 0;
    if (state) xkb_state_unref(state);
    layout = std::make_unique<XkbLayout>(keymap, group);
    xkb_keymap_unref(keymap);
  }
  xkb_context_unref(context);
  return layout;
}

}  // namespace

std::unique_ptr<XTestKeyboard> XTestKeyboard::open(std::string& problem) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    problem = "no X display can be opened";
    return nullptr;
  }
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
    XCloseDisplay(display);
    problem = "the X display has no XTEST extension";
    return nullptr;
  }
  std::unique_ptr<XTestKeyboard> keyboard(new XTestKeyboard(display));
  keyboard->refreshLayout();
  if (!keyboard->m_layout) {
    problem = "the keyboard layout of the X display cannot be read";
    return nullptr;
  }
  return keyboard;
}

XTestKeyboard::~XTestKeyboard() { XCloseDisplay(m_display); }

void XTestKeyboard::refreshLayout() {
  if (std::unique_ptr<XkbLayout> layout = serverLayout(m_display)) m_layout = std::move(layout);
}

void XTestKeyboard::key(std::uint32_t evdevCode, bool press) {
  XTestFakeKeyEvent(m_display, evdevCode + 8, press ? True : False, CurrentTime);
  XFlush(m_display);
}

}  // namespace tavolin
