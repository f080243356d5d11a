// tavolin_en, tavolin_de: the Linux edition's windowed program. The main
// window, its dialogs, the settings sheet and the tray icon in Qt widgets;
// everything they do is the core's. The German build is this file compiled
// with TAVOLIN_GERMAN.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <string>

#include "frontend/qt/dialog_window.h"
#include "frontend/qt/end_requests.h"
#include "frontend/qt/instance_channel.h"
#include "frontend/qt/qt_images.h"
#include "frontend/qt/qt_text.h"
#include "frontend/qt/qt_window_host.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "ui/application.h"

namespace {

#ifdef TAVOLIN_GERMAN
constexpr bool kGerman = true;
constexpr char kProgram[] = "tavolin_de";
#else
constexpr bool kGerman = false;
constexpr char kProgram[] = "tavolin_en";
#endif

void printUsage() {
  std::printf(
      "Usage: %s [-e]\n"
      "       %s --hide | --show\n"
      "       %s --version\n"
      "Reads cards from the reader configured in the settings and types them into\n"
      "the focused window; lives in the notification area.\n"
      "  -e         installation check: start reading, report, and end\n"
      "  --hide     hide the running Tavolin's window (minimise it where the desktop\n"
      "             has no notification area)\n"
      "  --show     show the running Tavolin's window\n"
      "Closing the window puts it away; Exit, the end of the session, SIGTERM,\n"
      "SIGINT and SIGHUP end the program.\n"
      "Exit codes: 0 ended normally; 1 another Tavolin runs (--hide, --show: none\n"
      "answers); 2, 3 other start-up failures; 4 the reader failed.\n",
      kProgram, kProgram, kProgram);
}

// --hide and --show: a request to the running instance of this user.
int sendRequest(int argc, char** argv, tavolin::InstanceChannel::Request request) {
  QCoreApplication core(argc, argv);
  QString problem;
  if (tavolin::InstanceChannel::send(request, problem)) return 0;
  std::fprintf(stderr, "%s: %s\n", kProgram, problem.toLocal8Bit().constData());
  return 1;
}

// Qt's own texts (standard buttons, the file dialog) in the build's
// language.
void translateQt(QTranslator& translator) {
  if (!kGerman) return;
  if (translator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&translator);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string option = argc == 2 ? argv[1] : "";
  if (option == "--version") {
    std::printf("%s %s\n", tavolin::kProductCaption, tavolin::kVersionText);
    return 0;
  }
  if (option == "--help" || option == "-h") {
    printUsage();
    return 0;
  }
  if (option == "--hide") return sendRequest(argc, argv, tavolin::InstanceChannel::Request::Hide);
  if (option == "--show") return sendRequest(argc, argv, tavolin::InstanceChannel::Request::Show);

  QApplication qt(argc, argv);
  // The application's title, which message boxes without a caption of
  // their own show. (Not Qt's display name, which it would add to every
  // window's title.)
  QApplication::setApplicationName(tavolin::toQt(tavolin::kProductCaption));
  QApplication::setWindowIcon(tavolin::programIcon());
  // The program lives in the tray: closing its last dialog ends nothing.
  QApplication::setQuitOnLastWindowClosed(false);
  QTranslator qtTexts;
  translateQt(qtTexts);

  tavolin::PlatformServices platform;
  // Only a command line of exactly "-e" means something; Qt has taken its
  // own options out.
  const std::string commandLine = argc == 2 ? platform.system->fromCommandLine(argv[1]) : std::string();
  std::string problem;
  const std::unique_ptr<tavolin::Keyboard> keyboard = tavolin::makeKeyboard(problem);
  if (!problem.empty()) std::fprintf(stderr, "%s: %s\n", kProgram, tavolin::cp1252ToUtf8(problem).c_str());

  tavolin::QtWindowHost host(platform.trace, kGerman);
  tavolin::Application app(platform.seams(), *keyboard, host, kGerman, commandLine);
  if (const tavolin::StartupDecision& startup = app.startupDecision(); startup.exitCode != 0) {
    std::fprintf(stderr, "%s\n", tavolin::cp1252ToUtf8(startup.message).c_str());
    QMessageBox(QMessageBox::NoIcon, QApplication::applicationName(), tavolin::toQt(startup.message), QMessageBox::Ok)
        .exec();
    return startup.exitCode;
  }

  tavolin::CKelvaneDlg& window = app.window();
  tavolin::DialogWindow mainWindow(*tavolin::layout::findDialogLayout(IDD_TAVOLIN_DIALOG), kGerman, nullptr);
  mainWindow.view().setCommandSink(
      [&window](std::int32_t id, tavolin::Notification notification) { window.onCommand(id, notification); });
  host.setMainWindow(mainWindow);
  host.setTimerTarget([&app](std::uint32_t timer) { app.onTimer(timer); });
  host.setTrayTarget([&window](tavolin::TrayActivation activation) { window.OnTrayActivated(activation); });

  tavolin::InstanceChannel channel;
  QString channelProblem;
  const bool listening = channel.listen(
      [&window, &host](tavolin::InstanceChannel::Request request) {
        if (request == tavolin::InstanceChannel::Request::Hide) {
          window.OnTrayHide();
        } else {
          host.showWindow(true);
          host.setForegroundWindow();
        }
      },
      channelProblem);
  if (!listening) {
    std::fprintf(stderr, "%s: --hide and --show cannot reach this program: %s\n", kProgram,
                 channelProblem.toLocal8Bit().constData());
  }

  // The end of the session and SIGTERM end the program as a close request
  // ends it on Windows.
  const tavolin::EndRequests endRequests([&window] {
    if (!window.ended()) window.OnClose();
  });

  // As a dialog of Windows, the window shows once it is initialised.
  app.start(mainWindow.view());
  if (!host.ended()) mainWindow.show();
  // Like the Windows program, the end of the process ends the reading
  // thread; nothing waits for its next idle period.
  host.exitProcess(tavolin::Application::exitCode(host.run()));
}
