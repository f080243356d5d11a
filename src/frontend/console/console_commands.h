#pragma once

#include <functional>
#include <string>

#include "frontend/console/console_host.h"

namespace tavolin {

class CKelvaneDlg;

// The buttons of the main window as commands typed on standard input, one
// a line: "stop", "start", "test on", "test off", "exit", "help". A
// command runs on the user-interface thread, and only while its button is
// enabled, as a click would.
class ConsoleCommands {
 public:
  ConsoleCommands(ConsoleHost& host, ConsoleView& view, ConsoleOutput& output, CKelvaneDlg& window);

  // Reads standard input on a thread of its own until its end.
  void start();
  // Runs one command line (user-interface thread).
  void run(const std::string& line);

 private:
  ConsoleHost& m_host;
  ConsoleView& m_view;
  ConsoleOutput& m_output;
  CKelvaneDlg& m_window;
};

}  // namespace tavolin
