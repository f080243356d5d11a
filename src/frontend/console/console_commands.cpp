#include "frontend/console/console_commands.h"

#include <iostream>
#include <thread>

#include "resource_ids.h"
#include "ui/kelvane_dlg.h"

namespace tavolin {

namespace {

struct Command {
  const char* name;
  std::int32_t button;  // 0: not a button
};

constexpr Command kCommands[] = {
    {"stop", IDC_MAIN_STOP},         {"start", IDC_MAIN_START}, {"test on", IDC_MAIN_TEST_ON},
    {"test off", IDC_MAIN_TEST_OFF}, {"exit", 0},               {"help", 0},
};

std::string trimmed(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

ConsoleCommands::ConsoleCommands(ConsoleHost& host, ConsoleView& view, ConsoleOutput& output, CKelvaneDlg& window)
    : m_host(host), m_view(view), m_output(output), m_window(window) {}

void ConsoleCommands::start() {
  std::thread([this] {
    std::string line;
    while (std::getline(std::cin, line)) {
      m_host.post([this, line] { run(line); });
    }
  }).detach();
}

void ConsoleCommands::run(const std::string& line) {
  const std::string command = trimmed(line);
  if (command.empty()) return;
  for (const Command& c : kCommands) {
    if (command != c.name) continue;
    if (c.button == 0) {
      if (command == "exit") {
        m_window.OnCancel();
      } else {
        m_output.line("Commands: stop, start, test on, test off, exit (or Ctrl-C), help.");
      }
    } else if (!m_view.control(c.button).enabled) {
      m_output.error("\"" + m_view.control(c.button).text + "\" is not available now.");
    } else {
      m_window.onCommand(c.button, Notification::Clicked);
      // The reading state has a line of its own when it changes; while
      // reading, say whether readings are typed, as the window's test
      // display would show it.
      if (m_window.readingActive()) {
        m_output.line(m_view.control(IDC_MAIN_TEST_OFF).enabled ? "Test mode is on: readings are shown, not typed."
                                                                : "Test mode is off: readings are typed.");
      }
    }
    return;
  }
  m_output.error("Unknown command \"" + command + "\"; \"help\" lists the commands.");
}

}  // namespace tavolin
