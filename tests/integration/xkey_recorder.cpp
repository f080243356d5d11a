// An X client that records the keys it receives: it takes the input focus
// and prints the key symbol of every key press, as the window sees it with
// the modifiers in force, one a line; modifier keys themselves are left
// out. It prints "ready" once it has the focus.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <ctime>
#include <cstdio>

namespace {
volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }
}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "xkey_recorder: no display\n");
    return 1;
  }
  std::signal(SIGTERM, onSignal);
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
  XSelectInput(display, window, KeyPressMask | StructureNotifyMask);
  XMapWindow(display, window);
  for (XEvent event;;) {
    XNextEvent(display, &event);
    if (event.type == MapNotify) break;
  }
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XSync(display, False);
  std::printf("ready\n");
  std::fflush(stdout);
  while (!g_stop) {
    if (!XPending(display)) {
      struct timespec pause = {0, 5000000};
      nanosleep(&pause, nullptr);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != KeyPress) continue;
    KeySym keysym = NoSymbol;
    unsigned int consumed = 0;
    XkbLookupKeySym(display, static_cast<KeyCode>(event.xkey.keycode), event.xkey.state, &consumed, &keysym);
    if (IsModifierKey(keysym) || keysym == XK_ISO_Level3_Shift) continue;
    const char* name = XKeysymToString(keysym);
    std::printf("%s%s\n", event.xkey.state & ControlMask ? "Control+" : "", name ? name : "NoSymbol");
    std::fflush(stdout);
  }
  XCloseDisplay(display);
  return 0;
}
