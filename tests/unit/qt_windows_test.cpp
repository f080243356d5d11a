// The Linux edition's Qt windows on the offscreen platform: every window
// is built from its description, the user's actions reach the presenter as
// its notifications, the controls behave as those of Windows, and the host
// runs the tray menu, the modal dialogs, the settings sheet and the rest.
// The --hide/--show channel: only this user's program is reached, in a
// folder nobody else may enter, and what a connection may cost is bounded.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "dialog_view_contract.h"
#include "fakes/fake_system.h"
#include "fakes/live_settings.h"
#include "fakes/named_params.h"
#include "fakes/recording_services.h"
#include "fakes/simulated_port.h"
#include "frontend/qt/dialog_window.h"
#include "frontend/qt/end_requests.h"
#include "frontend/qt/help_document.h"
#include "frontend/qt/instance_channel.h"
#include "frontend/qt/qt_images.h"
#include "frontend/qt/qt_text.h"
#include "frontend/qt/qt_window_host.h"
#include "resource_ids.h"
#include "ui/attr_com.h"
#include "ui/attr_data.h"
#include "ui/attr_pfix.h"
#include "ui/attr_sheet.h"

namespace tavolin {
namespace {

using layout::ControlKind;
using layout::ControlLayout;
using layout::DialogLayout;
using Command = std::pair<std::int32_t, Notification>;

const DialogLayout& dialogOf(std::int32_t id) { return *layout::findDialogLayout(id); }

// Once a modal window is up, does what the user would do there. A window
// still open three seconds later (or a message box that came up on the
// way) is closed, as a failure.
void whenModal(std::function<void(QWidget&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 2000));
    QPointer<QWidget> modal = QApplication::activeModalWidget();
    QTimer::singleShot(3000, [modal] {
      while (modal && modal->isVisible() && QApplication::activeModalWidget()) {
        ADD_FAILURE() << QApplication::activeModalWidget()->metaObject()->className() << " stayed open";
        QApplication::activeModalWidget()->close();
      }
    });
    act(*modal);
  });
}

// Every control of each window's description, as its kind makes it, in the
// window; the template's texts (German placeholders in Windows-1252) come
// back as they went in; a framed picture has room for the whole logo.
class EveryDialog : public ::testing::TestWithParam<std::tuple<std::size_t, bool>> {};

TEST_P(EveryDialog, HasEveryControlOfItsDescriptionInItsPlace) {
  const DialogLayout* dialog = &layout::kDialogLayouts[std::get<0>(GetParam())];
  const bool german = std::get<1>(GetParam());
  // clang-format off
  const char* const kClass[] = {"QPushButton", "QPushButton", "QCheckBox", "QRadioButton", "QGroupBox", "QLabel",
                                "QLabel", "QLineEdit", "QComboBox", "QLabel", "QLabel", "QTextBrowser"};
  // clang-format on
  QWidget window;
  QtDialogView view(window, *dialog, german);
  EXPECT_EQ(window.windowTitle(), toQt(german ? dialog->captionGerman : dialog->captionEnglish));
  for (std::size_t i = 0; i < dialog->controlCount; ++i) {
    const ControlLayout& control = dialog->controls[i];
    if (control.id < 0) continue;
    QWidget* widget = view.control(control.id);
    ASSERT_NE(widget, nullptr) << control.id;
    EXPECT_TRUE(widget->inherits(kClass[static_cast<int>(control.kind)])) << control.id;
    EXPECT_TRUE(window.rect().contains(widget->geometry())) << control.id << " lies outside the window";
    const auto* button = qobject_cast<QPushButton*>(widget);
    const auto* edit = qobject_cast<QLineEdit*>(widget);
    const auto* list = qobject_cast<QComboBox*>(widget);
    EXPECT_TRUE(!button || button->isDefault() == (control.kind == ControlKind::DefaultButton)) << control.id;
    EXPECT_TRUE(!edit || edit->isReadOnly() == bool(control.flags & layout::kReadOnly)) << control.id;
    EXPECT_TRUE(!list || !list->isEditable()) << control.id;
    if (control.kind == ControlKind::Picture || control.kind == ControlKind::Icon) {
      EXPECT_FALSE(qobject_cast<QLabel*>(widget)->pixmap().isNull()) << control.id;
    } else if (control.kind != ControlKind::Browser) {
      EXPECT_EQ(view.getItemText(control.id), control.text) << control.id;
    }
  }
  for (const QLabel* picture : window.findChildren<QLabel*>()) {
    if (picture->pixmap().isNull() || picture->frameShape() == QFrame::NoFrame) continue;
    EXPECT_EQ(picture->pixmap().size(), imageResource(IDB_LOGO).size());
  }
  // Where the system lacks Courier New, the desktop's fixed-pitch font.
  if (dialog->id == IDD_ATTR_PFIX) {
    view.setFont(IDC_PFIX_PREFIX, {"Courier New", 16, 400});
    EXPECT_TRUE(QFontInfo(view.control(IDC_PFIX_PREFIX)->font()).fixedPitch());
  }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, EveryDialog,
                         ::testing::Combine(::testing::Range<std::size_t>(0, std::size(layout::kDialogLayouts)),
                                            ::testing::Bool()));

