// tavolin-typetarget: the window the demo's cards are typed into. It opens a
// small X window, takes the keyboard focus and prints "ready"; then every
// line typed into it (up to Return) as "arrived: TEXT", and shows the last
// lines in the window too. Tab and Escape are shown as <TAB> and <ESC>,
// as the settings write them. It ends when its window is closed or on
// SIGTERM.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <deque>
#include <string>

namespace {

constexpr char kTitle[] = "Tavolin demo: the cards arrive here";
constexpr std::size_t kLinesShown = 8;

// A window manager may not have made the window viewable yet when the
// focus is first asked for; that refusal is no reason to end.
int ignoreError(Display*, XErrorEvent*) { return 0; }

// Latin-1, as XLookupString gives it, to UTF-8 for the terminal.
std::string toUtf8(const std::string& latin1) {
  std::string text;
  for (const unsigned char c : latin1) {
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xc0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3f));
    }
  }
  return text;
}

class TargetWindow {
 public:
  explicit TargetWindow(Display* display) : m_display(display) {
    const int screen = DefaultScreen(display);
    m_window = XCreateSimpleWindow(display, RootWindow(display, screen), 20, 20, 440, 200, 1,
                                   BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, m_window, kTitle);
    XClassHint klass{const_cast<char*>("tavolin-typetarget"), const_cast<char*>("TavolinTypetarget")};
    XSetClassHint(display, m_window, &klass);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMHints(display, m_window, &hints);
    m_deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, m_window, &m_deleteWindow, 1);
    XSelectInput(display, m_window, KeyPressMask | ExposureMask);
    m_gc = XCreateGC(display, m_window, 0, nullptr);
    XSetForeground(display, m_gc, BlackPixel(display, screen));
    XMapRaised(display, m_window);
  }
  ~TargetWindow() {
    XFreeGC(m_display, m_gc);
    XDestroyWindow(m_display, m_window);
  }
  TargetWindow(const TargetWindow&) = delete;
  TargetWindow& operator=(const TargetWindow&) = delete;

  // Runs until the window is closed.
  void run() {
    for (XEvent event;;) {
      XNextEvent(m_display, &event);
      if (event.type == Expose && event.xexpose.count == 0) {
        if (!m_focused) takeFocus();
        draw();
      } else if (event.type == KeyPress) {
        onKey(event.xkey);
      } else if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == m_deleteWindow) {
        return;
      }
    }
  }

 private:
  // Without a window manager the focus is set directly; a window manager
  // is asked through _NET_ACTIVE_WINDOW as well, since it may move the
  // focus itself.
  void takeFocus() {
    m_focused = true;
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = m_window;
    request.xclient.message_type = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
    request.xclient.format = 32;
    request.xclient.data.l[0] = 1;  // an application's request
    request.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, DefaultRootWindow(m_display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &request);
    XSetInputFocus(m_display, m_window, RevertToPointerRoot, CurrentTime);
    XSync(m_display, False);
    std::printf("ready\n");
    std::fflush(stdout);
  }

  void onKey(XKeyEvent& key) {
    char buffer[16];
    KeySym keysym = NoSymbol;
    const int length = XLookupString(&key, buffer, sizeof buffer, &keysym, nullptr);
    if (keysym == XK_Return || keysym == XK_KP_Enter) {
      std::printf("arrived: %s\n", toUtf8(m_line).c_str());
      std::fflush(stdout);
      m_lines.push_back(m_line);
      if (m_lines.size() > kLinesShown) m_lines.pop_front();
      m_line.clear();
    } else if (keysym == XK_Tab || keysym == XK_ISO_Left_Tab) {
      m_line += "<TAB>";
    } else if (keysym == XK_Escape) {
      m_line += "<ESC>";
    } else {
      for (int i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c >= 0x20 && c != 0x7f) m_line += static_cast<char>(c);
      }
    }
    draw();
  }

  void draw() {
    XClearWindow(m_display, m_window);
    int y = 20;
    drawLine("Typed cards arrive here:", y);
    for (const std::string& line : m_lines) drawLine(line, y += 18);
    drawLine(m_line + "_", y += 18);
    XFlush(m_display);
  }

  void drawLine(const std::string& text, int y) {
    XDrawString(m_display, m_window, m_gc, 10, y, text.data(), static_cast<int>(text.size()));
  }

  Display* m_display;
  Window m_window;
  GC m_gc;
  Atom m_deleteWindow;
  bool m_focused = false;
  std::deque<std::string> m_lines;
  std::string m_line;
};

}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "tavolin-typetarget: no X display\n");
    return 1;
  }
  XSetErrorHandler(ignoreError);
  {
    TargetWindow window(display);
    window.run();
  }
  XCloseDisplay(display);
  return 0;
}
