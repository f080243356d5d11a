#include "ui/application.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"
#include "fakes/manual_host.h"
#include "fakes/memory_registry.h"
#include "fakes/named_params.h"
#include "fakes/recording_keyboard.h"
#include "fakes/recording_services.h"
#include "fakes/scripted_mutex.h"
#include "fakes/simulated_port.h"
#include "fakes/strict_dialog_view.h"
#include "resource_ids.h"
#include "ui/sheet_driver.h"

namespace tavolin {
namespace {

using testing::ManualHost;

class MainWindow : public ::testing::Test {
 protected:
  static constexpr char kTracePath[] = "C:\\Users\\maria\\AppData\\TavolinTrace.txt";

  MainWindow() {
    system.environment["APPDATA"] = "C:\\Users\\maria\\AppData";
    system.addFile(kTracePath);
    mutex.creation.created = true;
    set("Ravlink protocol", "no");
  }
  ~MainWindow() override { app.reset(); }

  void set(const std::string& name, const std::string& value) {
    registry.program()[name] = {RegistryKey::REG_SZ_TYPE, value};
  }
  std::string stored(const std::string& name) { return registry.program()[name].data; }

  void start(const std::string& commandLine = "", bool german = false) {
    app = std::make_unique<Application>(PlatformSeams{trace, system, ports, sound, registry, eventLog, mutex}, keyboard,
                                        host, german, commandLine);
    dlg = &app->window();
    if (dlg->startupDecision().exitCode != 0) return;
    host.timerTarget = [this](std::uint32_t id) { app->onTimer(id); };
    app->start(view);
  }

  // The user opens the settings, makes the changes, showing a page when
  // the next change is on another, and closes the sheet with OK or Cancel.
  void editSheet(const std::vector<testing::PageInput>& changes, bool ok = true) {
    host.onSheet = [this, changes, ok](AttrSheet& sheet) {
      SheetDriver driver(sheet);
      std::size_t shown = sheet.pages().size();
      for (const testing::PageInput& c : changes) {
        if (c.page != shown) driver.show(shown = c.page, pageViews[c.page]);
        if (c.input.id != 0) pageViews[c.page].act(*sheet.pages()[c.page], c.input);
      }
      return ok;
    };
    dlg->OnButtonConf();
  }

  std::string traced() const { return system.content(kTracePath); }
  // The lines occur in the trace in this order.
  void expectTraceOrder(const std::vector<std::string>& lines) const {
    const std::string text = traced();
    std::size_t at = 0;
    for (const std::string& line : lines) {
      const std::size_t found = text.find(line, at);
      ASSERT_NE(found, std::string::npos) << "missing after position " << at << ": " << line;
      at = found + line.size();
    }
  }
  std::size_t traceCount(const std::string& line) const {
    const std::string text = traced();
    std::size_t count = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++count;
    return count;
  }
  const std::string& text(std::int32_t id) { return view.control(id).text; }
  bool enabled(std::int32_t id) { return view.control(id).enabled; }
  std::vector<std::string> messages() const {
    std::vector<std::string> texts;
    for (const auto& m : view.messages()) texts.push_back(m.text);
    return texts;
  }
  // Delivers a burst and waits until the window has shown all it posts
  // for it (the count, and in test mode the reading and its length).
  void read(const std::string& burst, std::size_t posts) {
    const std::size_t before = host.postCount();
    ports.port.deliver(burst);
    ASSERT_TRUE(host.waitForPosts(before + posts));
    host.runPosted();
  }