// Each view keeps the views' contract; this one over real widgets, shown.
class QtWindow : public testing::ViewWindow {
 public:
  explicit QtWindow(std::int32_t dialog) : m_window(dialogOf(dialog), false, nullptr) {
    m_window.view().setCommandSink([this](std::int32_t id, Notification n) { heard.emplace_back(id, n); });
    m_window.show();
    m_window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&m_window));
  }
  DialogView& view() override { return m_window.view(); }
  // On the button's box, not beyond its text.
  void click(std::int32_t id) override {
    QWidget* button = m_window.view().control(id);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
  }
  void chooseNext(std::int32_t id) override { QTest::keyClick(m_window.view().control(id), Qt::Key_Down); }
  void type(std::int32_t id, const std::string& text) override {
    QTest::keyClicks(m_window.view().control(id), toQt(text));
  }

 private:
  DialogWindow m_window;
};

using testing::DialogViewContract;
using testing::UserInputContract;

const testing::ViewKind kQtView{"Qt", [](std::int32_t dialog) { return std::make_unique<QtWindow>(dialog); }};
INSTANTIATE_TEST_SUITE_P(Qt, DialogViewContract, ::testing::Values(kQtView), testing::NamedParam());
INSTANTIATE_TEST_SUITE_P(Qt, UserInputContract, ::testing::Values(kQtView), testing::NamedParam());

// What the user does to a window that the contract leaves to the toolkit,
// and what the presenter hears of it.
struct ActionCase {
  const char* name;
  std::int32_t dialog, id;
  void (*act)(QtDialogView&, QWidget&);
  std::vector<Command> expected;
};
void click(QtDialogView&, QWidget& w) { QTest::mouseClick(&w, Qt::LeftButton); }
void clickText(QtDialogView& view, QWidget& w) {  // a check box with its text on the left: the click on the text
  QTest::mouseClick(w.parentWidget()->childAt(w.x() - 10, w.y() + 5), Qt::LeftButton);
  EXPECT_TRUE(view.isChecked(IDC_COM_SIGNALING));
}
void leave(QtDialogView& view, QWidget& w) { w.setFocus(), view.control(IDC_DATA_ASCII_HELP)->setFocus(); }
void escape(QtDialogView&, QWidget& w) { QTest::keyClick(w.window(), Qt::Key_Escape); }
void enter(QtDialogView&, QWidget& w) { w.setFocus(), QTest::keyClick(&w, Qt::Key_Return); }
void closeWindow(QtDialogView&, QWidget& w) { w.window()->close(); }  // the window manager's (title bar, Alt+F4)

class UserActions : public ::testing::TestWithParam<ActionCase> {};

TEST_P(UserActions, ReachThePresenterAsItsNotifications) {
  QtWindow window(GetParam().dialog);
  auto& view = static_cast<QtDialogView&>(window.view());
  GetParam().act(view, *view.control(GetParam().id));
  EXPECT_EQ(window.heard, GetParam().expected);
}

