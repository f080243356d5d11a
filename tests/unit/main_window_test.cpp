#include "ui/application.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "fakes/fake_system.h"
#include "fakes/manual_host.h"
#include "fakes/memory_registry.h"
#include "fakes/named_params.h"
#include "fakes/recording_keyboard.h"
#include "fakes/recording_services.h"
#include "fakes/scripted_mutex.h"
#include "fakes/simulated_port.h"
#include "resource_ids.h"
#include "ui/attr_com.h"
#include "ui/attr_data.h"
#include "ui/attr_pfix.h"
#include "ui/sheet_driver.h"

namespace tavolin {
namespace {

using testing::ManualHost;

// The recording keyboard, safe to wait on while the reading thread types.
class TypingKeyboard : public Keyboard {
 public:
  KeyCode vkKeyScan(char c) override { return m_keys.vkKeyScan(c); }
  std::uint32_t mapVirtualKey(std::uint32_t vk) override { return m_keys.mapVirtualKey(vk); }
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_keys.keyEvent(vk, scan, flags);
    }
    m_changed.notify_all();
  }
  // What was typed once at least count key events arrived.
  std::string typed(std::size_t count) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_keys.events.size() >= count; });
    return m_keys.typed();
  }
  std::size_t events() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_keys.events.size();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  testing::RecordingKeyboard m_keys;
};

// A running sheet whose pages show in views kept in memory.
class MemorySheet {
 public:
  explicit MemorySheet(AttrSheet& sheet) : m_driver(sheet) {}
  MemoryDialogView& show(std::size_t index) {
    if (!m_views[index]) m_views[index] = std::make_unique<MemoryDialogView>();
    m_driver.show(index, *m_views[index]);
    return *m_views[index];
  }

 private:
  SheetDriver m_driver;
  std::unique_ptr<MemoryDialogView> m_views[3];
};

class MainWindow : public ::testing::Test {
 protected:
  static constexpr char kAppData[] = "C:\\Users\\maria\\AppData";
  static constexpr char kTracePath[] = "C:\\Users\\maria\\AppData\\TavolinTrace.txt";

  MainWindow() {
    system.environment["APPDATA"] = kAppData;
    system.addFile(kTracePath);
    mutex.creation.created = true;
    set("Ravlink protocol", "no");
  }
  ~MainWindow() override { app.reset(); }

  void set(const std::string& name, const std::string& value) {
    registry.program()[name] = {RegistryKey::REG_SZ_TYPE, value};
  }
  std::string stored(const std::string& name) { return registry.program()[name].data; }