  testing::FakeSystem system;
  testing::SimulatedPorts ports;
  testing::RecordingSound sound;
  testing::RecordingEventLog eventLog;
  Trace trace;
  testing::MemoryRegistry registry;
  testing::ScriptedMutex mutex;
  testing::RecordingKeyboard keyboard;
  ManualHost host;
  MemoryDialogView view;
  testing::StrictDialogView pageViews[3];  // the settings pages'
  std::unique_ptr<Application> app;
  CKelvaneDlg* dlg = nullptr;  // the application's main window
};

TEST_F(MainWindow, StartsReadingInTheOrderOfItsStartUp) {
  start();
  expectTraceOrder({"Elvor Tavolin Version 2.10.00\n", "--> KONFIGURATIONSDUMP Start <--\n",
                    "\n--> Konfiguration COM-Schnittstelle:\n", "Ravlink protocol: 'no'\n", "--> Konfiguration Kartendaten:\n",
                    "Total reader data length noch anlegen\n", "--> Konfiguration zus\xe4tzliche Zeichen:\n",
                    "Prefix characters noch anlegen\n", "--> KONFIGURATIONSDUMP Ende <--\n\n",
                    "OnInitDialog(): SetTimer() ok\n", "Info: UAC ist disabled.\n",
                    "User ist Admin. (Die Registry darf trotzdem nicht beschrieben werden.)\n",
                    "--> Auswertung der KONFIGURATION:\n", "CheckFilter()", "CheckAddChars()", "CheckCardAttr()",
                    "OnButtonStart() Start\n",
                    "OnButtonStart(): try new ReaderSession on '\\\\.\\COM2', mit Lesung der L\xe4nge 14 Bytes\n",
                    "OnButtonStart(): new ReaderSession done\n"});
  EXPECT_EQ(traced().find("Warnung: es kann nicht"), std::string::npos);
  EXPECT_EQ(view.caption(), "Elvor Tavolin");
  EXPECT_EQ(view.icon(), IDI_TAVOLIN);
  EXPECT_EQ(host.trayIcon, IDI_TAVOLIN);
  EXPECT_EQ(host.trayTip, "Elvor Tavolin");
  EXPECT_EQ(host.timers.at(1).period, 1000u);
  EXPECT_EQ(host.timers.at(2).period, 3000u);
  EXPECT_EQ(view.focus(), IDC_MAIN_HIDE);
  EXPECT_EQ(host.waitCursors, 0);
  EXPECT_EQ(eventLog.entries(),
            (std::vector<std::string>{"8 information: Elvor Tavolin|Version 2.10.00|\\\\.\\COM2|active sending type, "
                                      "no further information available",
                                      "3 information: Elvor Tavolin|Version 2.10.00|maria|\\\\.\\COM2"}));
  EXPECT_TRUE(messages().empty());
  host.runPosted();
  EXPECT_EQ(text(IDC_MAIN_READER_INFO), "Reader type: active sending");
}

// Test on and off are offered only while a session reads.
TEST_F(MainWindow, ControlStatesFollowReadingAndTestMode) {
  const auto expect = [&](const char* states, const char* when) {  // start, stop, test on, test off, display
    const std::int32_t ids[] = {IDC_MAIN_START, IDC_MAIN_STOP, IDC_MAIN_TEST_ON, IDC_MAIN_TEST_OFF, IDC_MAIN_PART1};
    std::string seen;
    for (std::int32_t id : ids) seen += enabled(id) ? '+' : '-';
    EXPECT_EQ(seen, states) << when;
    EXPECT_EQ(enabled(IDC_MAIN_TEST_GROUP), enabled(IDC_MAIN_PART1)) << when;
  };
  start();
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is active");
  expect("-++--", "active");
  dlg->onCommand(IDC_MAIN_TEST_ON, Notification::Clicked);
  expect("-+-++", "test on");
  dlg->onCommand(IDC_MAIN_STOP, Notification::Clicked);
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is not active");
  EXPECT_EQ(view.focus(), IDC_MAIN_START);
  expect("+----", "stopped");
  dlg->onCommand(IDC_MAIN_START, Notification::Clicked);
  expect("-++--", "restarted");
  EXPECT_EQ(text(IDC_MAIN_COUNT), "0");

  // Hide ends test mode, which must not offer test mode without a session;
  // a session started after it types, and the display says so.
  dlg->onCommand(IDC_MAIN_STOP, Notification::Clicked);
  dlg->onCommand(IDC_MAIN_HIDE, Notification::Clicked);
  dlg->onCommand(IDC_MAIN_HIDE, Notification::Clicked);
  expect("+----", "stopped, hidden and shown");
  dlg->onCommand(IDC_MAIN_TEST_ON, Notification::Clicked);
  expect("+----", "test on without a session");
  dlg->onCommand(IDC_MAIN_START, Notification::Clicked);
  expect("-++--", "restarted after hide");
  read("12345678901234", 1);
  EXPECT_EQ(keyboard.typedAfter(28), "12345678901234");
}

TEST_F(MainWindow, TypesReadingsAndShowsThemInTestMode) {
  set("Postfix characters", "<CR>");
  start();
  read("12345678901234", 1);
  EXPECT_EQ(keyboard.typedAfter(30), "12345678901234<CR>");
  EXPECT_EQ(text(IDC_MAIN_COUNT), "1");

  dlg->OnButtonTestOn();
  read("ABCDEFGHIJKLMN", 4);
  EXPECT_EQ(keyboard.eventCount(), 30u) << "test mode types nothing";
  EXPECT_EQ(text(IDC_MAIN_PART1), "ABCDEFGHIJKLMN");
  EXPECT_EQ(text(IDC_MAIN_LEN1), "14");
  EXPECT_EQ(text(IDC_MAIN_TOTAL), "14");
  EXPECT_EQ(text(IDC_MAIN_COUNT), "2");

  // A short burst warns; one of the expected length clears the warning.
  read("123", 4);  // warning, count, reading, total length
  EXPECT_EQ(text(IDC_MAIN_WARNING), "Warning: Reading length of 14 byte expected. Received bytes: 3!");
  read("12345678901234", 4);
  EXPECT_EQ(text(IDC_MAIN_WARNING), "");
}

TEST_F(MainWindow, UpdatesPostedBeforeAStopDoNotOutliveIt) {
  start();
  host.runPosted();
  dlg->ShowCounter(DisplayReadingCount, 7);
  dlg->ShowMessage(DisplayReaderInfo, "late", 0, 0);
  dlg->OnButtonStop();
  host.runPosted();
  EXPECT_EQ(text(IDC_MAIN_COUNT), "0");
  EXPECT_EQ(text(IDC_MAIN_READER_INFO), "");
  dlg->OnButtonStart();
  dlg->ShowCounter(DisplayReadingCount, 1);
  host.runPosted();
  EXPECT_EQ(text(IDC_MAIN_COUNT), "1");
}

struct DisplayCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> settings;
  std::string reading;
  const char *part1, *len1, *part2, *len2;
  bool filterNotice;
};

class TestDisplay : public MainWindow, public ::testing::WithParamInterface<DisplayCase> {};

// The test display shows exactly the parts that typing types.
TEST_P(TestDisplay, ShowsThePartsThatAreTyped) {
  const DisplayCase& c = GetParam();
  set("Fixed length", "no");
  for (const auto& [name, value] : c.settings) set(name, value);
  start();
  dlg->OnButtonTestOn();
  host.runPosted();
  dlg->ShowReading(DisplayReading, c.reading.data(), static_cast<std::int32_t>(c.reading.size()));
  host.runPosted();
  EXPECT_EQ(text(IDC_MAIN_PART1), c.part1);
  EXPECT_EQ(text(IDC_MAIN_LEN1), c.len1);
  EXPECT_EQ(text(IDC_MAIN_PART2), c.part2);
  EXPECT_EQ(text(IDC_MAIN_LEN2), c.len2);
  EXPECT_EQ(text(IDC_MAIN_FILTER_NOTICE), c.filterNotice ? "Attention: filter function in use." : "");
  dlg->takeReading(c.reading.data(), static_cast<std::int32_t>(c.reading.size()), false);
  EXPECT_EQ(keyboard.typed(), std::string(c.part1) + c.part2);
}

const std::pair<const char*, const char*> kStop4{"Read stop position", "4"}, kStart2{"2. Read start position", "7"},
    kPadding{"Padding character used", "yes"}, kPadF{"Padding character", "46"}, kHex{"Conversion", "HEXA2DEC"},
    kStop2nd9{"2. Read stop position", "9"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, TestDisplay, ::testing::Values(
    DisplayCase{"FirstPartOnly", {{"Read stop position", "8"}}, "12345678", "12345678", "8", "", "0", false},
    DisplayCase{"ShorterThanFirstPart", {{"Read stop position", "8"}}, "12345", "12345", "5", "", "0", false},
    DisplayCase{"TwoParts", {kStop4, kStart2, kStop2nd9}, "123456789", "1234", "4", "789", "3", false},
    DisplayCase{"EndsBeforeSecondPart", {kStop4, kStart2, kStop2nd9}, "12345", "1234", "4", "", "0", false},
    DisplayCase{"PaddingRemoved", {{"Read stop position", "6"}, kPadding, kPadF}, "12FFFF", "12", "2", "", "0", true},
    DisplayCase{"HexToDecimal", {{"Read stop position", "2"}, kHex, {"Decimal n-digit (right aligned)", "4"}},
                "FF", "0255", "4", "", "0", true},
    DisplayCase{"PaddingAndHexToDecimalInTwoParts", {kStop4, kStart2, {"2. Read stop position", "10"}, kPadding, kPadF,
                kHex, {"Decimal n-digit (right aligned)", "5"}}, "1AFF9920FF", "00026", "5", "00032", "5", true},
    DisplayCase{"EmptyReading", {{"Read stop position", "2"}}, "", "", "0", "", "0", false}),
    testing::NamedParam());
// clang-format on

struct WarningCase {
  const char* name;
  bool german;
  std::string text;
  std::int32_t expected, received;
  const char* line;
};

class WarningLine : public MainWindow, public ::testing::WithParamInterface<WarningCase> {};

TEST_P(WarningLine, Texts) {
  const WarningCase& c = GetParam();
  start("", c.german);
  dlg->ShowMessage(DisplayLengthWarning, "old", 0, 0);
  dlg->ShowMessage(DisplayLengthWarning, c.text, c.expected, c.received);
  host.runPosted();
  EXPECT_EQ(text(IDC_MAIN_WARNING), c.line);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, WarningLine, ::testing::Values(
    WarningCase{"WithReceived", false, "", 14, 3, "Warning: Reading length of 14 byte expected. Received bytes: 3!"},
    WarningCase{"WithoutReceived", false, "", 14, 0, "Warning: Reading length of 14 byte expected."},
    WarningCase{"Cleared", false, "", 0, 5, ""},
    WarningCase{"GivenText", false, "as it is %s", 14, 3, "as it is %s"},
    WarningCase{"German", true, "", 14, 3, "Warnung: Lesung mit L\xe4nge 14 Byte erwartet. Anzahl eingelesene Bytes: 3!"}),
    testing::NamedParam());
// clang-format on

TEST_F(MainWindow, GermanBuildShowsGermanTexts) {
  start("", true);
  EXPECT_EQ(text(IDC_MAIN_STATE), "Lesen von COM2 aktiv");
  EXPECT_EQ(text(IDC_MAIN_HIDE), "In den Hintergrund");
  EXPECT_EQ(text(IDC_CANCEL), "Beenden");
  EXPECT_EQ(text(IDC_MAIN_START), "Restart Lesen");
  EXPECT_EQ(text(IDC_MAIN_LEN1_UNIT), "Byte o. Nibbel");
  EXPECT_EQ(view.control(IDC_MAIN_PART1).font, "Courier New 16");
  app->abortEvent().set();
  host.advance(3000);
  EXPECT_EQ(messages().back(), "Kommunikationsfehler mit dem Leser an \\\\.\\COM2.\nElvor Tavolin beendet sich.");
}

TEST_F(MainWindow, WithoutAdministratorRightsExitAndSettingsStayDisabled) {
  system.admin = false;
  start();
  EXPECT_FALSE(enabled(IDC_CANCEL));
  EXPECT_FALSE(enabled(IDC_MAIN_CONF));
  EXPECT_TRUE(enabled(IDC_MAIN_HIDE));
  EXPECT_TRUE(enabled(IDC_MAIN_STOP));
  EXPECT_NE(traced().find("User ist KEIN Admin.\n"), std::string::npos);
  dlg->onCommand(IDC_CANCEL, Notification::Clicked);  // Escape
  dlg->onCommand(IDC_MAIN_CONF, Notification::Clicked);
  EXPECT_FALSE(host.dialogResult);
  EXPECT_TRUE(host.sheetCaptions.empty());
  dlg->OnButtonStop();
  dlg->OnButtonStart();
  EXPECT_FALSE(enabled(IDC_CANCEL)) << "for the whole run";
}

TEST_F(MainWindow, ImplausibleCardDataLeaveTheWindowOpenWithoutReading) {
  set("Read start position", "5");
  set("Read stop position", "3");
  start("-e");
  EXPECT_NE(traced().find("OnInitDialog(): Fehler: unplausible Kartendaten (L\xe4nge <= 0), kein Thread zum Lesen "
                          "gestartet.\n"),
            std::string::npos);
  EXPECT_EQ(messages(), std::vector<std::string>{"Reading thread is not started. Check settings of card data."});
  EXPECT_EQ(view.messages()[0].icon, MessageIcon::Error);
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is not active");
  EXPECT_FALSE(dlg->readingActive());
  EXPECT_TRUE(host.sheetCaptions.empty()) << "install mode is not acted upon";
  EXPECT_FALSE(host.dialogResult);
  EXPECT_EQ(traced().find("installmode"), std::string::npos);

  // Restart reading refuses too, rather than hand a session these values.
  dlg->onCommand(IDC_MAIN_START, Notification::Clicked);
  EXPECT_FALSE(dlg->readingActive());
  EXPECT_EQ(messages().size(), 2u);
  EXPECT_EQ(host.waitCursors, 0);
}

TEST_F(MainWindow, InstallModeWithAFreePortEndsAfterItsMessage) {
  start("-e");
  expectTraceOrder({"OnButtonStart(): new ReaderSession done\n", "OnInitDialog(): installmode\n",
                    "OnInitDialog(): Voreinstellung ok\n", "CKelvaneDlg::OnClose()\n"});
  ASSERT_EQ(view.messages().size(), 1u);
  EXPECT_EQ(view.messages()[0].text,
            "Default settings ok: Thread reading from COM2 is started. Program ends, so the installation can be "
            "finished.");
  EXPECT_EQ(view.messages()[0].caption, "Elvor Tavolin");
  EXPECT_EQ(view.messages()[0].icon, MessageIcon::None);
  EXPECT_EQ(host.dialogResult, 0);
  EXPECT_FALSE(host.trayShown);
  EXPECT_FALSE(dlg->installMode());
}

TEST_F(MainWindow, InstallModeWithABusyPortOpensTheSettings) {
  ports.failure = SerialPorts::Failure::Busy;
  start("-e");
  expectTraceOrder({"ReaderSession Konstruktor failed:  COM port busy.\n", "OnInitDialog(): installmode\n",
                    "OnInitDialog(): OnButtonConf() n\xf6tig, da die Voreinstellungen nicht passen\n",
                    "CKelvaneDlg::OnButtonConf() Start.\n"});
  EXPECT_EQ(messages(), std::vector<std::string>{"Process reading from COM2 could not be started. COM port busy."});
  EXPECT_EQ(host.sheetCaptions, std::vector<std::string>{"Elvor Tavolin Settings"});
  EXPECT_FALSE(host.dialogResult);
  EXPECT_EQ(view.focus(), IDC_MAIN_HIDE);
}

class InstallSwitch : public MainWindow, public ::testing::WithParamInterface<const char*> {};

// Only the exact "-e" is the install switch.
TEST_P(InstallSwitch, OnlyTheExactSwitchCounts) {
  start(GetParam());
  EXPECT_FALSE(host.dialogResult);
  EXPECT_EQ(traced().find("installmode"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Cases, InstallSwitch, ::testing::Values("-E", "-e ", " -e", "/e", "-e -e", ""));

TEST_F(MainWindow, SessionThatCannotStartIsReportedAndLeavesTheWindowUsable) {
  ports.failure = SerialPorts::Failure::NotFound;
  start();
  EXPECT_NE(traced().find("ReaderSession Konstruktor failed:  COM port not found.\n"), std::string::npos);
  EXPECT_EQ(eventLog.entries(), (std::vector<std::string>{
                                    "7 error: Elvor Tavolin|Version 2.10.00|maria|\\\\.\\COM2:  COM port not found."}));
  EXPECT_EQ(messages(), std::vector<std::string>{"Process reading from COM2 could not be started. COM port not found."});
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is not active");
  EXPECT_TRUE(enabled(IDC_MAIN_START));
  EXPECT_EQ(host.waitCursors, 0);
  ports.failure = SerialPorts::Failure::None;
  dlg->onCommand(IDC_MAIN_START, Notification::Clicked);
  EXPECT_TRUE(dlg->readingActive());
}

// The decision's texts and entries: single_instance_test.
TEST_F(MainWindow, SecondInstanceEndsBeforeTheWindowExists) {
  mutex.creation = {true, InstanceMutex::Creation::Error::AlreadyExists, 183, {}};
  start();
  EXPECT_EQ(dlg->startupDecision().exitCode, 1);
  EXPECT_EQ(eventLog.entries(), (std::vector<std::string>{"5 warning: Elvor Tavolin|Version 2.10.00|maria"}));
  EXPECT_TRUE(traced().empty());
}

TEST_F(MainWindow, HideTimerFiresOnceAndTheWatchdogWatchesEveryThreeSeconds) {
  start();
  host.advance(6500);
  EXPECT_FALSE(host.visible);
  EXPECT_EQ(traceCount("CTrayDlg::OnTimer(): Start 1\n"), 1u);
  EXPECT_EQ(traceCount("CTrayDlg::OnTimer(): Start 2\n"), 2u);
  EXPECT_EQ(traceCount("CTrayDlg::OnTimer() WaitForSingleObject() returned: WAIT_TIMEOUT == kein Abort Event\n"), 2u);
  EXPECT_EQ(host.timers.count(1), 0u);
  EXPECT_FALSE(host.exitCode);
}

TEST_F(MainWindow, FailedReadingThreadEndsTheProgramWithExitCode4) {
  set("COM", "2");
  start();
  host.advance(3000);
  ports.port.fail();
  ASSERT_TRUE(app->abortEvent().waitFor(std::chrono::seconds(5)));
  app->abortEvent().set();  // the wait took it; the watchdog must see it
  host.advance(3000);
  EXPECT_EQ(host.exitCode, 4);
  EXPECT_NE(traced().find("CTrayDlg::OnTimer(): WaitForSingleObject() Abort Event erhalten\n"), std::string::npos);
  EXPECT_EQ(eventLog.entries().back(), "10 error: Elvor Tavolin|Version 2.10.00|\\\\.\\COM2");
  EXPECT_EQ(messages().back(), "Communication error with reader at \\\\.\\COM2.\nElvor Tavolin ends.");
  EXPECT_EQ(view.messages().back().icon, MessageIcon::Error);
  EXPECT_EQ(host.timers.count(2), 0u);
}

TEST_F(MainWindow, WithoutTimersNoFailureIsNoticed) {
  host.timersWork = false;
  start();
  EXPECT_NE(traced().find("OnInitDialog(): SetTimer() faled\n"), std::string::npos);
}

TEST_F(MainWindow, HideButtonEndsTestModeButTheTrayKeepsIt) {
  start();
  dlg->OnButtonTestOn();
  dlg->OnTrayActivated(TrayActivation::DoubleClick);
  EXPECT_FALSE(host.visible);
  EXPECT_TRUE(enabled(IDC_MAIN_TEST_OFF)) << "test mode stays on";
  read("12345678901234", 4);
  EXPECT_EQ(keyboard.eventCount(), 0u);

  dlg->OnTrayActivated(TrayActivation::DoubleClick);
  EXPECT_TRUE(host.visible);
  EXPECT_EQ(host.foregrounds, 1);
  dlg->onCommand(IDC_MAIN_HIDE, Notification::Clicked);
  EXPECT_FALSE(host.visible);
  EXPECT_TRUE(enabled(IDC_MAIN_TEST_ON));
  read("12345678901234", 1);
  EXPECT_EQ(keyboard.typedAfter(28), "12345678901234");
  dlg->onCommand(IDC_MAIN_HIDE, Notification::Clicked);
  EXPECT_TRUE(host.visible);

  dlg->OnTrayHide();
  EXPECT_FALSE(host.visible);
}

TEST_F(MainWindow, TrayMenuCommandsAndTheHelpAndAboutButtons) {
  start();
  dlg->onCommand(IDC_MAIN_HELP, Notification::Clicked);
  dlg->onCommand(IDC_MAIN_INFO, Notification::Clicked);
  host.menuChoice = {MenuChoice::Outcome::Chosen, ID_TRAY_SHOW};
  dlg->OnTrayActivated(TrayActivation::ContextMenu);
  EXPECT_TRUE(host.visible);
  EXPECT_EQ(host.foregrounds, 0);
  host.visible = false;
  dlg->OnTrayActivated(TrayActivation::ContextMenu);
  EXPECT_TRUE(host.visible);
  for (std::int32_t command : {0, ID_TRAY_ABOUT, ID_TRAY_HELP}) {
    host.menuChoice = {MenuChoice::Outcome::Chosen, command};
    dlg->OnTrayActivated(TrayActivation::ContextMenu);
  }
  EXPECT_EQ(host.modalRuns, (std::vector<std::int32_t>{IDD_HTML_HELP, IDD_ABOUT, IDD_ABOUT, IDD_HTML_HELP}));
  EXPECT_EQ(host.menusShown, std::vector<std::int32_t>(5, IDR_TRAY_MENU));
  host.menuChoice = {MenuChoice::Outcome::MenuMissing, 0};
  dlg->OnTrayActivated(TrayActivation::ContextMenu);
  host.menuChoice = {MenuChoice::Outcome::NoPopUp, 0};
  dlg->OnTrayActivated(TrayActivation::ContextMenu);
  expectTraceOrder({"CKelvaneDlg::OnTrayRButtonDown() Start.\n", "CKelvaneDlg::OnTrayRButtonDown() LoadMenu failed.\n",
                    "CKelvaneDlg::OnTrayRButtonDown() Start.\n",
                    "CKelvaneDlg::OnTrayRButtonDown() GetSubMenu failed.\n"});
}

TEST_F(MainWindow, EnterOnlyTracesAndExitOrCloseEndTheDialog) {
  start();
  dlg->onCommand(IDC_OK, Notification::Clicked);
  EXPECT_FALSE(host.dialogResult);
  EXPECT_NE(traced().find("CKelvaneDlg::OnOK()\n"), std::string::npos);
  dlg->onCommand(IDC_CANCEL, Notification::Clicked);
  EXPECT_EQ(host.dialogResult, IDC_CANCEL);
  EXPECT_FALSE(host.trayShown);
  EXPECT_NE(traced().find("CKelvaneDlg::OnCancel()\n"), std::string::npos);
  dlg->OnClose();
  EXPECT_EQ(host.dialogResult, 0);
}

// --- the settings sheet ---

struct SheetCase {
  const char* name;
  bool unsavable;  // the store refuses the first write after the start
  std::vector<testing::PageInput> changes;
  bool ok;
  std::vector<std::pair<const char*, const char*>> stored;  // afterwards
  std::vector<std::string> trace;  // in this order after the sheet opened
  const char* absent;              // not in the trace after the sheet opened, or nullptr
  const char* state;               // the state line afterwards
  const char* message;             // the one message box, or nullptr
  MessageIcon icon;
  const char* typed;  // what a reading types afterwards, or nullptr
};

class Sheet : public MainWindow, public ::testing::WithParamInterface<SheetCase> {};

// What the sheet's OK takes, stores and restarts; what Cancel leaves.
TEST_P(Sheet, ClosingTheSheet) {
  const SheetCase& c = GetParam();
  start();
  if (c.unsavable) registry.failWrite = registry.writes + 1;
  editSheet(c.changes, c.ok);
  for (const auto& [name, value] : c.stored) EXPECT_EQ(stored(name), value) << name;
  std::vector<std::string> lines{"CKelvaneDlg::OnButtonConf() Start.\n"};
  lines.insert(lines.end(), c.trace.begin(), c.trace.end());
  expectTraceOrder(lines);
  if (c.absent) {
    EXPECT_EQ(traced().find(c.absent, traced().find(lines[0])), std::string::npos) << c.absent;
  }
  EXPECT_EQ(text(IDC_MAIN_STATE), c.state);
  EXPECT_EQ(enabled(IDC_MAIN_START), !dlg->readingActive());
  EXPECT_EQ(messages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
  if (c.message) {
    EXPECT_EQ(view.messages().back().icon, c.icon);
  }
  for (const testing::StrictDialogView& page : pageViews) EXPECT_EQ(page.readBacks(), std::vector<std::int32_t>{});
  if (c.typed) {
    read("12345678901234", 1);
    EXPECT_EQ(keyboard.typedAfter(30), c.typed);
  }
}

constexpr Notification kChoose = Notification::SelectionChange, kType = Notification::EditChange;
const char kStop[] = "OnButtonStop() start\n";
const char kStart[] = "OnButtonStart() Start\n";
const char kActive[] = "Reading from COM2 is active";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, Sheet, ::testing::Values(
    SheetCase{"CancelChangesNothing", false, {{0, {IDC_COM_PORT, kChoose, "5"}}, {1, {IDC_DATA_STOP, kChoose, "8"}}},
              false, {{"COM", "2"}, {"Read stop position", "14"}}, {}, "OnButtonStop()", kActive, nullptr, {}, nullptr},
    SheetCase{"AdditionalCharactersRestartReading", false,
              {{2, {IDC_PFIX_POSTFIX, kType, "<TAB>"}}, {2, {IDC_PFIX_SELECTION_COMPLETE}}}, true,
              {{"Postfix characters", "<TAB>"}, {"Prefix characters", "none"}},
              {kStop, "zus\xe4tzliche Zeichen ge\xe4ndert\n", kStart, "OnButtonStart(): new ReaderSession done\n"}, nullptr,
              kActive, nullptr, {}, "12345678901234<TAB>"},
    SheetCase{"ProtocolSwitchRestartsWithTheBusSession", false, {{0, {IDC_COM_RAVLINK}}}, true,
              {{"Ravlink protocol", "yes"}, {"Speed", "19200"}},
              {"Kommunikation ge\xe4ndert\n", kStop, kStart, "OnButtonStart(): try new RavlinkSession on '\\\\.\\COM2'\n"},
              nullptr, "Reading from COM2 is not active",  // the simulated port answers no bus reader
              "Process reading from COM2 could not be started. No Ravlink reader?", MessageIcon::Error, nullptr},
    // The card data are checked before anything is saved; reading stops.
    SheetCase{"ImplausibleCardDataStopReadingAndAreNotSaved", false,
              {{1, {IDC_DATA_START, kChoose, "9"}}, {1, {IDC_DATA_STOP, kChoose, "3"}},
               {2, {IDC_PFIX_PREFIX, kType, "X"}}, {2, {IDC_PFIX_SELECTION_COMPLETE}}}, true,
              {{"Read start position", "1"}, {"Prefix characters", "none"}},
              {"OnButtonConf(): Fehler: unplausible Kartendaten (L\xe4nge <= 0), Thread zum Lesen gestoppt.\n"
               "Fehler: unplausible Kartendaten (L\xe4nge <= 0)\n"}, "zus\xe4tzliche Zeichen ge\xe4ndert",
              "Reading from COM2 is not active", "Reading thread is not started. Check settings of card data.",
              MessageIcon::Error, nullptr},
    SheetCase{"UnsavableSettingsWarnButAreUsed", true, {{0, {IDC_COM_PORT, kChoose, "5"}}}, true, {},
              {"Kommunikation ge\xe4ndert\n", "OnButtonStart(): try new ReaderSession on '\\\\.\\COM5'"}, nullptr,
              "Reading from COM5 is active",
              "Could not modify the registry entries.\nThe modifications will be lost with the next program start.",
              MessageIcon::Warning, nullptr}),
    testing::NamedParam());
// clang-format on

// Start-up takes the bus protocol before implausible card data end it.
TEST_F(MainWindow, BusProtocolHoldsWhenStartStopsOnImplausibleCardData) {
  set("Ravlink protocol", "yes");
  set("Read start position", "5");
  set("Read stop position", "3");
  start();
  editSheet({{0, {}}, {1, {IDC_DATA_START, kChoose, "1"}}});
  EXPECT_TRUE(pageViews[0].control(IDC_COM_RAVLINK).checked);
  EXPECT_FALSE(pageViews[1].control(IDC_DATA_FIXED_LENGTH).enabled) << "byte mode forced";
  expectTraceOrder({"Kartendaten ge\xe4ndert\n", "OnButtonStart(): try new RavlinkSession on '\\\\.\\COM2'\n"});
}

}  // namespace
}  // namespace tavolin
