// tavolin-uidriver: drives the Windows edition's windows the way a user
// does, for the tests under wine. Finds top-level windows by their caption
// and their controls by id (in any child dialog, so property sheet pages
// too), clicks, selects, types into edits, presses Escape, reads texts.
// Every command prints what it read and exits 0 on success, 1 when the
// window or control is not there, 2 on a wrong command line. A visible
// window comes before a hidden one of the same caption. A CAPTION written
// "owned:OWNER" means the visible, enabled window that the window OWNER
// owns: a modal dialog without a caption of its own, as the about box.
//
//   tavolin-uidriver wait CAPTION [MS]           until the window exists
//   tavolin-uidriver shown CAPTION [MS]          until the window exists and is visible
//   tavolin-uidriver gone CAPTION [MS]           until the window is gone
//   tavolin-uidriver visible CAPTION             prints 1 or 0
//   tavolin-uidriver text CAPTION ID             prints the control's text
//   tavolin-uidriver enabled CAPTION ID          prints 1 or 0
//   tavolin-uidriver checked CAPTION ID          prints 1 or 0
//   tavolin-uidriver items CAPTION ID            prints a drop-down list's items, one a line
//   tavolin-uidriver click CAPTION ID            BM_CLICK (buttons, check boxes, radio buttons), posted:
//                                                returns at once, also when the click opens a modal window
//   tavolin-uidriver select CAPTION ID TEXT      selects the item and notifies as a user's choice (posted)
//   tavolin-uidriver settext CAPTION ID TEXT     replaces an edit's text (the edit notifies)
//   tavolin-uidriver dropdown CAPTION ID 1|0     opens or closes a drop-down list (for a picture of it)
//   tavolin-uidriver page CAPTION INDEX          shows that page of a property sheet
//   tavolin-uidriver escape CAPTION              presses Escape in the window
//   tavolin-uidriver close CAPTION               asks the window to close
//   tavolin-uidriver mouseclick CAPTION          a click of the left mouse button in the window's middle
//                                                (the mouse is moved there; the window under it takes it)
//   tavolin-uidriver rect CAPTION                prints the window's screen rectangle: X Y WIDTH HEIGHT
//   tavolin-uidriver trayicon CAPTION            prints 1 when the dialog has its icon in the tray, else 0
//   tavolin-uidriver windows                     lists the windows (class, text, visible), for a look
//   tavolin-uidriver target                      a window "Tavolin typing target" with a focused
//                                                edit (id 100) that keystrokes go to; runs until closed
//   tavolin-uidriver run COMMANDLINE             runs the command line as a deployment tool does
//                                                (CreateProcess, wait) and prints its exit code
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kTargetCaption[] = "Tavolin typing target";
constexpr int kTargetEdit = 100;

// By messages: GetWindowText does not ask a window of another process.
std::string windowText(HWND window) {
  const auto length = static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = static_cast<int>(SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

struct WindowSearch {
  std::string caption;
  HWND owner;
  HWND visible;
  HWND hidden;
};

// A top-level window's caption is read without a message, so a busy
// window does not hold the search up.
std::string windowCaption(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  const bool match = search->owner ? GetWindow(window, GW_OWNER) == search->owner && IsWindowEnabled(window)
                                   : windowCaption(window) == search->caption;
  if (!match) return TRUE;
  if (IsWindowVisible(window)) {
    search->visible = window;
    return FALSE;
  }
  if (!search->hidden) search->hidden = window;
  return TRUE;
}

// The message box of a program whose main window is hidden has the main
// window's caption, so the visible window of a caption counts first.
HWND findWindow(const std::string& caption) {
  constexpr char kOwned[] = "owned:";
  WindowSearch search{caption, nullptr, nullptr, nullptr};
  if (caption.rfind(kOwned, 0) == 0) {
    search.owner = findWindow(caption.substr(sizeof kOwned - 1));
    if (!search.owner) return nullptr;
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.visible;
  }
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.visible ? search.visible : search.hidden;
}

struct ChildSearch {
  HWND window;
  int id;
  HWND found;
};

// Shown in its window, whether the window itself is shown or hidden (the
// main window lives hidden in the tray).
bool shownWithin(HWND child, HWND window) {
  for (HWND w = child; w && w != window; w = GetParent(w)) {
    if (!(GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE)) return false;
  }
  return true;
}

BOOL CALLBACK findChild(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (GetDlgCtrlID(child) == search->id && shownWithin(child, search->window)) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

// The shown control of that id anywhere below the window: the current
// page of a property sheet is a child dialog of the sheet, the others are
// hidden.
HWND findControl(HWND window, int id) {
  ChildSearch search{window, id, nullptr};
  EnumChildWindows(window, findChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

enum class Awaited { Present, Shown, Gone };

int waitFor(const std::string& caption, DWORD timeoutMs, Awaited awaited) {
  const DWORD start = GetTickCount();
  for (;;) {
    const HWND window = findWindow(caption);
    const bool reached = awaited == Awaited::Gone    ? window == nullptr
                         : awaited == Awaited::Shown ? window && IsWindowVisible(window)
                                                     : window != nullptr;
    if (reached) return 0;
    if (GetTickCount() - start > timeoutMs) return 1;
    Sleep(50);
  }
}

// The user's choice of an item: the list changes and tells its dialog, as
// it does when the user picks it (a program's CB_SETCURSEL tells nobody).
// The notice is posted, as a click is.
int selectItem(HWND combo, const std::string& text) {
  const LRESULT index =
      SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR) return 1;
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  return 0;
}

// In the wide form: wine hands a list of another process its items in
// UTF-16 also to CB_GETLBTEXT in the narrow form.
int printItems(HWND combo) {
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
    char text[512] = "";
    WideCharToMultiByte(CP_ACP, 0, item.c_str(), -1, text, sizeof text, nullptr, nullptr);
    std::printf("%s\n", text);
  }
  return 0;
}

// Escape goes to the control with the keyboard focus in the window's
// thread; the dialog manager turns it into the cancel command.
int pressEscape(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = window;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus) target = info.hwndFocus;
  PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(target, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001));
  return 0;
}

// As the user clicks: the system hands the click to whatever window is
// under the mouse there.
int mouseClick(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  if (!SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2)) return 1;
  INPUT clicks[2]{};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(2, clicks, sizeof(INPUT)) == 2 ? 0 : 1;
}

