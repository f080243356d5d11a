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

using Setting = std::pair<const char*, const char*>;
using Texts = std::vector<std::string>;
constexpr auto kClicked = Notification::Clicked;
constexpr auto kError = MessageIcon::Error;

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
  void start(const std::string& commandLine = "", bool german = false) {
    app = std::make_unique<Application>(PlatformSeams{trace, system, ports, sound, registry, eventLog, mutex}, keyboard,
                                        host, german, commandLine);
    dlg = &app->window();
    if (dlg->startupDecision().exitCode != 0) return;
    host.timerTarget = [this](std::uint32_t id) { app->onTimer(id); };
    app->start(view);
  }
  void click(std::int32_t id) { dlg->onCommand(id, kClicked); }
  // The user opens the settings, makes the changes (showing a page when the next change is on
  // another) and closes the sheet with OK or Cancel.
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
  bool tracedLine(const std::string& line) const { return traced().find(line) != std::string::npos; }
  // The lines occur in the trace in this order, from position at on.
  void expectTraceOrder(const Texts& lines, std::size_t at = 0) const {
    const std::string text = traced();
    for (const std::string& line : lines) {
      const std::size_t found = text.find(line, at);
      ASSERT_NE(found, std::string::npos) << "missing after position " << at << ": " << line;
      at = found + line.size();
    }
  }
  const std::string& text(std::int32_t id) { return view.control(id).text; }
  bool enabled(std::int32_t id) { return view.control(id).enabled; }
  Texts messages() const { return testing::messageTexts(view); }
  // Delivers a burst and runs what the window posts for it (the count; in test mode also the
  // warning, the reading and its length).
  void read(const std::string& burst, std::size_t posts) {
    const std::size_t before = host.postCount();
    ports.port.deliver(burst);
    ASSERT_TRUE(host.waitForPosts(before + posts));
    host.runPosted();
  }
  std::string typedOnce(const std::string& expected) {
    testing::waitUntil([&] { return keyboard.typed() == expected; });
    return keyboard.typed();
  }

  testing::FakeSystem system;
  testing::SimulatedPorts ports;
  testing::RecordingSound sound;
  testing::RecordingEventLog eventLog;
  Trace trace;
  testing::MemoryRegistry registry;
  testing::ScriptedMutex mutex;
  testing::RecordingKeyboard keyboard;
  testing::ManualHost host;
  MemoryDialogView view;
  testing::StrictDialogView pageViews[3];  // the settings pages'
  std::unique_ptr<Application> app;
  CKelvaneDlg* dlg = nullptr;  // the application's main window
};

const char kStarted[] = "3 information: Elvor Tavolin|Version 2.10.00|maria|\\\\.\\COM2";

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
  EXPECT_FALSE(tracedLine("Warnung: es kann nicht"));
  EXPECT_EQ(view.icon(), IDI_TAVOLIN);
  EXPECT_EQ(view.control(IDC_MAIN_PART1).font, "Courier New 16");
  EXPECT_EQ(testing::placeholdersLeft(view, IDD_TAVOLIN_DIALOG),
            (std::vector<std::int32_t>{IDC_MAIN_HELP, IDC_MAIN_TEST_GROUP}));
  EXPECT_EQ(view.focus(), IDC_MAIN_HIDE);
  EXPECT_EQ(eventLog.entries(), (Texts{"8 information: Elvor Tavolin|Version 2.10.00|\\\\.\\COM2|active sending type, "
                                       "no further information available",
                                       kStarted}));
  host.runPosted();
  EXPECT_EQ(text(IDC_MAIN_READER_INFO), "Reader type: active sending");
}

struct StartCase {
  const char* name;
  const char* commandLine;
  SerialPorts::Failure port;
  bool noLength, traceWritable;
  const char* message;  // the one message box, or nullptr
  MessageIcon icon;
  const char* traceLine;  // in the trace, or with a leading '!' not in it
  const char* lastEntry;  // the event log's last entry
  bool sheet;             // the settings sheet opened
  std::optional<std::int32_t> result;  // the dialog ended with it
};

class StartUp : public MainWindow, public ::testing::WithParamInterface<StartCase> {};

