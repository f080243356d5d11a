#pragma once

#include <cstdint>
#include <string>

#include "services/auto_reset_event.h"
#include "ui/dialog_view.h"
#include "services/event_log.h"
#include "services/trace.h"
#include "text/build_texts.h"

namespace tavolin {

// How the user acted on the icon in the notification area.
enum class TrayActivation {
  DoubleClick,  // shows or hides the window
  ContextMenu,  // asks for the tray's menu
};

// The dialog base of the main window: the icon in the notification area
// and what clicks on it do, the hide timer that sends the window into the
// tray one second after start, and the watchdog that ends the program
// when the reading thread has failed.
class CTrayDlg : public DialogPresenter {
 public:
  static constexpr std::uint32_t HideTimer = 1;
  static constexpr std::uint32_t HidePeriodMs = 1000;
  static constexpr std::uint32_t WatchdogTimer = 2;
  static constexpr std::uint32_t WatchdogPeriodMs = 3000;
  static constexpr std::int32_t WatchdogExitCode = 4;

  struct Services {
    WindowHost& host;
    Trace& trace;
    EventLog& eventLog;
    AutoResetEvent& abortEvent;
    const BuildTexts& texts;
  };

  CTrayDlg(std::int32_t templateId, const Services& services);

  // The user acted on the tray icon; the front-end reports only these two
  // and ignores the other mouse actions there.
  void OnTrayActivated(TrayActivation activation);
  // Another program may ask the window to hide.
  void OnTrayHide();
  void OnTimer(std::uint32_t timerId);
  // The window goes: the icon leaves the tray.
  void OnDestroy();

 protected:
  // Binds the tray icon and starts both timers.
  bool OnInitDialog() override;

  virtual std::int32_t GetTrayIcon() = 0;
  virtual std::string GetTrayTip() = 0;
  virtual void OnTrayLButtonDblClk() = 0;
  virtual void OnTrayRButtonDown() = 0;

  WindowHost& m_host;
  Trace& m_trace;
  EventLog& m_eventLog;
  AutoResetEvent& m_abortEvent;
  const BuildTexts& m_buildTexts;
  // "\\.\COM<n>" (Linux: the device) of the last start of reading, named
  // by the watchdog's report.
  std::string m_sDevicePath;

 private:
  void watchdog();

  bool m_bIconAdded = false;
  std::uint32_t m_uHideTimer = 0;
  std::uint32_t m_uWatchdogTimer = 0;
};

}  // namespace tavolin