constexpr auto kClicked = Notification::Clicked;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, UserActions, ::testing::Values(
    ActionCase{"CheckBoxText", IDD_ATTR_COM, IDC_COM_SIGNALING, clickText, {{IDC_COM_SIGNALING, kClicked}}},
    ActionCase{"EditLeft", IDD_ATTR_DATA, IDC_DATA_PAD_CHAR, leave, {{IDC_DATA_PAD_CHAR, Notification::KillFocus}}},
    ActionCase{"Escape", IDD_TAVOLIN_DIALOG, IDC_MAIN_HIDE, escape, {{IDC_CANCEL, kClicked}}},
    ActionCase{"MainWindowClosed", IDD_TAVOLIN_DIALOG, IDC_MAIN_HIDE, closeWindow, {{IDC_MAIN_HIDE, kClicked}}},
    ActionCase{"DialogClosed", IDD_HTML_HELP, IDC_OK, closeWindow, {{IDC_CANCEL, kClicked}}},
    ActionCase{"ClickOnTheAboutBox", IDD_ABOUT, IDC_ABOUT_VERSION, click, {{IDC_CANCEL, kClicked}}},
    ActionCase{"ClickOnALabel", IDD_TAVOLIN_DIALOG, IDC_MAIN_COUNT_LABEL, click, {}},
    ActionCase{"EnterWithoutADefaultButton", IDD_TAVOLIN_DIALOG, IDC_MAIN_PART1, enter, {{IDC_OK, kClicked}}},
    ActionCase{"EnterWithOne", IDD_HTML_HELP, IDC_HELP_BROWSER, enter, {{IDC_OK, kClicked}}}),
    testing::NamedParam());
// clang-format on

// The core names the .mht document beside the program; the Linux edition
// shows its .htm form, from the first of the folders that has it.
TEST(HelpDocument, IsTheHtmFormBesideTheProgramInShareOrInTheBuild) {
  QTemporaryDir root;
  for (const char* folder : {"bin", "share/tavolin", "build"}) QDir(root.path()).mkpath(QString::fromLatin1(folder));
  const auto path = [&root](const char* file) { return root.filePath(QString::fromLatin1(file)); };
  const auto found = [&](const char* name) { return helpDocumentPath("file://" + path(name), path("build")); };
  EXPECT_EQ(found("bin/TavoHelp.mht"), QString());
  for (const char* document : {"build/TavoHelp.htm", "share/tavolin/TavoHelp.htm", "bin/TavoHelp.htm"}) {
    QFile(path(document)).open(QIODevice::WriteOnly);
    EXPECT_EQ(found("bin/TavoHelp.mht"), path(document));
  }
  QFile(path("bin/Ascii.htm")).open(QIODevice::WriteOnly);
  EXPECT_EQ(found("bin/Ascii.htm"), path("bin/Ascii.htm"));
  QWidget window;
  QtDialogView view(window, dialogOf(IDD_HTML_HELP), false);
  view.navigate(IDC_HELP_BROWSER, fromQt("file://" + path("bin/TavoHelp.mht")));
  EXPECT_EQ(qobject_cast<QTextBrowser*>(view.control(IDC_HELP_BROWSER))->source().toLocalFile(),
            path("bin/TavoHelp.htm"));
}

class Host : public ::testing::Test {
 protected:
  Trace trace;
  QtWindowHost host{trace, false};
};

// Tasks posted from another thread run in order on the window's thread; a
// timer stopped by its own tick ticks once.
TEST_F(Host, RunsPostedTasksInOrderOnItsThreadAndTicksTimers) {
  std::vector<int> done;
  std::thread([&] {
    for (int i = 0; i < 3; ++i)
      host.post([&, i] { done.push_back(QThread::currentThread() == qApp->thread() ? i : -1); });
  }).join();
  EXPECT_TRUE(QTest::qWaitFor([&] { return done.size() == 3; }, 2000));
  EXPECT_EQ(done, (std::vector<int>{0, 1, 2}));
  host.setTimerTarget([&](std::uint32_t id) { done.push_back(int(id)), host.killTimer(id); });
  EXPECT_EQ(host.setTimer(7, 5), 7u);
  QTest::qWait(100);
  EXPECT_EQ(done, (std::vector<int>{0, 1, 2, 7}));
}

