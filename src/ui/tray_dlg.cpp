#include "ui/tray_dlg.h"

#include <cstdio>

namespace tavolin {

CTrayDlg::CTrayDlg(std::int32_t templateId, const Services& services)
    : DialogPresenter(templateId),
      m_host(services.host),
      m_trace(services.trace),
      m_eventLog(services.eventLog),
      m_abortEvent(services.abortEvent),
      m_buildTexts(services.texts) {}

bool CTrayDlg::OnInitDialog() {
  if (!m_bIconAdded) m_bIconAdded = m_host.addTrayIcon(GetTrayIcon(), GetTrayTip());
  m_uHideTimer = m_host.setTimer(HideTimer, HidePeriodMs);
  m_uWatchdogTimer = m_host.setTimer(WatchdogTimer, WatchdogPeriodMs);
  if (m_uWatchdogTimer != 0) {
    m_trace("OnInitDialog(): SetTimer() ok\n");
  } else {
    m_trace("OnInitDialog(): SetTimer() faled\n");
  }
  return true;
}

void CTrayDlg::OnTrayActivated(TrayActivation activation) {
  switch (activation) {
    case TrayActivation::DoubleClick: OnTrayLButtonDblClk(); break;
    case TrayActivation::ContextMenu: OnTrayRButtonDown(); break;
  }
}

void CTrayDlg::OnTrayHide() { m_host.showWindow(false); }

void CTrayDlg::OnTimer(std::uint32_t timerId) {
  m_trace("CTrayDlg::OnTimer(): Start %d\n", static_cast<int>(timerId));
  if (m_uWatchdogTimer != 0 && timerId == WatchdogTimer) {
    if (m_abortEvent.tryTake()) {
      m_trace("CTrayDlg::OnTimer(): WaitForSingleObject() Abort Event erhalten\n");
      watchdog();
    } else {
      m_trace("CTrayDlg::OnTimer() WaitForSingleObject() returned: WAIT_TIMEOUT == kein Abort Event\n");
    }
  } else if (m_uHideTimer != 0 && timerId == HideTimer) {
    m_host.killTimer(m_uHideTimer);
    m_uHideTimer = 0;
    OnTrayHide();
  }
}

// The reading thread has failed: report it, tell the user, and end the
// program without closing the window first.
void CTrayDlg::watchdog() {
  m_host.killTimer(m_uWatchdogTimer);
  m_uWatchdogTimer = 0;
  if (std::unique_ptr<EventLog::Source> source = m_eventLog.registerSource(kEventSourceName)) {
    source->report(EventLog::Type::Error, event_id::ReadingThreadFailed,
                   {kProductCaption, kVersionText, m_sDevicePath});
  }
  char message[512];
  std::snprintf(message, sizeof message, m_buildTexts.communicationError, m_sDevicePath.c_str(), kProductCaption);
  view().messageBox(message, MessageIcon::Error);
  m_host.exitProcess(WatchdogExitCode);
}

void CTrayDlg::OnDestroy() {
  if (m_bIconAdded && m_host.removeTrayIcon()) m_bIconAdded = false;
}

}  // namespace tavolin
