// tavolin-console: the whole program on a terminal. The main window runs
// over a text view: the reading state, the reader, the count of readings,
// warnings and (in test mode) each reading are printed as lines; message
// boxes go to standard error.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "frontend/console/console_commands.h"
#include "frontend/console/console_host.h"
#include "frontend/console/console_settings.h"
#include "frontend/console/console_signals.h"
#include "frontend/console/echoing_keyboard.h"
#include "frontend/console/reader_lookout.h"
#include "platform/platform.h"
#include "processing/us_layout_keyboard.h"
#include "resource_ids.h"
#include "ui/application.h"

namespace {

constexpr int kUsageError = 2;
// Of its own: 1 to 4 are the program's start-up and reader failures.
constexpr int kInstallCheckFailed = 5;

void printUsage(std::FILE* out) {
  std::fputs(
      "Usage: tavolin-console [--german] [--keyboard=native|print] [--test]\n"
      "       tavolin-console -e\n"
      "       tavolin-console --show-settings\n"
      "       tavolin-console --set \"NAME=VALUE\"\n"
      "       tavolin-console --version\n"
      "Reads cards from the reader configured in the settings and types them into\n"
      "the focused window, as the windowed Tavolin does.\n"
      "  --german           German texts\n"
      "  --keyboard=native  type into the focused window (default in a desktop session)\n"
      "  --keyboard=print   print each key event as \"down|up 0xVK 0xSCAN\" (US layout) instead\n"
      "                     (default without a desktop: no DISPLAY or WAYLAND_DISPLAY on Linux)\n"
      "  --test             start in test mode: readings are shown, not typed\n"
      "  -e                 installation check: start reading once, report, and end\n"
      "                     (exit code 0 when reading started, 5 when it did not)\n"
      "  --show-settings    print the settings and end\n"
      "  --set NAME=VALUE   check and save a setting, e.g. --set \"COM=3\"; with several, each is\n"
      "                     checked first and all are saved, or none\n"
      "While it runs it takes the commands stop, start, test on, test off, exit and help on\n"
      "standard input, one a line. Ends on exit, Ctrl-C or SIGTERM like the Exit button.\n"
      "Exit codes:\n"
      "  0  ended normally (exit, Ctrl-C, SIGTERM, SIGHUP); -e: reading started; --set: saved\n"
      "  1  another Tavolin runs, or the single-instance lock failed\n"
      "  2  a wrong command line, or the single-instance lock could not be taken\n"
      "  3  the start-up could not create its abort event\n"
      "  4  the reader failed while reading\n"
      "  5  -e: reading did not start\n"
      "  6  --set: a value the setting does not allow; nothing was changed\n"
      "  7  --set: the settings cannot be written\n",
      out);
}

struct Options {
  enum class Keyboard { Default, Native, Print };
  bool installMode = false;
  bool german = false;
  bool test = false;
  bool showSettings = false;
  std::vector<std::string> assignments;
  Keyboard keyboard = Keyboard::Default;
};

// false after a usage error, which is reported.
bool parse(tavolin::System& system, int argc, char** argv, Options& options) {
  if (argc == 2 && system.fromCommandLine(argv[1]) == tavolin::CKelvaneDlg::installModeSwitch) {
    options.installMode = true;
    return true;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string arg = system.fromCommandLine(argv[i]);
    if (arg == "--german") {
      options.german = true;
    } else if (arg == "--test") {
      options.test = true;
    } else if (arg == "--keyboard=native") {
      options.keyboard = Options::Keyboard::Native;
    } else if (arg == "--keyboard=print") {
      options.keyboard = Options::Keyboard::Print;
    } else if (arg == "--show-settings") {
      options.showSettings = true;
    } else if (arg == "--set" && i + 1 < argc) {
      options.assignments.push_back(system.fromCommandLine(argv[++i]));
    } else if (arg.rfind("--set=", 0) == 0) {
      options.assignments.push_back(arg.substr(6));
    } else {
      std::fprintf(stderr, "tavolin-console: %s\n", arg == "-e" ? "-e stands alone" : ("unknown option " + arg).c_str());
      printUsage(stderr);
      return false;
    }
  }
  return true;
}

// Without a desktop there is no focused window to type into: the key
// events are printed unless the system's keyboard is asked for.
std::unique_ptr<tavolin::Keyboard> makeConsoleKeyboard(Options::Keyboard choice, tavolin::ConsoleOutput& output,
                                                       tavolin::TextFile& keyEvents) {
  if (choice == Options::Keyboard::Default && !tavolin::desktopSession()) choice = Options::Keyboard::Print;
  if (choice == Options::Keyboard::Print) return std::make_unique<tavolin::UsLayoutKeyboard>(&keyEvents);
  std::string problem;
  std::unique_ptr<tavolin::Keyboard> keyboard = tavolin::makeKeyboard(problem);
  if (problem.empty()) return keyboard;
  if (choice == Options::Keyboard::Native) {
    output.error("tavolin-console: " + problem +
                 " Readings are read and counted, not typed: each is shown as \"Not typed: ...\".");
    return keyboard;
  }
  output.error("tavolin-console: " + problem + " Printing the key events instead.");
  return std::make_unique<tavolin::UsLayoutKeyboard>(&keyEvents);
}

// Whether another Tavolin holds the single-instance lock now.
bool instanceRunning() {
  const std::unique_ptr<tavolin::InstanceMutex> mutex = tavolin::makeInstanceMutex();
  const tavolin::InstanceMutex::Creation creation = mutex->create(tavolin::kMutexName);
  return creation.error == tavolin::InstanceMutex::Creation::Error::AlreadyExists ||
         creation.error == tavolin::InstanceMutex::Creation::Error::AccessDenied;
}

// A port that cannot be opened while the setting is still the default
// COM2 is most often a reader on a USB adapter that was never configured.
void hintAtThePort(tavolin::System& system, const std::string& com, tavolin::ConsoleOutput& output) {
  if (com != tavolin::defaultSettings(system).com.sCom.text()) return;
  const bool linux = system.pathSeparator() == '/';
  output.error("tavolin-console: the port is still the default COM" + com + "; " +
               (linux ? "for a reader on a USB serial adapter: tavolin-console --set \"COM=/dev/ttyUSB0\""
                      : "name the reader's port, e.g. tavolin-console --set \"COM=3\""));
}

// --set and --show-settings: the settings alone, no reading.
int settingsOptions(tavolin::PlatformServices& platform, const Options& options, tavolin::ConsoleOutput& output) {
  int result = 0;
  if (!options.assignments.empty()) {
    result = tavolin::setSettings(*platform.registry, *platform.system, output, options.assignments, instanceRunning());
  }
  if (options.showSettings) tavolin::showSettings(*platform.registry, *platform.system, output);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  tavolin::PlatformServices platform;
  Options options;
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    printUsage(stdout);
    return 0;
  }
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("%s %s\n", tavolin::kProductCaption, tavolin::kVersionText);
    return 0;
  }
  if (!parse(*platform.system, argc, argv, options)) return kUsageError;
  tavolin::ConsoleOutput output(platform.system->textEncoding());
  if (options.showSettings || !options.assignments.empty()) return settingsOptions(platform, options, output);

  tavolin::ConsoleHost host(output);
  // The reading thread's lines (key events, what a reading typed) are
  // written by the loop, after the count it posted before typing.
  tavolin::LoopOutput readingOutput(host, output.standardOutput());
  const std::unique_ptr<tavolin::Keyboard> systemKeyboard =
      makeConsoleKeyboard(options.keyboard, output, readingOutput);
  tavolin::EchoingKeyboard keyboard(*systemKeyboard, readingOutput);
  tavolin::Application app(platform.seams(), keyboard, host, options.german,
                           options.installMode ? tavolin::CKelvaneDlg::installModeSwitch : "");
  if (const tavolin::StartupDecision& startup = app.startupDecision(); startup.exitCode != 0) {
    output.error(startup.message);
    return startup.exitCode;
  }
  // Ctrl-C and SIGTERM are the Exit button; taken before reading starts
  // its thread, run by the loop once the window is there.
  tavolin::prepareConsole([&host, &app] { host.post([&app] { app.window().OnCancel(); }); });
  tavolin::ConsoleView view(output, tavolin::ConsoleView::Lines::MainWindow);
  app.start(view);

  tavolin::CKelvaneDlg& window = app.window();
  if (!window.readingActive() && !window.ended()) hintAtThePort(*platform.system, window.getComSettings().sCom, output);
  if (options.installMode && !window.ended()) host.exitProcess(kInstallCheckFailed);
  if (options.test && window.readingActive()) window.onCommand(IDC_MAIN_TEST_ON, tavolin::Notification::Clicked);
  tavolin::ReaderLookout lookout(window, *platform.ports, host, output);
  lookout.begin();
  tavolin::ConsoleCommands commands(host, view, output, window);
  commands.start();
  // Like the windowed program, the end of the process ends the reading
  // thread; nothing waits for its next idle period.
  host.exitProcess(tavolin::Application::exitCode(host.run([&app, &lookout](std::uint32_t timer) {
    if (timer == tavolin::ReaderLookout::kTimer) {
      lookout.onTimer();
    } else {
      app.onTimer(timer);
    }
  })));
}