// A double-click and the context menu of the tray icon reach the program;
// its menu, in either language, gives the chosen command (0 when dismissed).
TEST_F(Host, TrayReportsDoubleClickAndContextMenuAndItsMenuGivesTheChosenCommand) {
  std::vector<TrayActivation> seen;
  host.setTrayTarget([&](TrayActivation activation) { seen.push_back(activation); });
  for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick,
                      QSystemTrayIcon::Context}) {
    host.trayActivated(reason);
  }
  EXPECT_EQ(seen, (std::vector<TrayActivation>{TrayActivation::DoubleClick, TrayActivation::ContextMenu}));
  for (const bool german : {false, true}) {
    QtWindowHost languageHost(trace, german);
    QStringList texts;
    QTimer::singleShot(0, [&] {
      ASSERT_TRUE(QTest::qWaitFor([&] { return languageHost.shownMenu() != nullptr; }, 2000));
      QMenu& menu = *languageHost.shownMenu();
      for (const QAction* action : menu.actions()) texts << action->text();
      EXPECT_EQ(menu.defaultAction(), menu.actions().first());
      menu.setActiveAction(menu.actions()[1]);
      QTest::keyClick(&menu, german ? Qt::Key_Return : Qt::Key_Escape);
    });
    const MenuChoice choice = languageHost.trackPopupMenu(IDR_TRAY_MENU);
    EXPECT_TRUE(choice.outcome == MenuChoice::Outcome::Chosen && choice.command == (german ? ID_TRAY_HELP : 0));
    EXPECT_EQ(texts.join('|'), german ? "In den &Vordergrund|&Hilfe|&Info" : "Show|Help|About");
  }
  EXPECT_EQ(host.trackPopupMenu(IDD_ABOUT).outcome, MenuChoice::Outcome::MenuMissing);
}

// Without a notification area hiding minimises the window. The end of the
// session (Qt's Quit, which would only close the windows) ends the program.
TEST_F(Host, WithoutNotificationAreaHidingMinimisesAndTheSessionsEndEnds) {
  QWidget window;
  host.setMainWindow(window);
  EXPECT_FALSE(host.addTrayIcon(IDI_TAVOLIN, kProductCaption)) << "the offscreen platform has no tray";
  host.showWindow(true);
  EXPECT_TRUE(host.isWindowVisible());
  host.showWindow(false);
  EXPECT_TRUE(!host.isWindowVisible() && window.isVisible() && window.isMinimized());
  int ends = 0;
  const EndRequests requests([&ends] { ++ends; });
  QEvent quit(QEvent::Quit);
  QCoreApplication::sendEvent(qApp, &quit);
  EXPECT_EQ(ends, 1);
}

// A modal dialog ends on OK and on Escape, after its presenter has been
// initialised and has seen them.
TEST_F(Host, ModalDialogEndsOnOkAndEscapeAfterThePresenterHasSeenThem) {
  struct Help : DialogPresenter {
    Help() : DialogPresenter(IDD_HTML_HELP) {}
    bool OnInitDialog() override { return ++inits; }
    void onCommand(std::int32_t id, Notification n) override { commands.emplace_back(id, n); }
    int inits = 0;
    std::vector<Command> commands;
  };
  for (const bool escape : {false, true}) {
    Help help;
    whenModal([escape](QWidget& dialog) {
      if (escape) QTest::keyClick(&dialog, Qt::Key_Escape);
      if (!escape) QTest::mouseClick(dialog.findChild<QPushButton*>(), Qt::LeftButton);
    });
    host.runModal(help);
    EXPECT_EQ(help.inits, 1);
    EXPECT_EQ(help.commands, (std::vector<Command>{{escape ? IDC_CANCEL : IDC_OK, kClicked}}));
  }
}

