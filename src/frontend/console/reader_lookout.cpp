#include "frontend/console/reader_lookout.h"

#include "resource_ids.h"

namespace tavolin {

void ReaderLookout::begin() {
  if (m_window.readingActive() || m_window.ended()) return;
  m_sDevice = m_ports.devicePath(m_window.getComSettings().sCom);
  // A device that is there but could not be used is no reader to wait
  // for: the message said why.
  if (m_ports.deviceExists(m_sDevice)) return;
  m_output.error("tavolin-console: waiting for the reader's device " + m_sDevice + "; it is looked for every " +
                 std::to_string(kPeriodMs / 1000) + " seconds.");
  m_host.setTimer(kTimer, kPeriodMs);
}

void ReaderLookout::onTimer() {
  // Started by hand in the meantime, or ending.
  if (m_window.readingActive() || m_window.ended()) {
    m_host.killTimer(kTimer);
    return;
  }
  if (!m_ports.deviceExists(m_sDevice)) return;
  m_host.killTimer(kTimer);
  m_output.error("tavolin-console: the reader's device " + m_sDevice + " is there; reading starts.");
  m_window.onCommand(IDC_MAIN_START, Notification::Clicked);
}

}  // namespace tavolin