// What a start reports and how it leaves the window; only the install message carries the product
// caption. A start refused for card data of no length makes Restart reading refuse too.
TEST_P(StartUp, EndsOrLeavesTheWindowUsable) {
  const StartCase& c = GetParam();
  ports.failure = c.port;
  if (c.noLength) set("Read start position", "5"), set("Read stop position", "4");
  if (!c.traceWritable) system.readOnly.insert(kTracePath);
  start(c.commandLine);
  ASSERT_EQ(messages(), c.message ? Texts{c.message} : Texts{});
  if (c.message) {
    EXPECT_EQ(view.messages()[0].icon, c.icon);
    EXPECT_EQ(view.messages()[0].caption, c.result == 0 ? "Elvor Tavolin" : "");
  }
  EXPECT_EQ(tracedLine(c.traceLine + (c.traceLine[0] == '!')), c.traceLine[0] != '!') << c.traceLine;
  EXPECT_EQ(eventLog.entries().empty() ? "" : eventLog.entries().back(), c.lastEntry);
  EXPECT_EQ(host.sheetCaptions, c.sheet ? Texts{"Elvor Tavolin Settings"} : Texts{});
  EXPECT_EQ(host.dialogResult, c.result);
  EXPECT_EQ(host.waitCursors, 0);
  if (c.result) {
    EXPECT_FALSE(host.trayShown) << "the tray icon goes with the window";
  } else if (!dlg->readingActive()) {
    EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is not active");
    EXPECT_TRUE(enabled(IDC_MAIN_START));
    ports.failure = SerialPorts::Failure::None;
    click(IDC_MAIN_START);
    EXPECT_EQ(dlg->readingActive(), !c.noLength);
    if (c.noLength) {
      EXPECT_EQ(eventLog.entries().size(), 0u) << "a refused start is no failed session";
    }
  }
}

constexpr auto kFree = SerialPorts::Failure::None, kBusy = SerialPorts::Failure::Busy;
const char kNotStarted[] = "Reading thread is not started. Check settings of card data.";
const char kInstalled[] =
    "Default settings ok: Thread reading from COM2 is started. Program ends, so the installation can be finished.";
const char kConfNeeded[] = "OnInitDialog(): OnButtonConf() n\xf6tig, da die Voreinstellungen nicht passen\n";
const char kNoLengthLine[] =
    "OnInitDialog(): Fehler: unplausible Kartendaten (L\xe4nge <= 0), kein Thread zum Lesen gestartet.\n";
const char kBusyEntry[] = "7 error: Elvor Tavolin|Version 2.10.00|maria|\\\\.\\COM2:  COM port busy.";
const char kNotFoundEntry[] = "7 error: Elvor Tavolin|Version 2.10.00|maria|\\\\.\\COM2:  COM port not found.";
const char kNotFound[] = "Process reading from COM2 could not be started. COM port not found.";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, StartUp, ::testing::Values(
    StartCase{"InstallModeWithAFreePortEnds", "-e", kFree, false, true, kInstalled, MessageIcon::None,
              "OnInitDialog(): Voreinstellung ok\n", kStarted, false, 0},
    StartCase{"InstallModeWithABusyPortOpensTheSettings", "-e", kBusy, false, true,
              "Process reading from COM2 could not be started. COM port busy.", kError, kConfNeeded, kBusyEntry, true, {}},
    StartCase{"CardDataOfNoLengthStartNoReading", "-e", kFree, true, true, kNotStarted, kError, kNoLengthLine, "", false, {}},
    StartCase{"PortNotFound", "", SerialPorts::Failure::NotFound, false, true, kNotFound, kError,
              "ReaderSession Konstruktor failed:  COM port not found.\n", kNotFoundEntry, false, {}},
    StartCase{"TraceThatCannotBeWrittenIsSaid", "", kFree, false, false, "Trace file cannot be written again.",
              MessageIcon::Warning, "!OnButtonStart", kStarted, false, {}},
    StartCase{"OnlyTheExactSwitchIsInstallMode", "-E", kFree, false, true, nullptr, {}, "!installmode", kStarted, false, {}},
    StartCase{"SwitchWithABlankAfter", "-e ", kFree, false, true, nullptr, {}, "!installmode", kStarted, false, {}},
    StartCase{"SwitchWithABlankBefore", " -e", kFree, false, true, nullptr, {}, "!installmode", kStarted, false, {}},
    StartCase{"SlashSwitch", "/e", kFree, false, true, nullptr, {}, "!installmode", kStarted, false, {}},
    StartCase{"SwitchTwice", "-e -e", kFree, false, true, nullptr, {}, "!installmode", kStarted, false, {}}),
    testing::NamedParam());
// clang-format on

