#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tavolin {

class AttrSheet;

// What a window tells its presenter a control did. Clicked and
// SelectionChange come from the user only, never from the presenter's own
// checkItem or selectString; EditChange comes whenever an edit's text
// changed, and a presenter takes it either way.
enum class Notification { Clicked, SelectionChange, EditChange, KillFocus };

enum class MessageIcon { None, Error, Warning, Information };

struct FontSpec {
  const char* face;
  std::int32_t height;  // pixels
  std::int32_t weight;  // 400 normal
};

// One window of the program as its presenter sees it: controls addressed by
// their ids. The presenter writes its state into the controls and reads a
// control only for the user's input, while it handles that control's
// notification. Every call comes from the user-interface thread.
class DialogView {
 public:
  virtual ~DialogView() = default;

  virtual void setCaption(const std::string& text) = 0;
  virtual void setIcon(std::int32_t iconId) = 0;

  virtual void setItemText(std::int32_t id, const std::string& text) = 0;
  virtual std::string getItemText(std::int32_t id) = 0;
  virtual void enableItem(std::int32_t id, bool enable) = 0;
  virtual void checkItem(std::int32_t id, bool check) = 0;
  virtual bool isChecked(std::int32_t id) = 0;
  virtual void setFocus(std::int32_t id) = 0;
  virtual void setFont(std::int32_t id, const FontSpec& font) = 0;

  // Drop-down lists.
  virtual void resetContent(std::int32_t id) = 0;
  virtual void addString(std::int32_t id, const std::string& text) = 0;
  // Selects the item findStringPrefix finds; its index, or -1 with the
  // selection unchanged when no item matches.
  virtual std::int32_t selectString(std::int32_t id, const std::string& text) = 0;
  virtual void setCurSel(std::int32_t id, std::int32_t index) = 0;
  // The text of the selected item; empty when none is selected.
  virtual std::string selectedText(std::int32_t id) = 0;

  // Edits.
  virtual void limitText(std::int32_t id, std::int32_t maxCharacters) = 0;
  // Moves the caret behind the last character and inserts the text there;
  // what does not fit the edit's limit is cut.
  virtual void appendText(std::int32_t id, const std::string& text) = 0;

  // The web browser control.
  virtual void navigate(std::int32_t id, const std::string& address) = 0;

  // A message box with an OK button, owned by this window. Without a
  // caption of its own it shows the application's title.
  virtual void messageBox(const std::string& text, MessageIcon icon, const char* caption = nullptr) = 0;
};

// A dialog's logic: the front-end makes the window of templateId, attaches
// its view, calls OnInitDialog once the controls exist and forwards every
// command of a control.
class DialogPresenter {
 public:
  explicit DialogPresenter(std::int32_t templateId) : m_iTemplateId(templateId) {}
  virtual ~DialogPresenter() = default;
  DialogPresenter(const DialogPresenter&) = delete;
  DialogPresenter& operator=(const DialogPresenter&) = delete;

  std::int32_t templateId() const { return m_iTemplateId; }
  void attach(DialogView& view) { m_pView = &view; }
  bool attached() const { return m_pView != nullptr; }

  virtual bool OnInitDialog() = 0;
  virtual void onCommand(std::int32_t id, Notification notification) = 0;

 protected:
  DialogView& view() { return *m_pView; }

 private:
  std::int32_t m_iTemplateId;
  DialogView* m_pView = nullptr;
};

// The result of the tray's context menu.
struct MenuChoice {
  enum class Outcome {
    Chosen,       // the menu was shown; command says what the user chose
    MenuMissing,  // the menu could not be had
    NoPopUp,      // the menu has no pop-up to show
  };
  Outcome outcome = Outcome::Chosen;
  std::int32_t command = 0;  // 0: dismissed
};

// The open-file dialog: filter pairs of name and pattern, the first one
// preselected; the file must exist.
struct OpenFileRequest {
  const char* filterNames[2];
  const char* filterPatterns[2];
  const char* defaultExtension;
};

// What the main window needs of the window system besides its controls.
class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Runs the task on the user-interface thread later, in the order posted.
  // May be called from any thread; never waits.
  virtual void post(std::function<void()> task) = 0;

  // Starts a periodic timer whose ticks reach the main window's OnTimer;
  // the timer's id, or 0 when it cannot be started.
  virtual std::uint32_t setTimer(std::uint32_t id, std::uint32_t periodMs) = 0;
  virtual void killTimer(std::uint32_t id) = 0;

  virtual void showWindow(bool show) = 0;
  virtual bool isWindowVisible() = 0;
  virtual void setForegroundWindow() = 0;

  // The icon in the notification area; true when it was added or removed.
  virtual bool addTrayIcon(std::int32_t iconId, const std::string& tip) = 0;
  virtual bool removeTrayIcon() = 0;
  // Shows the first pop-up of the menu at the cursor, its first item the
  // default, and returns the chosen command.
  virtual MenuChoice trackPopupMenu(std::int32_t menuId) = 0;

  virtual void beginWaitCursor() = 0;
  virtual void restoreCursor() = 0;

  // Modal runs; they return when the dialog has ended.
  virtual void runModal(DialogPresenter& dialog) = 0;
  // True when the sheet ended with OK.
  virtual bool runPropertySheet(AttrSheet& sheet) = 0;
  // The full path of the chosen file; nothing when cancelled.
  virtual std::optional<std::string> openFileDialog(const OpenFileRequest& request) = 0;

  // Ends the main window's modal run, and so the program, with the result.
  virtual void endDialog(std::int32_t result) = 0;
  // Ends the process at once.
  virtual void exitProcess(std::int32_t code) = 0;
};

}  // namespace tavolin
