#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "services/trace.h"
#include "ui/null_window_host.h"
#include "ui/tray_dlg.h"

class QMenu;
class QTimer;
class QWidget;

namespace tavolin {

// The window system for the main window, on Qt's event loop: tasks posted
// from the reading thread, the timers, the main window shown, hidden and
// brought forward, the tray icon and its menu, the wait cursor, and the
// modal runs of the dialogs and the settings sheet.
//
// Where the desktop has no notification area, a hidden window could not
// be had back: hiding minimises it instead, and the program says so once.
class QtWindowHost final : public QObject, public NullWindowHost {
 public:
  QtWindowHost(Trace& trace, bool germanBuild);
  ~QtWindowHost() override;

  // The main window and where its timer ticks and tray actions go.
  void setMainWindow(QWidget& window) { m_pMainWindow = &window; }
  void setTimerTarget(std::function<void(std::uint32_t)> onTimer) { m_onTimer = std::move(onTimer); }
  void setTrayTarget(std::function<void(TrayActivation)> onTray) { m_onTray = std::move(onTray); }

  // Runs the event loop until the main window ends; its result. When it
  // has ended already (the installation check), at once.
  std::int32_t run();
  bool ended() const { return m_bEnded; }

  // What the icon in the notification area reports; the two actions the
  // program knows go on to the tray target, the others are ignored. A
  // notification area that speaks D-Bus activates an item with one click
  // (its host decides which) and never reports a double-click: there the
  // activation is what the double-click is on Windows and in an XEmbed
  // tray, which reports a single click on the way to each double-click.
  void trayActivated(QSystemTrayIcon::ActivationReason reason);

  void post(std::function<void()> task) override;
  std::uint32_t setTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void killTimer(std::uint32_t id) override;
  void showWindow(bool show) override;
  bool isWindowVisible() override;
  void setForegroundWindow() override;
  bool addTrayIcon(std::int32_t iconId, const std::string& tip) override;
  bool removeTrayIcon() override;
  MenuChoice trackPopupMenu(std::int32_t menuId) override;
  void beginWaitCursor() override;
  void restoreCursor() override;
  void runModal(DialogPresenter& dialog) override;
  bool runPropertySheet(AttrSheet& sheet) override;
  std::optional<std::string> openFileDialog(const OpenFileRequest& request) override;
  void endDialog(std::int32_t result) override;
  void exitProcess(std::int32_t code) override;

  // The tray's menu while it is shown (for the tests).
  QMenu* shownMenu() const { return m_pShownMenu; }

 private:
  bool trayShown() const;

  Trace& m_trace;
  bool m_bGerman;
  QWidget* m_pMainWindow = nullptr;
  std::function<void(std::uint32_t)> m_onTimer;
  std::function<void(TrayActivation)> m_onTray;
  std::map<std::uint32_t, std::unique_ptr<QTimer>> m_timers;
  std::unique_ptr<QSystemTrayIcon> m_pTray;
  QMenu* m_pShownMenu = nullptr;
  bool m_bActivationIsDoubleClick = false;
  bool m_bMinimiseNoticeGiven = false;
  bool m_bEnded = false;
  std::int32_t m_iResult = 0;
};

}  // namespace tavolin