LRESULT CALLBACK targetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 360, 24,
                                  window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTargetEdit)), nullptr, nullptr);
      SetFocus(edit);
      return 0;
    }
    case WM_SETFOCUS:
      SetFocus(GetDlgItem(window, kTargetEdit));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int runTarget() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = targetProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "TavolinTypingTarget";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, kTargetCaption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                400, 90, nullptr, nullptr, windowClass.hInstance, nullptr);
  SetForegroundWindow(window);
  std::printf("ready\n");
  std::fflush(stdout);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

BOOL CALLBACK printWindow(HWND window, LPARAM depth) {
  char name[128] = "";
  GetClassNameA(window, name, sizeof name);
  std::printf("%*s%s \"%s\" %d\n", static_cast<int>(depth) * 2, "", name, windowText(window).c_str(),
              IsWindowVisible(window) ? 1 : 0);
  if (depth == 0) EnumChildWindows(window, printWindow, 1);
  return TRUE;
}

int listWindows() { return EnumWindows(printWindow, 0) ? 0 : 1; }

// Whether the window has its icon (id 0) in the notification area: the
// tray accepts a change only of an icon it holds.
int trayIcon(const std::string& caption) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = FindWindowA("#32770", caption.c_str());
  data.uID = 0;
  data.uFlags = 0;
  const bool present = data.hWnd && Shell_NotifyIconA(NIM_MODIFY, &data);
  std::printf("%d\n", present ? 1 : 0);
  return 0;
}

// A registered command line (QuietUninstallString), run as it stands.
int runCommandLine(const char* commandLine) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "tavolin-uidriver: cannot run %s (%lu)\n", commandLine, GetLastError());
    return 1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return std::printf("exit code: %lu\n", code) < 0;
}

int usage() {
  std::fputs(
      "usage: tavolin-uidriver "
      "wait|shown|gone|visible|text|enabled|checked|items|click|select|settext|dropdown|page|escape|close|mouseclick|rect"
      " CAPTION [ID] [TEXT|MS], or tavolin-uidriver trayicon CAPTION | windows | target | run COMMANDLINE\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  if (command == "target") return runTarget();
  if (command == "windows") return listWindows();
  if (command == "trayicon" && argc > 2) return trayIcon(argv[2]);
  if (command == "run" && argc > 2) return runCommandLine(argv[2]);
  if (argc < 3) return usage();
  const std::string caption = argv[2];
  if (command == "wait" || command == "shown" || command == "gone") {
    const DWORD timeout = argc > 3 ? static_cast<DWORD>(std::atol(argv[3])) : 10000;
    return waitFor(caption, timeout,
                   command == "wait"    ? Awaited::Present
                   : command == "shown" ? Awaited::Shown
                                        : Awaited::Gone);
  }
  HWND window = findWindow(caption);
  if (!window) {
    std::fprintf(stderr, "tavolin-uidriver: no window \"%s\"\n", caption.c_str());
    return 1;
  }
  if (command == "visible") return std::printf("%d\n", IsWindowVisible(window) ? 1 : 0) < 0;
  if (command == "escape") return pressEscape(window);
  if (command == "close") return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
  if (command == "mouseclick") return mouseClick(window);
  if (command == "rect") {
    RECT rect{};
    GetWindowRect(window, &rect);
    return std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top) < 0;
  }
  if (command == "page" && argc > 3) {
    // PSM_SETCURSEL: the sheet changes pages as a click on the tab does.
    return SendMessageA(window, WM_USER + 101, static_cast<WPARAM>(std::atoi(argv[3])), 0) ? 0 : 1;
  }
  if (argc < 4) return usage();
  const int id = std::atoi(argv[3]);
  HWND control = findControl(window, id);
  if (!control) {
    std::fprintf(stderr, "tavolin-uidriver: no control %d in \"%s\"\n", id, caption.c_str());
    return 1;
  }
  if (command == "text") return std::printf("%s\n", windowText(control).c_str()) < 0;
  if (command == "enabled") return std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0) < 0;
  if (command == "checked") return std::printf("%d\n", SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) < 0;
  if (command == "items") return printItems(control);
  // Posted: a click that opens a modal window (the settings sheet, a
  // message box) returns only when that window ends.
  if (command == "click") return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
  if (argc < 5) return usage();
  if (command == "select") return selectItem(control, argv[4]);
  if (command == "dropdown") {
    SendMessageA(control, CB_SHOWDROPDOWN, std::atoi(argv[4]) ? TRUE : FALSE, 0);
    return 0;
  }
  if (command == "settext") return SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 1;
  return usage();
}