// Test on and off only while a session reads; the test display is emptied whenever the state
// changes. Hide ends test mode, the tray's double-click keeps it; test mode shows, never types.
TEST_F(MainWindow, ControlStatesFollowReadingTestModeAndHiding) {
  const auto expect = [&](const char* states, const char* when) {  // start, stop, test on, test off, display
    std::string seen;
    for (std::int32_t id : {IDC_MAIN_START, IDC_MAIN_STOP, IDC_MAIN_TEST_ON, IDC_MAIN_TEST_OFF, IDC_MAIN_PART1}) {
      seen += enabled(id) ? '+' : '-';
    }
    EXPECT_EQ(seen, states) << when;
    EXPECT_EQ(enabled(IDC_MAIN_TEST_GROUP), enabled(IDC_MAIN_PART1)) << when;
    EXPECT_EQ(text(IDC_MAIN_PART1) + text(IDC_MAIN_LEN1) + text(IDC_MAIN_TOTAL), "00") << when;
  };
  set("Postfix characters", "<CR>");
  start();
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is active");
  expect("-++--", "active");
  click(IDC_MAIN_TEST_ON);
  expect("-+-++", "test on");
  dlg->OnTrayActivated(TrayActivation::DoubleClick);
  EXPECT_FALSE(host.visible);
  read("ABCDEFGHIJKLMN", 4);
  EXPECT_EQ(text(IDC_MAIN_PART1) + "|" + text(IDC_MAIN_LEN1) + "|" + text(IDC_MAIN_TOTAL) + "|" + text(IDC_MAIN_COUNT),
            "ABCDEFGHIJKLMN|14|14|1");
  dlg->OnTrayActivated(TrayActivation::DoubleClick);
  EXPECT_TRUE(host.visible);
  EXPECT_EQ(host.foregrounds, 1);
  click(IDC_MAIN_HIDE);
  EXPECT_FALSE(host.visible);
  expect("-++--", "hidden by its button");
  read("12345678901234", 1);
  EXPECT_EQ(typedOnce("12345678901234<CR>"), "12345678901234<CR>") << "only what is read outside test mode";
  EXPECT_EQ(text(IDC_MAIN_COUNT), "2");
  click(IDC_MAIN_HIDE);
  EXPECT_TRUE(host.visible);
  dlg->OnTrayHide();
  EXPECT_FALSE(host.visible);
  click(IDC_MAIN_TEST_ON);
  read("12345678901234", 4);
  click(IDC_MAIN_STOP);
  EXPECT_EQ(text(IDC_MAIN_STATE), "Reading from COM2 is not active");
  EXPECT_EQ(view.focus(), IDC_MAIN_START);
  EXPECT_EQ(text(IDC_MAIN_COUNT), "0");
  expect("+----", "stopped");
  click(IDC_MAIN_TEST_ON);
  expect("+----", "test on without a session");
  click(IDC_MAIN_START);
  expect("-++--", "restarted");
}

TEST_F(MainWindow, UpdatesPostedBeforeAStopDoNotOutliveIt) {
  start();
  host.runPosted();
  dlg->ShowCounter(DisplayReadingCount, 7);
  dlg->ShowMessage(DisplayReaderInfo, "late", 0, 0);
  dlg->OnButtonStop();
  host.runPosted();
  EXPECT_EQ(text(IDC_MAIN_COUNT) + text(IDC_MAIN_READER_INFO), "0");
  dlg->OnButtonStart();
  dlg->ShowCounter(DisplayReadingCount, 1);
  host.runPosted();
  EXPECT_EQ(text(IDC_MAIN_COUNT), "1");
}

struct DisplayCase {
  const char* name;
  std::vector<Setting> settings;
  std::string reading;
  const char* shown;  // part 1|length 1|part 2|length 2
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
  const std::string part1 = text(IDC_MAIN_PART1), part2 = text(IDC_MAIN_PART2);
  EXPECT_EQ(part1 + "|" + text(IDC_MAIN_LEN1) + "|" + part2 + "|" + text(IDC_MAIN_LEN2), c.shown);
  EXPECT_EQ(text(IDC_MAIN_FILTER_NOTICE), c.filterNotice ? "Attention: filter function in use." : "");
  dlg->takeReading(c.reading.data(), static_cast<std::int32_t>(c.reading.size()), false);
  EXPECT_EQ(keyboard.typed(), part1 + part2);
}