  CKelvaneDlg& start(const std::string& commandLine = "", bool german = false) {
    app = std::make_unique<Application>(PlatformSeams{trace, system, ports, sound, registry, eventLog, mutex}, keyboard,
                                        host, german, commandLine);
    dlg = &app->window();
    if (dlg->startupDecision().exitCode != 0) return *dlg;
    host.timerTarget = [this](std::uint32_t id) { app->onTimer(id); };
    app->start(view);
    return *dlg;
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
  TypingKeyboard keyboard;
  ManualHost host;
  MemoryDialogView view;
  std::unique_ptr<Application> app;
  CKelvaneDlg* dlg = nullptr;  // the application's main window
};

TEST_F(MainWindow, StartsReadingInTheOrderOfItsStartUp) {
  start();
  expectTraceOrder({"Elvor Tavolin Version 2.10.00\n", "--> KONFIGURATIONSDUMP Start <--\n",
                    "\n--> Konfiguration COM-Schnittstelle:\n", "Ravlink protocol: 'no'\n", "--> Konfiguration Kartendaten:\n",
                    "Total reader data length noch anlegen\n", "--> Konfiguration zusätzliche Zeichen:\n",
                    "Prefix characters noch anlegen\n", "--> KONFIGURATIONSDUMP Ende <--\n\n",
                    "OnInitDialog(): SetTimer() ok\n", "Info: UAC ist disabled.\n",
                    "User ist Admin. (Die Registry darf trotzdem nicht beschrieben werden.)\n",
                    "--> Auswertung der KONFIGURATION:\n", "CheckFilter()", "CheckAddChars()", "CheckCardAttr()",
                    "OnButtonStart() Start\n",
                    "OnButtonStart(): try new ReaderSession on '\\\\.\\COM2', mit Lesung der Länge 14 Bytes\n",
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

TEST_F(MainWindow, ControlStatesFollowReadingAndTestMode) {
  struct State {
    bool start, stop, testOn, testOff, display;
  };
  const auto expect = [&](const State& s, const char* when) {
    EXPECT_EQ(enabled(IDC_MAIN_START), s.start) << when;
    EXPECT_EQ(enabled(IDC_MAIN_STOP), s.stop) << when;
    EXPECT_EQ(enabled(IDC_MAIN_TEST_ON), s.testOn) << when;
    EXPECT_EQ(enabled(IDC_MAIN_TEST_OFF), s.testOff) << when;
    EXPECT_EQ(enabled(IDC_MAIN_PART1), s.display) << when;
    EXPECT_EQ(enabled(IDC_MAIN_TEST_GROUP), s.display) << when;
  };
  start();
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is active");
  expect({false, true, true, false, false}, "active");
  dlg->onCommand(IDC_MAIN_TEST_ON, Notification::Clicked);
  expect({false, true, false, true, true}, "test on");
  dlg->onCommand(IDC_MAIN_STOP, Notification::Clicked);
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is not active");
  EXPECT_EQ(view.focus(), IDC_MAIN_START);
  expect({true, false, false, false, false}, "stopped");
  dlg->onCommand(IDC_MAIN_START, Notification::Clicked);
  expect({false, true, true, false, false}, "restarted");
  EXPECT_EQ(text(IDC_MAIN_COUNT), "0");

  // Hide ends test mode, which must not offer test mode without a session;
  // a session started after it types, and the display says so.
  dlg->onCommand(IDC_MAIN_STOP, Notification::Clicked);
  dlg->onCommand(IDC_MAIN_HIDE, Notification::Clicked);
  dlg->onCommand(IDC_MAIN_HIDE, Notification::Clicked);
  expect({true, false, false, false, false}, "stopped, hidden and shown");
  dlg->onCommand(IDC_MAIN_TEST_ON, Notification::Clicked);
  expect({true, false, false, false, false}, "test on without a session");
  dlg->onCommand(IDC_MAIN_START, Notification::Clicked);
  expect({false, true, true, false, false}, "restarted after hide");
  read("12345678901234", 1);
  EXPECT_EQ(keyboard.typed(28), "12345678901234");
}

TEST_F(MainWindow, TypesReadingsAndShowsThemInTestMode) {
  set("Postfix characters", "<CR>");
  start();
  read("12345678901234", 1);
  EXPECT_EQ(keyboard.typed(30), "12345678901234<CR>");
  EXPECT_EQ(text(IDC_MAIN_COUNT), "1");

  dlg->OnButtonTestOn();
  read("ABCDEFGHIJKLMN", 4);
  EXPECT_EQ(keyboard.events(), 30u) << "test mode types nothing";
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
  const char* part1;
  const char* len1;
  const char* part2;
  const char* len2;
  const char* notice;
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
  EXPECT_EQ(text(IDC_MAIN_FILTER_NOTICE), c.notice);
  dlg->takeReading(c.reading.data(), static_cast<std::int32_t>(c.reading.size()), false);
  EXPECT_EQ(keyboard.typed(0), std::string(c.part1) + c.part2);
}

const char kFilterNotice[] = "Attention: filter function in use.";

INSTANTIATE_TEST_SUITE_P(
    Cases, TestDisplay,
    ::testing::Values(
        DisplayCase{"FirstPartOnly", {{"Read stop position", "8"}}, "12345678", "12345678", "8", "", "0", ""},
        DisplayCase{"ShorterThanFirstPart", {{"Read stop position", "8"}}, "12345", "12345", "5", "", "0", ""},
        DisplayCase{"TwoParts",
                    {{"Read stop position", "4"}, {"2. Read start position", "7"}, {"2. Read stop position", "9"}},
                    "123456789",
                    "1234",
                    "4",
                    "789",
                    "3",
                    ""},
        DisplayCase{"EndsBeforeSecondPart",
                    {{"Read stop position", "4"}, {"2. Read start position", "7"}, {"2. Read stop position", "9"}},
                    "12345",
                    "1234",
                    "4",
                    "",
                    "0",
                    ""},
        DisplayCase{"PaddingRemoved",
                    {{"Read stop position", "6"}, {"Padding character used", "yes"}, {"Padding character", "46"}},
                    "12FFFF",
                    "12",
                    "2",
                    "",
                    "0",
                    kFilterNotice},
        DisplayCase{"HexToDecimal",
                    {{"Read stop position", "2"}, {"Conversion", "HEXA2DEC"}, {"Decimal n-digit (right aligned)", "4"}},
                    "FF",
                    "0255",
                    "4",
                    "",
                    "0",
                    kFilterNotice},
        DisplayCase{"PaddingAndHexToDecimalInTwoParts",
                    {{"Read stop position", "4"}, {"2. Read start position", "7"}, {"2. Read stop position", "10"},
                     {"Padding character used", "yes"}, {"Padding character", "46"}, {"Conversion", "HEXA2DEC"},
                     {"Decimal n-digit (right aligned)", "5"}},
                    "1AFF9920FF",
                    "00026",
                    "5",
                    "00032",
                    "5",
                    kFilterNotice},
        DisplayCase{"EmptyReading", {{"Read stop position", "2"}}, "", "", "0", "", "0", ""}),
    testing::NamedParam());

struct WarningCase {
  const char* name;
  bool german;
  std::string text;
  std::int32_t expected;
  std::int32_t received;
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

INSTANTIATE_TEST_SUITE_P(
    Cases, WarningLine,
    ::testing::Values(
        WarningCase{"WithReceived", false, "", 14, 3, "Warning: Reading length of 14 byte expected. Received bytes: 3!"},
        WarningCase{"WithoutReceived", false, "", 14, 0, "Warning: Reading length of 14 byte expected."},
        WarningCase{"Cleared", false, "", 0, 5, ""},
        WarningCase{"GivenText", false, "as it is %s", 14, 3, "as it is %s"},
        WarningCase{"German", true, "", 14, 3, "Warnung: Lesung mit Länge 14 Byte erwartet. Anzahl eingelesene Bytes: 3!"}),
    testing::NamedParam());

TEST_F(MainWindow, GermanBuildShowsGermanTexts) {
  start("", true);
  EXPECT_EQ(text(IDC_MAIN_STATE), "Lesen von COM2 aktiv");
  EXPECT_EQ(text(IDC_MAIN_HIDE), "In den Hintergrund");
  EXPECT_EQ(text(IDC_CANCEL), "Beenden");
  EXPECT_EQ(text(IDC_MAIN_START), "Restart Lesen");
  EXPECT_EQ(text(IDC_MAIN_LEN1_UNIT), "Byte o. Nibbel");
  EXPECT_EQ(view.control(IDC_MAIN_PART1).font, "Courier New 16");
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
  EXPECT_NE(traced().find("OnInitDialog(): Fehler: unplausible Kartendaten (Länge <= 0), kein Thread zum Lesen "
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
                    "OnInitDialog(): OnButtonConf() nötig, da die Voreinstellungen nicht passen\n",
                    "CKelvaneDlg::OnButtonConf() Start.\n"});
  EXPECT_EQ(messages(), std::vector<std::string>{"Process reading from COM2 could not be started. COM port busy."});
  EXPECT_EQ(host.sheetCaptions, std::vector<std::string>{"Elvor Tavolin Settings"});
  EXPECT_FALSE(host.dialogResult);
  EXPECT_EQ(view.focus(), IDC_MAIN_HIDE);
}

class InstallSwitch : public MainWindow, public ::testing::WithParamInterface<const char*> {};

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

TEST_F(MainWindow, SecondInstanceEndsBeforeTheWindowExists) {
  mutex.creation = {true, InstanceMutex::Creation::Error::AlreadyExists, 183, {}};
  start();
  EXPECT_EQ(dlg->startupDecision().exitCode, 1);
  EXPECT_EQ(dlg->startupDecision().message,
            "Elvor Tavolin is already running, therefore this Elvor Tavolin ends.");
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

TEST_F(MainWindow, WatchdogMessageOfTheGermanBuild) {
  start("", true);
  app->abortEvent().set();
  host.advance(3000);
  EXPECT_EQ(messages().back(), "Kommunikationsfehler mit dem Leser an \\\\.\\COM2.\nElvor Tavolin beendet sich.");
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
  EXPECT_EQ(keyboard.events(), 0u);

  dlg->OnTrayActivated(TrayActivation::DoubleClick);
  EXPECT_TRUE(host.visible);
  EXPECT_EQ(host.foregrounds, 1);
  dlg->onCommand(IDC_MAIN_HIDE, Notification::Clicked);
  EXPECT_FALSE(host.visible);
  EXPECT_TRUE(enabled(IDC_MAIN_TEST_ON));
  read("12345678901234", 1);
  EXPECT_EQ(keyboard.typed(28), "12345678901234");
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
  host.menuChoice = {MenuChoice::Outcome::Chosen, 0};
  dlg->OnTrayActivated(TrayActivation::ContextMenu);
  host.menuChoice = {MenuChoice::Outcome::Chosen, ID_TRAY_ABOUT};
  dlg->OnTrayActivated(TrayActivation::ContextMenu);
  host.menuChoice = {MenuChoice::Outcome::Chosen, ID_TRAY_HELP};
  dlg->OnTrayActivated(TrayActivation::ContextMenu);
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

TEST_F(MainWindow, CancelledSheetChangesNothing) {
  start();
  host.onSheet = [](AttrSheet& sheet) {
    MemorySheet driver(sheet);
    driver.show(0);
    driver.show(1);
    return false;
  };
  const std::size_t stops = traceCount("OnButtonStop() start\n");
  dlg->OnButtonConf();
  EXPECT_EQ(traceCount("OnButtonStop() start\n"), stops);
  EXPECT_TRUE(dlg->readingActive());
}

TEST_F(MainWindow, ChangedAdditionalCharactersRestartReading) {
  start();
  host.onSheet = [this](AttrSheet& sheet) {
    MemorySheet driver(sheet);
    MemoryDialogView& page = driver.show(2);
    page.setItemText(IDC_PFIX_POSTFIX, "<TAB>");
    sheet.pages()[2]->onCommand(IDC_PFIX_POSTFIX, Notification::EditChange);
    sheet.pages()[2]->onCommand(IDC_PFIX_SELECTION_COMPLETE, Notification::Clicked);
    return true;
  };
  dlg->OnButtonConf();
  expectTraceOrder({"CKelvaneDlg::OnButtonConf() Start.\n", "OnButtonStop() start\n", "zusätzliche Zeichen geändert\n",
                    "OnButtonStart() Start\n", "OnButtonStart(): new ReaderSession done\n"});
  EXPECT_EQ(stored("Postfix characters"), "<TAB>");
  EXPECT_EQ(stored("Prefix characters"), "none");
  EXPECT_TRUE(dlg->readingActive());
  read("12345678901234", 1);
  EXPECT_EQ(keyboard.typed(30), "12345678901234<TAB>");
}

TEST_F(MainWindow, SwitchingTheProtocolRestartsWithTheBusSession) {
  start();
  host.onSheet = [](AttrSheet& sheet) {
    MemorySheet driver(sheet);
    MemoryDialogView& com = driver.show(0);
    com.checkItem(IDC_COM_RAVLINK, true);
    sheet.pages()[0]->onCommand(IDC_COM_RAVLINK, Notification::Clicked);
    return true;
  };
  dlg->OnButtonConf();
  EXPECT_EQ(stored("Ravlink protocol"), "yes");
  EXPECT_EQ(stored("Speed"), "19200");
  expectTraceOrder({"Kommunikation geändert\n", "OnButtonStop() start\n", "OnButtonStart() Start\n",
                    "OnButtonStart(): try new RavlinkSession on '\\\\.\\COM2'\n"});
}

TEST_F(MainWindow, BusProtocolHoldsWhenStartStopsOnImplausibleCardData) {
  set("Ravlink protocol", "yes");
  set("Read start position", "5");
  set("Read stop position", "3");
  start();
  bool busBoxChecked = false, byteModeForced = false;
  host.onSheet = [&](AttrSheet& sheet) {
    MemorySheet driver(sheet);
    busBoxChecked = driver.show(0).control(IDC_COM_RAVLINK).checked;
    MemoryDialogView& data = driver.show(1);
    byteModeForced = !data.control(IDC_DATA_FIXED_LENGTH).enabled;
    data.selectString(IDC_DATA_START, "1");
    sheet.pages()[1]->onCommand(IDC_DATA_START, Notification::SelectionChange);
    return true;
  };
  dlg->OnButtonConf();
  EXPECT_TRUE(busBoxChecked);
  EXPECT_TRUE(byteModeForced);
  expectTraceOrder({"Kartendaten geändert\n", "OnButtonStart(): try new RavlinkSession on '\\\\.\\COM2'\n"});
}

TEST_F(MainWindow, ImplausibleCardDataFromTheSheetStopReadingAndAreNotSaved) {
  start();
  host.onSheet = [](AttrSheet& sheet) {
    MemorySheet driver(sheet);
    MemoryDialogView& data = driver.show(1);
    data.selectString(IDC_DATA_START, "9");
    sheet.pages()[1]->onCommand(IDC_DATA_START, Notification::SelectionChange);
    data.selectString(IDC_DATA_STOP, "3");
    sheet.pages()[1]->onCommand(IDC_DATA_STOP, Notification::SelectionChange);
    MemoryDialogView& pfix = driver.show(2);
    pfix.setItemText(IDC_PFIX_PREFIX, "X");
    sheet.pages()[2]->onCommand(IDC_PFIX_PREFIX, Notification::EditChange);
    sheet.pages()[2]->onCommand(IDC_PFIX_SELECTION_COMPLETE, Notification::Clicked);
    return true;
  };
  dlg->OnButtonConf();
  EXPECT_NE(traced().find("OnButtonConf(): Fehler: unplausible Kartendaten (Länge <= 0), Thread zum Lesen "
                          "gestoppt.\nFehler: unplausible Kartendaten (Länge <= 0)\n"),
            std::string::npos);
  EXPECT_EQ(messages().back(), "Reading thread is not started. Check settings of card data.");
  EXPECT_FALSE(dlg->readingActive());
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is not active");
  EXPECT_TRUE(enabled(IDC_MAIN_START));
  EXPECT_EQ(stored("Read start position"), "1");
  EXPECT_EQ(stored("Prefix characters"), "none") << "the additional characters are not looked at";
}

TEST_F(MainWindow, UnsavableSettingsWarnButAreUsed) {
  start();
  registry.failWrite = registry.writes + 1;
  host.onSheet = [](AttrSheet& sheet) {
    MemorySheet driver(sheet);
    MemoryDialogView& com = driver.show(0);
    com.selectString(IDC_COM_PORT, "5");
    sheet.pages()[0]->onCommand(IDC_COM_PORT, Notification::SelectionChange);
    return true;
  };
  dlg->OnButtonConf();
  EXPECT_EQ(messages().back(),
            "Could not modify the registry entries.\nThe modifications will be lost with the next program start.");
  EXPECT_EQ(view.messages().back().icon, MessageIcon::Warning);
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM5 is active");
  EXPECT_EQ(ports.openedPath, "\\\\.\\COM5");
}

}  // namespace
}  // namespace tavolin
