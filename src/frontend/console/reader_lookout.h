#pragma once

#include <cstdint>
#include <string>

#include "frontend/console/console_host.h"
#include "readers/serial_port.h"
#include "ui/kelvane_dlg.h"

namespace tavolin {

// A reader whose device is not there when the console edition starts (a
// USB adapter that comes late at boot, or is plugged in again) is looked
// for every few seconds, and read once it comes. No person may be there to
// press Restart: the console edition runs as the system's service. It says
// so once when it starts to wait and once when the device has come.
class ReaderLookout {
 public:
  static constexpr std::uint32_t kTimer = 100;  // beside the main window's timers
  static constexpr std::uint32_t kPeriodMs = 2000;

  ReaderLookout(CKelvaneDlg& window, const SerialPorts& ports, ConsoleHost& host, ConsoleOutput& output)
      : m_window(window), m_ports(ports), m_host(host), m_output(output) {}

  // After the start: waits when reading did not start for want of the device.
  void begin();
  void onTimer();

 private:
  CKelvaneDlg& m_window;
  const SerialPorts& m_ports;
  ConsoleHost& m_host;
  ConsoleOutput& m_output;
  std::string m_sDevice;
};

}  // namespace tavolin