const Setting kStop2{"Read stop position", "2"}, kStop4{"Read stop position", "4"}, kStop8{"Read stop position", "8"},
    kStart2{"2. Read start position", "7"}, kStop2nd{"2. Read stop position", "9"}, kPadding{"Padding character used", "yes"},
    kPadF{"Padding character", "46"}, kHex{"Conversion", "HEXA2DEC"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, TestDisplay, ::testing::Values(
    DisplayCase{"FirstPartOnly", {kStop8}, "12345678", "12345678|8||0", false},
    DisplayCase{"ShorterThanFirstPart", {kStop8}, "12345", "12345|5||0", false},
    DisplayCase{"TwoParts", {kStop4, kStart2, kStop2nd}, "123456789", "1234|4|789|3", false},
    DisplayCase{"EndsBeforeSecondPart", {kStop4, kStart2, kStop2nd}, "12345", "1234|4||0", false},
    DisplayCase{"PaddingRemoved", {{"Read stop position", "6"}, kPadding, kPadF}, "12FFFF", "12|2||0", true},
    DisplayCase{"HexToDecimal", {kStop2, kHex, {"Decimal n-digit (right aligned)", "4"}}, "FF", "0255|4||0", true},
    DisplayCase{"PaddingAndHexToDecimalInTwoParts", {kStop4, kStart2, {"2. Read stop position", "10"}, kPadding, kPadF,
                kHex, {"Decimal n-digit (right aligned)", "5"}}, "1AFF9920FF", "00026|5|00032|5", true},
    DisplayCase{"EmptyReading", {kStop2}, "", "|0||0", false}),
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

TEST_F(MainWindow, WithoutAdministratorRightsExitAndSettingsStayDisabled) {
  system.admin = false;
  start();
  EXPECT_TRUE(tracedLine("User ist KEIN Admin.\n"));
  click(IDC_CANCEL);  // Escape
  click(IDC_MAIN_CONF);
  EXPECT_FALSE(host.dialogResult);
  EXPECT_TRUE(host.sheetCaptions.empty());
  dlg->OnButtonStop();
  dlg->OnButtonStart();
  std::string states;  // exit, settings, hide, stop
  for (std::int32_t id : {IDC_CANCEL, IDC_MAIN_CONF, IDC_MAIN_HIDE, IDC_MAIN_STOP}) states += enabled(id) ? '+' : '-';
  EXPECT_EQ(states, "--++");
}

// The decision's texts and entries: single_instance_test.
TEST_F(MainWindow, SecondInstanceEndsBeforeTheWindowExists) {
  mutex.creation = {true, InstanceMutex::Creation::Error::AlreadyExists, 183, {}};
  start();
  EXPECT_EQ(dlg->startupDecision().exitCode, 1);
  EXPECT_EQ(eventLog.entries(), (Texts{"5 warning: Elvor Tavolin|Version 2.10.00|maria"}));
  EXPECT_TRUE(traced().empty());
}

// The hide timer fires once; the watchdog looks every three seconds until it sees the failure of
// the reading thread. Without timers no failure is noticed.
TEST_F(MainWindow, WatchdogEndsTheProgramWithExitCode4WhenReadingFails) {
  start();
  host.advance(6500);
  EXPECT_FALSE(host.visible);
  const auto count = [this](const std::string& line) {
    std::size_t n = 0;
    for (std::size_t at = traced().find(line); at != std::string::npos; at = traced().find(line, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("CTrayDlg::OnTimer(): Start 1\n"), 1u);
  EXPECT_EQ(count("CTrayDlg::OnTimer(): Start 2\n"), 2u);
  EXPECT_EQ(count("CTrayDlg::OnTimer() WaitForSingleObject() returned: WAIT_TIMEOUT == kein Abort Event\n"), 2u);
  EXPECT_FALSE(host.exitCode);
  ports.port.fail();
  ASSERT_TRUE(app->abortEvent().waitFor(std::chrono::seconds(5)));
  app->abortEvent().set();  // the wait took it; the watchdog must see it
  host.advance(3000);
  EXPECT_EQ(host.exitCode, 4);
  EXPECT_TRUE(tracedLine("CTrayDlg::OnTimer(): WaitForSingleObject() Abort Event erhalten\n"));
  EXPECT_EQ(eventLog.entries().back(), "10 error: Elvor Tavolin|Version 2.10.00|\\\\.\\COM2");
  EXPECT_EQ(messages().back(), "Communication error with reader at \\\\.\\COM2.\nElvor Tavolin ends.");
  EXPECT_EQ(view.messages().back().icon, kError);
  EXPECT_TRUE(host.timers.empty());
  app.reset();
  host.timersWork = false;
  start();
  EXPECT_TRUE(tracedLine("OnInitDialog(): SetTimer() faled\n"));
}

// Enter only traces; Exit and Close end the dialog.
TEST_F(MainWindow, TrayMenuButtonsEnterExitAndClose) {
  start();
  click(IDC_MAIN_HELP);
  click(IDC_MAIN_INFO);
  host.menuChoice = {MenuChoice::Outcome::Chosen, ID_TRAY_SHOW};
  host.visible = false;
  dlg->OnTrayActivated(TrayActivation::ContextMenu);
  EXPECT_TRUE(host.visible);
  EXPECT_EQ(host.foregrounds, 0);
  for (std::int32_t command : {0, ID_TRAY_ABOUT, ID_TRAY_HELP}) {
    host.menuChoice = {MenuChoice::Outcome::Chosen, command};
    dlg->OnTrayActivated(TrayActivation::ContextMenu);
  }
  EXPECT_EQ(host.modalRuns, (std::vector<std::int32_t>{IDD_HTML_HELP, IDD_ABOUT, IDD_ABOUT, IDD_HTML_HELP}));
  EXPECT_EQ(host.menusShown, std::vector<std::int32_t>(4, IDR_TRAY_MENU));
  const std::size_t menus = traced().size();
  for (auto outcome : {MenuChoice::Outcome::MenuMissing, MenuChoice::Outcome::NoPopUp}) {
    host.menuChoice = {outcome, 0};
    dlg->OnTrayActivated(TrayActivation::ContextMenu);
  }
  expectTraceOrder({"CKelvaneDlg::OnTrayRButtonDown() Start.\n", "CKelvaneDlg::OnTrayRButtonDown() LoadMenu failed.\n",
                    "CKelvaneDlg::OnTrayRButtonDown() Start.\n", "CKelvaneDlg::OnTrayRButtonDown() GetSubMenu failed.\n"},
                   menus);
  click(IDC_OK);
  EXPECT_FALSE(host.dialogResult);
  EXPECT_TRUE(tracedLine("CKelvaneDlg::OnOK()\n"));
  click(IDC_CANCEL);
  EXPECT_EQ(host.dialogResult, IDC_CANCEL);
  EXPECT_FALSE(host.trayShown);
  EXPECT_TRUE(tracedLine("CKelvaneDlg::OnCancel()\n"));
  dlg->OnClose();
  EXPECT_EQ(host.dialogResult, 0);
}

struct SheetCase {
  const char* name;
  bool unsavable;  // the store refuses the first write after the start
  std::vector<testing::PageInput> changes;
  bool ok;
  std::vector<Setting> stored;  // afterwards
  Texts trace;                  // in this order after the sheet opened
  const char* absent;           // not in the trace after the sheet opened, or nullptr
  const char* state;            // the state line afterwards
  const char* message;          // the one message box, or nullptr
  MessageIcon icon;
  const char* typed;  // what a reading types afterwards, or nullptr
};

class Sheet : public MainWindow, public ::testing::WithParamInterface<SheetCase> {};

// What the sheet's OK takes, stores and restarts; what Cancel leaves. The pages read no control back.
TEST_P(Sheet, ClosingTheSheet) {
  const SheetCase& c = GetParam();
  start();
  if (c.unsavable) registry.failWrite = registry.writes + 1;
  const std::size_t opened = traced().size();
  editSheet(c.changes, c.ok);
  for (const auto& [name, value] : c.stored) EXPECT_EQ(registry.program()[name].data, value) << name;
  expectTraceOrder({"CKelvaneDlg::OnButtonConf() Start.\n"}, opened);
  expectTraceOrder(c.trace, opened);
  EXPECT_EQ(traced().find(c.absent ? c.absent : "\x01", opened), std::string::npos) << c.absent;
  EXPECT_EQ(text(IDC_MAIN_STATE), c.state);
  EXPECT_EQ(enabled(IDC_MAIN_START), !dlg->readingActive());
  EXPECT_EQ(messages(), c.message ? Texts{c.message} : Texts{});
  for (const auto& m : view.messages()) EXPECT_EQ(m.icon, c.icon);
  for (const testing::StrictDialogView& page : pageViews) EXPECT_EQ(page.readBacks(), std::vector<std::int32_t>{});
  if (c.typed) {
    read("12345678901234", 1);
    EXPECT_EQ(typedOnce(c.typed), c.typed);
  }
}

constexpr Notification kChoose = Notification::SelectionChange, kType = Notification::EditChange;
const char kStop[] = "OnButtonStop() start\n", kStart[] = "OnButtonStart() Start\n", kActive[] = "Reading from COM2 is active",
           kInactive[] = "Reading from COM2 is not active", kData[] = "Kartendaten ge\xe4ndert\n",
           kComChanged[] = "Kommunikation ge\xe4ndert\n", kAdd[] = "zus\xe4tzliche Zeichen ge\xe4ndert";
const char kBusStart[] = "OnButtonStart(): try new RavlinkSession on '\\\\.\\COM2'\n";
const char kNoBus[] = "Process reading from COM2 could not be started. No Ravlink reader?";
const char kConfNoLength[] = "OnButtonConf(): Fehler: unplausible Kartendaten (L\xe4nge <= 0), Thread zum Lesen gestoppt.\n"
                             "Fehler: unplausible Kartendaten (L\xe4nge <= 0)\n";
const char kUnsaved[] =
    "Could not modify the registry entries.\nThe modifications will be lost with the next program start.";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, Sheet, ::testing::Values(
    SheetCase{"CancelChangesNothing", false, {{0, {IDC_COM_PORT, kChoose, "5"}}, {1, {IDC_DATA_STOP, kChoose, "8"}}},
              false, {{"COM", "2"}, {"Read stop position", "14"}}, {}, "OnButtonStop()", kActive, nullptr, {}, nullptr},
    SheetCase{"AdditionalCharactersRestartReading", false,
              {{2, {IDC_PFIX_POSTFIX, kType, "<TAB>"}}, {2, {IDC_PFIX_SELECTION_COMPLETE}}}, true,
              {{"Postfix characters", "<TAB>"}, {"Prefix characters", "none"}},
              {kStop, kAdd, kStart, "OnButtonStart(): new ReaderSession done\n"}, nullptr, kActive, nullptr, {},
              "12345678901234<TAB>"},
    // The filter is derived anew: the padding character goes.
    SheetCase{"PaddingTakenAtOnce", false,
              {{1, {IDC_DATA_PAD_USED}}, {1, {IDC_DATA_PAD_CHAR, Notification::KillFocus, "34"}}}, true,
              {{"Padding character used", "yes"}, {"Padding character", "34"}}, {kData, kStart}, nullptr, kActive,
              nullptr, {}, "1234567890123"},
    // The simulated port answers no bus reader.
    SheetCase{"ProtocolSwitchRestartsWithTheBusSession", false, {{0, {IDC_COM_RAVLINK}}}, true,
              {{"Ravlink protocol", "yes"}, {"Speed", "19200"}}, {kComChanged, kStop, kStart, kBusStart}, nullptr,
              kInactive, kNoBus, kError, nullptr},
    // The card data are checked before anything is saved; reading stops.
    SheetCase{"ImplausibleCardDataStopReadingAndAreNotSaved", false,
              {{1, {IDC_DATA_START, kChoose, "9"}}, {1, {IDC_DATA_STOP, kChoose, "3"}},
               {2, {IDC_PFIX_PREFIX, kType, "X"}}, {2, {IDC_PFIX_SELECTION_COMPLETE}}}, true,
              {{"Read start position", "1"}, {"Prefix characters", "none"}}, {kConfNoLength}, kAdd, kInactive,
              kNotStarted, kError, nullptr},
    SheetCase{"UnsavableSettingsWarnButAreUsed", true, {{0, {IDC_COM_PORT, kChoose, "5"}}}, true, {},
              {kComChanged, "OnButtonStart(): try new ReaderSession on '\\\\.\\COM5'"}, nullptr,
              "Reading from COM5 is active", kUnsaved, MessageIcon::Warning, nullptr}),
    testing::NamedParam());
// clang-format on

// Start-up takes the bus protocol before implausible card data end it.
TEST_F(MainWindow, BusProtocolHoldsWhenStartStopsOnImplausibleCardData) {
  set("Ravlink protocol", "yes");
  set("Read start position", "5");
  set("Read stop position", "4");
  start();
  editSheet({{0, {}}, {1, {IDC_DATA_START, kChoose, "1"}}});
  EXPECT_TRUE(pageViews[0].control(IDC_COM_RAVLINK).checked);
  EXPECT_FALSE(pageViews[1].control(IDC_DATA_FIXED_LENGTH).enabled) << "byte mode forced";
  expectTraceOrder({kData, kBusStart});
}

}  // namespace
}  // namespace tavolin