// The real pages over the tabs: each is initialised when its tab is first
// shown, and what the user chooses there reaches it, kept on OK or Cancel.
TEST_F(Host, SheetShowsThePagesInTabsAndEndsWithOkOrCancel) {
  testing::LiveSettings live;
  live.settings = defaultSettings("/opt/tavolin", '/');
  live.settings.com.sRavlinkProtocol = "no";
  testing::FakeSystem system;
  testing::RecordingSound sound;
  testing::SimulatedPorts ports;
  const UiLanguage german;
  QtWindowHost germanHost(trace, true);
  for (const bool ok : {true, false}) {
    AttrCOM com(false, live, german, germanHost, sound, ports);
    AttrData data(live, com, german, germanHost, system, trace);
    AttrPFix pfix(live, data, german);
    AttrSheet sheet("Elvor Tavolin Einstellungen");
    for (PropertyPage* page : std::initializer_list<PropertyPage*>{&com, &data, &pfix}) sheet.AddPage(*page);
    QStringList tabs;
    whenModal([&](QWidget& dialog) {
      EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Elvor Tavolin Einstellungen"));
      auto* tabWidget = dialog.findChild<QTabWidget*>();
      for (int i = 0; i < tabWidget->count(); ++i) tabs << tabWidget->tabText(i);
      EXPECT_TRUE(com.attached() && !data.attached());
      auto* parity = qobject_cast<QComboBox*>(tabWidget->widget(0)->findChildren<QComboBox*>()[3]);
      EXPECT_EQ(parity->currentText(), QStringLiteral("keine"));
      QTest::keyClick(parity, Qt::Key_Down);
      tabWidget->setCurrentIndex(1);
      EXPECT_TRUE(data.attached());
      QTest::keyClick(&dialog, ok ? Qt::Key_Return : Qt::Key_Escape);
    });
    EXPECT_EQ(germanHost.runPropertySheet(sheet), ok);
    EXPECT_EQ(tabs.join('|'),
              QStringLiteral(u"COM-Schnittstelle/ Kommunikationsprotokoll|Kartendaten|Zus\u00e4tzliche Zeichen"));
    EXPECT_TRUE(com.isChanged() && !pfix.isChanged());
    EXPECT_EQ(com.getSettings().sParity, "odd");
  }
}

// The open-file dialog offers the filters, "*.*" as "*", and gives the path.
TEST_F(Host, OpenFileDialogOffersTheFiltersAndGivesTheChosenPath) {
  QTemporaryDir folder;
  const QString file = QDir(folder.path()).filePath(QStringLiteral(u"T\u00f6ne.wav"));
  QFile(file).open(QIODevice::WriteOnly);
  QStringList filters;
  whenModal([&](QWidget& dialog) {
    auto* files = qobject_cast<QFileDialog*>(&dialog);
    ASSERT_NE(files, nullptr);
    filters = files->nameFilters();
    files->selectFile(file);
    static_cast<QDialog*>(files)->accept();
  });
  EXPECT_EQ(host.openFileDialog({{"WAV files (*.wav)", "All files (*.*)"}, {"*.wav", "*.*"}, "wav"}), fromQt(file));
  EXPECT_EQ(filters.join('|'), QStringLiteral("WAV files (*.wav)|All files (*)"));
}

using Request = InstanceChannel::Request;

class InstanceChannelTest : public ::testing::Test {
 protected:
  InstanceChannelTest() { qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit()); }
  ~InstanceChannelTest() override { qunsetenv("XDG_RUNTIME_DIR"); }

  bool listen() {
    return channel.listen([this](Request request) { received.push_back(request); }, problem);
  }
  // The request sent as another program sends it, while this one answers.
  bool sendFromAnother(Request request) {
    const std::size_t before = received.size();
    bool sent = false;
    std::thread other([&] {
      QString otherProblem;
      sent = InstanceChannel::send(request, otherProblem);
    });
    const bool arrived = QTest::qWaitFor([&] { return received.size() > before; }, 3000);
    other.join();
    return sent && arrived;
  }
  bool problemIs(const char* text) { return problem.contains(QLatin1String(text)); }

  QTemporaryDir runtime;
  InstanceChannel channel;
  std::vector<Request> received;
  QString problem;
};

// --hide and --show reach the running program of the same user; without
// one, a request says so.
TEST_F(InstanceChannelTest, CarriesRequestsToTheRunningProgram) {
  EXPECT_FALSE(InstanceChannel::send(Request::Hide, problem));
  EXPECT_EQ(problem, QStringLiteral("no Tavolin of this user runs"));
  EXPECT_TRUE(InstanceChannel::serverName(problem).startsWith(runtime.path()));
  ASSERT_TRUE(listen()) << problem.toStdString();
  EXPECT_TRUE(sendFromAnother(Request::Hide) && sendFromAnother(Request::Show));
  EXPECT_EQ(received, (std::vector<Request>{Request::Hide, Request::Show}));
}

// A folder others may enter, or one of another user, is never used; with
// no runtime folder the socket goes into a private folder of the user's.
TEST_F(InstanceChannelTest, UsesOnlyAFolderOfTheUsersAlone) {
  ::chmod(QFile::encodeName(runtime.path()).constData(), 0705);
  EXPECT_TRUE(!listen() && problemIs("is not a folder of this user's alone")) << problem.toStdString();
  problem.clear();
  EXPECT_TRUE(!InstanceChannel::send(Request::Hide, problem) && problemIs("is not a folder of this user's alone"));
  EXPECT_TRUE(QDir(runtime.path()).isEmpty());

  QTemporaryDir home;
  qunsetenv("XDG_RUNTIME_DIR");
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", home.path().toLocal8Bit());
  EXPECT_EQ(InstanceChannel::serverName(problem), home.path() + QStringLiteral("/.cache/tavolin/tavolin.socket"));
  struct stat info {};
  EXPECT_EQ(::stat(QFile::encodeName(home.path() + "/.cache/tavolin").constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);
  qputenv("HOME", oldHome);
}

// A line longer than any request, a connection that stays silent, and
// more connections than are served at once are all closed; the program
// goes on answering.
TEST_F(InstanceChannelTest, BoundsWhatAConnectionMayCost) {
  ASSERT_TRUE(listen()) << problem.toStdString();
  std::vector<std::unique_ptr<QLocalSocket>> clients(2 + 3 * InstanceChannel::kMaxConnections);
  for (auto& client : clients) {
    client = std::make_unique<QLocalSocket>();
    client->connectToServer(InstanceChannel::serverName(problem));
    client->waitForConnected(1000);
  }
  const auto closed = [&](std::size_t i) { return clients[i]->state() == QLocalSocket::UnconnectedState; };
  clients[0]->write(QByteArray(1 << 20, 'x'));
  EXPECT_TRUE(QTest::qWaitFor([&] { return closed(0); }, 500)) << "flooding";
  EXPECT_FALSE(closed(1)) << "silent, closed at once";
  int most = 0;
  for (int sample = 0; sample < 30; ++sample, QTest::qWait(10)) most = std::max(most, channel.connections());
  EXPECT_TRUE(most > 0 && most <= InstanceChannel::kMaxConnections) << most;
  EXPECT_TRUE(QTest::qWaitFor([&] { return closed(1); }, 2000)) << "silent";
  clients.clear();
  EXPECT_TRUE(QTest::qWaitFor([&] { return channel.connections() == 0; }, 3000));
  EXPECT_TRUE(sendFromAnother(Request::Show));
}

// A socket another user listens on, however it came into the folder, is
// told nothing: the client looks at the other end before it sends.
TEST_F(InstanceChannelTest, ClientSendsOnlyToItsOwnUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to listen as another user";
  sockaddr_un address{AF_UNIX, {}};
  std::strncpy(address.sun_path, QFile::encodeName(InstanceChannel::serverName(problem)).constData(),
               sizeof address.sun_path - 1);
  int listening[2];
  ASSERT_EQ(::pipe(listening), 0);
  const pid_t child = fork();
  if (child == 0) {  // bound here, listening as nobody: its peer is that user; exit code 1: it was told something
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::setgid(65534) != 0 ||
        ::setuid(65534) != 0 || ::listen(server, 1) != 0 || ::write(listening[1], "l", 1) != 1) {
      _exit(3);
    }
    pollfd wait{::accept(server, nullptr, nullptr), POLLIN, 0};
    char byte = 0;
    _exit(::poll(&wait, 1, 3000) == 1 && ::read(wait.fd, &byte, 1) == 1 ? 1 : 0);
  }
  char byte = 0;
  ASSERT_EQ(::read(listening[0], &byte, 1), 1);
  EXPECT_FALSE(InstanceChannel::send(Request::Hide, problem));
  EXPECT_TRUE(problemIs("is held by another user (65534); nothing was sent")) << problem.toStdString();
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other user's program was told something";
}

}  // namespace
}  // namespace tavolin

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
