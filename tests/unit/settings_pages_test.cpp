#include <gtest/gtest.h>

#include "dialog_view_contract.h"
#include "fakes/fake_system.h"
#include "fakes/live_settings.h"
#include "fakes/manual_host.h"
#include "fakes/named_params.h"
#include "fakes/recording_services.h"
#include "fakes/simulated_port.h"
#include "fakes/strict_dialog_view.h"
#include "resource_ids.h"
#include "ui/attr_com.h"
#include "ui/attr_data.h"
#include "ui/attr_pfix.h"
#include "ui/help_dialogs.h"
#include "ui/sheet_driver.h"

namespace tavolin {
namespace {

using testing::PageInput;
using testing::UserInput;
using Setting = std::pair<const char*, const char*>;  // a value's stored name and its text
using Ids = std::vector<std::int32_t>;
using Texts = std::vector<std::string>;
constexpr std::size_t kCom = 0, kData = 1, kPFix = 2;
constexpr Notification kChoose = Notification::SelectionChange, kType = Notification::EditChange;

// The in-memory view has no user; its owner hears every change of a text.
class MemoryWindow : public testing::ViewWindow {
 public:
  DialogView& view() override { return m_view; }
  void click(std::int32_t) override { ADD_FAILURE() << "no user"; }
  void chooseNext(std::int32_t) override { ADD_FAILURE() << "no user"; }
  void type(std::int32_t, const std::string&) override { ADD_FAILURE() << "no user"; }

 private:
  struct HeardView : MemoryDialogView {
    explicit HeardView(MemoryWindow& w) : window(w) {}
    void textChanged(std::int32_t id) override { window.heard.emplace_back(id, kType); }
    MemoryWindow& window;
  } m_view{*this};
};

using testing::DialogViewContract;
INSTANTIATE_TEST_SUITE_P(Memory, DialogViewContract,
                         ::testing::Values(testing::ViewKind{"Memory", [](std::int32_t) {
                                             return std::make_unique<MemoryWindow>();
                                           }}),
                         testing::NamedParam());

// The three pages of one sheet, each on its own view, opened the way the platform opens them. A
// page reads a control only while it handles that control's notification; the system's edits
// report every change of their text, also the page's own.
class Pages : public ::testing::Test {
 protected:
  using View = testing::StrictDialogView;
  Pages() {
    live.settings.com.sRavlinkProtocol = "no";
    live.settings.com.sSpeed = "9600";
    views[kPFix].reportEditChanges(pfix, {IDC_PFIX_PREFIX, IDC_PFIX_INTERFIX, IDC_PFIX_POSTFIX});
  }
  void TearDown() override {
    for (const View& view : views) EXPECT_EQ(view.readBacks(), Ids{}) << "controls read back";
  }
  // "second range": the card data page accepted one in an earlier sheet.
  void setLive(const std::vector<Setting>& values) {
    for (const auto& [name, value] : values) {
      if (name == std::string("second range")) {
        live.settings.cardData.bSecondRange = true;
      } else {
        *findSettingValue(live.settings, name) = value;
      }
    }
  }
  View& open(std::size_t page) {
    SheetDriver::showPage(*pages[page], views[page]);
    m_shown = page;
    return views[page];
  }
  // The inputs, each on its page, which is shown first when the input before was on another.
  void input(const std::vector<PageInput>& inputs) {
    for (const PageInput& i : inputs) {
      if (i.page != m_shown) open(i.page);
      if (i.input.id != 0) views[i.page].act(*pages[i.page], i.input);
    }
  }
  // A value of a page's working copy by its stored name.
  std::string working(const std::string& name) {
    if (const auto* v = findSettingValue(com.getSettings(), name)) return *v;
    if (const auto* v = findSettingValue(data.getSettings(), name)) return *v;
    if (const auto* v = findSettingValue(pfix.getSettings(), name)) return *v;
    ADD_FAILURE() << "no value " << name;
    return {};
  }
  // How a control looks: "[x]"/"[ ]" its check, "(on)"/"(off)" whether enabled, "(focus)" if it
  // has the focus, "max n" its limit, "font f" its font; else its selection (lists) or text.
  std::string look(std::size_t page, std::int32_t id, const std::string& as) {
    const MemoryDialogView::Control& c = views[page].control(id);
    if (as == "[x]" || as == "[ ]") return c.checked ? "[x]" : "[ ]";
    if (as == "(on)" || as == "(off)") return c.enabled ? "(on)" : "(off)";
    if (as == "(focus)") return views[page].focus() == id ? as : "";
    if (as.rfind("max ", 0) == 0) return "max " + std::to_string(c.limit);
    if (as.rfind("font ", 0) == 0) return "font " + c.font;
    return c.items.empty() ? c.text : views[page].selection(id);
  }

  UiLanguage language{0x0409};
  testing::LiveSettings live;
  testing::ManualHost host;
  testing::RecordingSound sound;
  testing::FakeSystem system;
  testing::CapturedTrace captured;
  testing::SimulatedPorts ports;
  AttrCOM com{false, live, language, host, sound, ports};  // the main window's flag: no bus protocol
  AttrData data{live, com, language, host, system, captured.trace};
  AttrPFix pfix{live, data, language};
  PropertyPage* pages[3] = {&com, &data, &pfix};
  View views[3];

 private:
  std::size_t m_shown = 3;  // none
};

// Every template text is a placeholder that the window replaces when it opens, but for the texts
// its description keeps (the help dialogs' OK).
TEST_F(Pages, EveryPlaceholderIsReplacedWhenAWindowOpens) {
  for (std::size_t page : {kCom, kData, kPFix}) {
    EXPECT_EQ(testing::placeholdersLeft(open(page), pages[page]->templateId()), Ids{}) << page;
  }
  AboutDialog about;
  HTMLHelp help(language, system, captured.trace);
  ASCIIHelp ascii(language, system, captured.trace);
  for (DialogPresenter* dialog : std::initializer_list<DialogPresenter*>{&about, &help, &ascii}) {
    MemoryDialogView view;
    dialog->attach(view);
    EXPECT_TRUE(dialog->OnInitDialog());
    EXPECT_EQ(testing::placeholdersLeft(view, dialog->templateId()), dialog == &about ? Ids{} : Ids{IDC_OK});
  }
}

struct EditCase {
  const char* name;
  std::vector<Setting> live;
  std::vector<PageInput> inputs;
  std::vector<Setting> working;  // the pages' working copies afterwards
  std::size_t page;              // where these controls are
  std::vector<std::pair<std::int32_t, const char*>> shown;  // how they look, see Pages::look
  const char* changed;  // the pages that count as changed: c(om), d(ata), p(fix)
  const char* message;  // the one message box of any page, or nullptr
  std::vector<SerialPorts::PortChoice> ports = {};  // the system's ports, where not "1" to "256"
  bool german = false;
};

class PageEdit : public Pages, public ::testing::WithParamInterface<EditCase> {};

// What the pages show and take; the bus protocol's information is said on the COM page.
TEST_P(PageEdit, ShowsAndTakes) {
  const EditCase& c = GetParam();
  if (c.german) language = UiLanguage();
  setLive(c.live);
  ports.choices = c.ports;
  input(c.inputs);
  for (const auto& [name, value] : c.working) EXPECT_EQ(working(name), value) << name;
  for (const auto& [id, as] : c.shown) EXPECT_EQ(look(c.page, id, as), as) << id;
  EXPECT_EQ(std::string(com.isChanged() ? "c" : "") + (data.isChanged() ? "d" : "") + (pfix.isChanged() ? "p" : ""),
            c.changed);
  std::vector<MemoryDialogView::Message> shown;
  for (const View& view : views) shown.insert(shown.end(), view.messages().begin(), view.messages().end());
  ASSERT_EQ(shown.size(), c.message ? 1u : 0u);
  for (const auto& m : shown) EXPECT_EQ(m.text, c.message);
  for (const auto& m : shown) EXPECT_EQ(m.icon, c.inputs[0].page == kCom ? MessageIcon::Information : MessageIcon::Error);
}

const UserInput kShow{0}, kBusOn{IDC_COM_RAVLINK}, kBusOff{IDC_COM_RAVLINK, Notification::Clicked, "off"};
const Setting kNoFixedLength{"Fixed length", "no"}, kStop8{"Read stop position", "8"};
const std::vector<PageInput> kSecondRange{{kData, {IDC_DATA_START2, kChoose, "9"}},
                                          {kData, {IDC_DATA_STOP2, kChoose, "12"}}};
const std::vector<SerialPorts::PortChoice> kDevices{
    {"/dev/serial/by-id/usb-FTDI-if00", "/dev/serial/by-id/usb-FTDI-if00 (/dev/ttyUSB0)"},
    {"/dev/ttyS0", "/dev/ttyS0"},
    {"/dev/ttyUSB1", "/dev/ttyUSB1 - not present"}};
const char kBusInfo[] =
    "Ravlink reader is parameterized ex works. Card data of exact length are passed as ASCII characters.";
const char *kOn = "(on)", *kOff = "(off)", *kX = "[x]", *kNoX = "[ ]";
std::vector<PageInput> operator+(std::vector<PageInput> a, const std::vector<PageInput>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, PageEdit, ::testing::Values(
    EditCase{"ComPageShowsTheLiveSettings", {{"COM", "3"}, {"Parity", "even"}, {"Sound file", "C:\\ding.wav"}},
             {{kCom, kShow}}, {{"Flow control", "none"}}, kCom, {{IDC_COM_PORT, "3"}, {IDC_COM_SPEED, "9600"},
             {IDC_COM_PARITY, "even"}, {IDC_COM_FLOW, "none"}, {IDC_COM_RAVLINK, kNoX}, {IDC_COM_SIGNALING, kX},
             {IDC_COM_SOUND_FILE, "C:\\ding.wav"}, {IDC_COM_SPEED, kOn}}, "", nullptr},
    EditCase{"BusProtocolDisablesTheLineQuietly", {{"Ravlink protocol", "yes"}}, {{kCom, kShow}}, {}, kCom,
             {{IDC_COM_RAVLINK, kX}, {IDC_COM_SPEED, kOff}, {IDC_COM_PORT, kOn}}, "", nullptr},
    // Each protocol has its line; the lists follow.
    EditCase{"SwitchToTheBusSetsItsLine", {{"Data bits", "7"}, {"Parity", "even"}, {"Flow control", "Hardware"}},
             {{kCom, kBusOn}}, {{"Ravlink protocol", "yes"}, {"Speed", "19200"}, {"Data bits", "8"}, {"Parity", "none"},
             {"Stop bits", "1"}, {"Flow control", "none"}}, kCom, {{IDC_COM_SPEED, "19200"}, {IDC_COM_SPEED, kOff},
             {IDC_COM_DATA_BITS, kOff}, {IDC_COM_PARITY, kOff}, {IDC_COM_STOP_BITS, kOff}, {IDC_COM_FLOW, kOff},
             {IDC_COM_PORT, kOn}}, "c", kBusInfo},
    EditCase{"SwitchBackSetsTheSerialLine", {{"Data bits", "7"}, {"Flow control", "Hardware"}},
             {{kCom, kBusOn}, {kCom, kBusOff}}, {{"Ravlink protocol", "no"}, {"Speed", "9600"}, {"Data bits", "8"},
             {"Parity", "none"}, {"Stop bits", "1"}, {"Flow control", "none"}}, kCom,
             {{IDC_COM_SPEED, "9600"}, {IDC_COM_FLOW, kOn}, {IDC_COM_SPEED, "(focus)"}}, "c", kBusInfo},
    EditCase{"ChoosingTheSameSpeedAgainIsAChange", {}, {{kCom, {IDC_COM_SPEED, kChoose, "38400"}},
             {kCom, {IDC_COM_SPEED, kChoose, "9600"}}}, {{"Speed", "9600"}}, kCom, {}, "c", nullptr},
    EditCase{"SignalingAndSoundSwitches", {}, {{kCom, {IDC_COM_SIGNALING, Notification::Clicked, "off"}},
             {kCom, {IDC_COM_USE_SOUND}}}, {{"Signaling", "no"}, {"Use Sound", "yes"}}, kCom, {}, "c", nullptr},
    // The system's devices: shown by their texts, stored by their values.
    EditCase{"DeviceListSelectsTheStoredDevice", {{"COM", "/dev/ttyUSB1"}}, {{kCom, kShow}},
             {{"COM", "/dev/ttyUSB1"}}, kCom, {{IDC_COM_PORT, "/dev/ttyUSB1 - not present"}}, "", nullptr, kDevices},
    EditCase{"DeviceListStoresTheChosenDevice", {{"COM", "/dev/ttyS0"}},
             {{kCom, {IDC_COM_PORT, kChoose, "/dev/serial/by-id/usb-FTDI-if00 (/dev/ttyUSB0)"}}},
             {{"COM", "/dev/serial/by-id/usb-FTDI-if00"}}, kCom, {}, "c", nullptr, kDevices},
    EditCase{"StoredValueOutsideTheListIsKept", {{"Speed", "110"}}, {{kCom, kShow}}, {{"Speed", "110"}}, kCom,
             {{IDC_COM_SPEED, ""}}, "", nullptr},
    EditCase{"GermanChoicesStoredNeutral", {{"Flow control", "Hardware"}}, {{kCom, {IDC_COM_PARITY, kChoose, "gerade"}},
             {kCom, {IDC_COM_FLOW, kChoose, "Xon/Xoff"}}, {kCom, {IDC_COM_PORT, kChoose, "256"}}},
             {{"Parity", "even"}, {"Flow control", "Xon/Xoff"}, {"COM", "256"}}, kCom, {}, "c", nullptr, {}, true},
    EditCase{"GermanChoicesShownInTheLanguage", {{"Parity", "odd"}, {"Flow control", "Hardware"}},
             {{kCom, {IDC_COM_FLOW, kChoose, "keine"}}}, {{"Parity", "odd"}, {"Flow control", "none"}}, kCom,
             {{IDC_COM_PARITY, "ungerade"}}, "c", nullptr, {}, true},
    // Showing the card data page counts as a change.
    EditCase{"UnknownChoicesBecomeTheFirst", {{"Read characters in 1 byte", "bytewise"}, {"Reading direction", "backward"},
             {"Show non numeric characters", "x"}, {"Padding character", "2E"}, kStop8, {"2. Read start position", "9"},
             {"2. Read stop position", "12"}}, {{kData, kShow}},
             {{"Read characters in 1 byte", "BYTEWISE"}, {"Reading direction", "FORWARD"},
             {"Show non numeric characters", "MAPTOHEXCHARS"}, {"Fixed length", "yes"}}, kData, {{IDC_DATA_BYTEWISE, kX},
             {IDC_DATA_FORWARD, kX}, {IDC_DATA_BACKWARD, kNoX}, {IDC_DATA_PAD_CHAR, "2E"}, {IDC_DATA_PAD_CHAR, "max 2"},
             {IDC_DATA_PAD_CHAR, kOff}, {IDC_DATA_START2, "9"}, {IDC_DATA_STOP2, "12"}}, "d", nullptr},
    // An unchecked radio (forward, last) changes nothing.
    EditCase{"CardDataHandlersWriteTheWorkingCopy", {}, {{kData, {IDC_DATA_BACKWARD}}, {kData, {IDC_DATA_MAP_SPECIAL}},
             {kData, {IDC_DATA_CONVERSION}}, {kData, {IDC_DATA_DIGITS, kChoose, "8"}},
             {kData, {IDC_DATA_FILTER_ORDER, Notification::Clicked, "off"}}, {kData, {IDC_DATA_PAD_USED}},
             {kData, {IDC_DATA_TOTAL, kChoose, "20"}}, {kData, {IDC_DATA_HIGHNIBBEL}},
             {kData, {IDC_DATA_FORWARD, Notification::Clicked, "off"}},
             {kData, {IDC_DATA_FIXED_LENGTH, Notification::Clicked, "off"}}},
             {{"Reading direction", "BACKWARD"}, {"Show non numeric characters", "MAPTOSPECCHARS"},
             {"Conversion", "HEXA2DEC"}, {"Decimal n-digit (right aligned)", "8"},
             {"Filter: 1.truncate, 2.convert", "no"}, {"Padding character used", "yes"},
             {"Total reader data length", "20"}, {"Read characters in 1 byte", "HIGHNIBBELWISE"}, {"Fixed length", "no"}},
             kData, {{IDC_DATA_DIGITS, kOn}, {IDC_DATA_PAD_CHAR, kOn}, {IDC_DATA_TOTAL, kOff},
             {IDC_DATA_LENGTH1, "results in reading length of 14 nibbel."}}, "d", nullptr},
    // A total chosen below the stop position is said at once.
    EditCase{"ChosenTotalIsChecked", {}, {{kData, {IDC_DATA_TOTAL, kChoose, "10"}}},
             {{"Total reader data length", "10"}}, kData, {}, "d", "Wrong reading length!"},
    EditCase{"BusProtocolForcesByteWiseDataOfFixedLength", {{"Read characters in 1 byte", "NIBBELWISE"}, kNoFixedLength},
             {{kCom, kBusOn}, {kData, kShow}}, {{"Read characters in 1 byte", "BYTEWISE"}, {"Fixed length", "yes"}}, kData,
             {{IDC_DATA_BYTEWISE, kX}, {IDC_DATA_NIBBELWISE, kNoX}, {IDC_DATA_FIXED_LENGTH, kX},
             {IDC_DATA_BYTE_GROUP, kOff}, {IDC_DATA_BYTEWISE, kOff}, {IDC_DATA_HIGHNIBBEL, kOff},
             {IDC_DATA_MAP_GROUP, kOff}, {IDC_DATA_MAP_SPECIAL, kOff}, {IDC_DATA_FIXED_LENGTH, kOff},
             {IDC_DATA_TOTAL, kOff}, {IDC_DATA_TOTAL_LABEL, kOff}}, "cd", kBusInfo},
    // Back on the COM page the protocol goes; the card data page follows at once.
    EditCase{"WithoutTheBusProtocolByteModesReturn", {kNoFixedLength},
             {{kCom, kBusOn}, {kData, kShow}, {kCom, kBusOff}, {kData, kShow}}, {}, kData,
             {{IDC_DATA_BYTE_GROUP, kOn}, {IDC_DATA_FIXED_LENGTH, kOn}, {IDC_DATA_TOTAL, kOn}}, "cd", kBusInfo},
    EditCase{"AdditionalCharactersShowTheLiveSettings", {{"Postfix characters", "<CR>"}}, {{kPFix, kShow}}, {}, kPFix,
             {{IDC_PFIX_PREVIEW, "<Data><CR>"}, {IDC_PFIX_PREFIX, ""}, {IDC_PFIX_POSTFIX_TOKENS, "<CR>"},
             {IDC_PFIX_POSTFIX, "font Courier New 16"}}, "", nullptr},
    // The card data page not shown in this sheet: the range it accepted in the last.
    EditCase{"PreviewBeforeTheCardDataPageOpens", {{"second range", ""}}, {{kPFix, kShow}}, {}, kPFix,
             {{IDC_PFIX_PREVIEW, "<Data1><Data2>"}}, "", nullptr},
    // The preview shows the texts as typed; only selection complete takes them.
    EditCase{"PreviewFollowsTheCardDataPageAndTheTyping", {kNoFixedLength, kStop8, {"Prefix characters", "ABC"},
             {"Characters separating 2 data portions", ","}}, kSecondRange + std::vector<PageInput>{
             {kPFix, {IDC_PFIX_INTERFIX, kType, "%s%d"}}, {kPFix, {IDC_PFIX_POSTFIX, kType, "100%"}}},
             {{"Characters separating 2 data portions", ","}, {"Postfix characters", "none"}}, kPFix,
             {{IDC_PFIX_PREVIEW, "ABC<Data1>%s%d<Data2>100%"}}, "d", nullptr},
    EditCase{"PreviewWithoutTheSecondRangeAgain", {kNoFixedLength, kStop8, {"Prefix characters", "ABC"},
             {"Postfix characters", "<TAB>"}}, kSecondRange + std::vector<PageInput>{{kPFix, kShow},
             {kData, {IDC_DATA_START2, kChoose, "-"}}, {kPFix, kShow}}, {}, kPFix,
             {{IDC_PFIX_PREVIEW, "ABC<Data><TAB>"}}, "d", nullptr},
    EditCase{"SelectionCompleteTakesTheTexts", {{"Prefix characters", "P"},
             {"Characters separating 2 data portions", "I"}, {"Postfix characters", "X"}},
             {{kPFix, {IDC_PFIX_PREFIX, kType, "new"}}, {kPFix, {IDC_PFIX_INTERFIX, kType, ""}},
             {kPFix, {IDC_PFIX_POSTFIX, kType, ""}}, {kPFix, {IDC_PFIX_SELECTION_COMPLETE}}},
             {{"Prefix characters", "new"}, {"Characters separating 2 data portions", "none"},
             {"Postfix characters", "none"}}, kPFix, {}, "p", nullptr}),
    testing::NamedParam());
// clang-format on

// The sound file's choice plays it and leaves the check boxes; the ASCII table comes from the
// program folder and leaves the page's values; Add appends at the end within the edit's limit and
// takes nothing yet.
TEST_F(Pages, ButtonsOfThePages) {
  View& v = open(kCom);
  v.act(com, {IDC_COM_CHANGE_SOUND});
  EXPECT_EQ(host.fileRequests, Texts{"WAV files (*.wav)|*.wav|All files (*.*)|*.*|wav"});
  EXPECT_FALSE(com.isChanged()) << "cancelled";
  host.fileChoice = "/usr/share/sounds/ding.wav";
  v.act(com, {IDC_COM_CHANGE_SOUND});
  EXPECT_EQ(v.control(IDC_COM_SOUND_FILE).text, "/usr/share/sounds/ding.wav");
  EXPECT_EQ(com.getSettings().sSoundFile, "/usr/share/sounds/ding.wav");
  EXPECT_EQ(sound.played(), 1u);
  EXPECT_TRUE(com.isChanged());
  EXPECT_FALSE(v.control(IDC_COM_USE_SOUND).checked);

  open(kData).act(data, {IDC_DATA_ASCII_HELP});
  EXPECT_EQ(host.modalRuns, Ids{IDD_ASCII_HELP});
  EXPECT_EQ(host.modalView->control(IDC_ASCII_BROWSER).text, "file://C:\\Programs\\Tool\\Ascii.htm");
  EXPECT_EQ(data.getSettings().sPadChar, "20");
  EXPECT_EQ(views[kData].messages().size(), 0u);

  live.settings.addChars.sPostfix = "x";
  View& p = open(kPFix);
  p.act(pfix, {IDC_PFIX_POSTFIX_TOKENS, kChoose, "<LF=Ctrl-ENTER>"});
  p.act(pfix, {IDC_PFIX_POSTFIX_ADD});
  EXPECT_EQ(p.control(IDC_PFIX_POSTFIX).text + "|" + p.control(IDC_PFIX_PREVIEW).text,
            "x<LF=Ctrl-ENTER>|<Data>x<LF=Ctrl-ENTER>");
  const std::string typed(198, 'a');
  p.act(pfix, {IDC_PFIX_PREFIX, kType, typed.c_str()});
  p.act(pfix, {IDC_PFIX_PREFIX_ADD});
  EXPECT_EQ(p.control(IDC_PFIX_PREFIX).text, typed + "<C");
  EXPECT_FALSE(pfix.isChanged());
  p.act(pfix, {IDC_PFIX_SELECTION_COMPLETE});
  EXPECT_EQ(pfix.getSettings().sPrefix, typed + "<");
}

struct LengthCase {
  const char* name;
  const char *start, *stop, *start2, *stop2, *fixed, *total, *byteMode;
  bool bus;
  std::string length1, length2;  // "before": not written by the check
  Texts messages;
  bool secondRange;
};

class LengthCheck : public Pages, public ::testing::WithParamInterface<LengthCase> {};

// The activation that follows the opening checks again: one cause, one message.
TEST_P(LengthCheck, ShowsLengthsAndReportsInconsistencies) {
  const LengthCase& c = GetParam();
  setLive({{"Read start position", c.start}, {"Read stop position", c.stop}, {"2. Read start position", c.start2},
           {"2. Read stop position", c.stop2}, {"Fixed length", c.fixed}, {"Total reader data length", c.total},
           {"Read characters in 1 byte", c.byteMode}});
  if (c.bus) input({{kCom, {IDC_COM_RAVLINK}}});
  View& v = views[kData];
  v.setItemText(IDC_DATA_LENGTH1, "before");
  v.setItemText(IDC_DATA_LENGTH2, "before");
  data.attach(v);
  data.OnInitDialog();
  EXPECT_EQ(v.control(IDC_DATA_LENGTH1).text + "|" + v.control(IDC_DATA_LENGTH2).text, c.length1 + "|" + c.length2);
  data.OnSetActive();
  EXPECT_EQ(testing::messageTexts(v), c.messages);
  for (const auto& m : v.messages()) EXPECT_EQ(m.icon, MessageIcon::Error);
  EXPECT_EQ(data.hasSecondRange(), c.secondRange);
}

std::string bytes(int length) { return "results in reading length of " + std::to_string(length) + " bytes."; }
const char kNo2[] = "No 2. reading range.", kWrong[] = "Wrong reading length!", kWrong2[] = "Wrong 2. reading length!";
const char kBehind[] = "2. reading range must be behind the 1. reading range and separated from it!";
const char kB[] = "BYTEWISE";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, LengthCheck, ::testing::Values(
    LengthCase{"OneRange", "1", "14", "-", "-", "yes", "14", kB, false, bytes(14), kNo2, {}, false},
    LengthCase{"OneByteAtTheEnd", "8", "8", "-", "-", "yes", "8", kB, false, bytes(1), kNo2, {}, false},
    LengthCase{"SecondRangeRightAfterTheFirst", "1", "8", "9", "12", "no", "14", kB, false, bytes(8), bytes(4), {}, true},
    LengthCase{"SecondRangeOverlapping", "1", "8", "8", "12", "no", "14", kB, false, bytes(8), kNo2, {kBehind}, false},
    LengthCase{"StopBeyondTotal", "1", "14", "-", "-", "yes", "10", kB, false, "before", "before", {kWrong}, false},
    LengthCase{"TotalIgnoredOnTheBus", "1", "14", "-", "-", "yes", "10", kB, true, bytes(14), kNo2, {}, false},
    LengthCase{"TotalIgnoredWithoutFixedLength", "1", "14", "-", "-", "no", "10", kB, false, bytes(14), kNo2, {}, false},
    LengthCase{"StopRightBeforeStart", "5", "4", "9", "12", "no", "14", kB, false, bytes(0), bytes(4), {kWrong}, true},
    LengthCase{"Nibbles", "1", "8", "-", "-", "no", "14", "NIBBELWISE", false, "results in reading length of 8 nibbel.",
               kNo2, {}, false},
    LengthCase{"SecondStopMissing", "1", "8", "10", "-", "no", "14", kB, false, bytes(8), kNo2, {}, false},
    LengthCase{"SecondBeyondTotal", "1", "8", "10", "20", "yes", "14", kB, false, bytes(8), "before", {kWrong2}, false},
    LengthCase{"SecondStopBeforeItsStart", "1", "4", "10", "8", "no", "14", kB, false, bytes(4), kNo2, {kWrong2}, false},
    LengthCase{"SecondOfOneCharacterLessThanNothing", "1", "4", "10", "9", "no", "14", kB, false, bytes(4), kNo2, {}, false}),
    testing::NamedParam());
// clang-format on

// The padding character keeps only printable codes; anything else becomes the space, said so.
TEST_F(Pages, PaddingCharacterKeepsOnlyPrintableCodes) {
  const std::string space = "\nDefault padding character 'Space (20)' will be used.";
  // clang-format off
  const std::vector<std::pair<const char*, std::string>> cases{
      {"", "'00' is not allowed as padding character." + space}, {"7", "'07' is not printable." + space},
      {"A", "'0A' is not printable." + space}, {"20", ""}, {"4a", ""}, {"7E", ""},
      {"G1", "'G1' is not a hexadecimal character." + space}, {"7F", "'7F' is not printable." + space},
      {"FF", "'FF' is not printable." + space}};
  // clang-format on
  View& v = open(kData);
  for (const auto& [typed, message] : cases) {
    const std::size_t before = v.messages().size();
    const std::string stored = message.empty() ? typed : "20";
    v.act(data, {IDC_DATA_PAD_CHAR, Notification::KillFocus, typed});
    EXPECT_EQ(data.getSettings().sPadChar, stored) << typed;
    EXPECT_EQ(v.control(IDC_DATA_PAD_CHAR).text, stored) << typed;
    std::string said;
    for (std::size_t m = before; m < v.messages().size(); ++m) said += v.messages()[m].text;
    EXPECT_EQ(said, message) << typed;
  }
}

struct HelpCase {
  const char* name;
  bool ascii;  // the ASCII table, else the help
  bool english;
  const char* folder;  // "": not known
  const char* caption;
  const char* address;
  const char* trace;
};

class HelpDialog : public ::testing::TestWithParam<HelpCase> {};

// Without the program folder the dialog says so and stays open.
TEST_P(HelpDialog, OpensTheDocumentOfTheLanguageFromTheProgramFolder) {
  const HelpCase& c = GetParam();
  testing::FakeSystem system;
  testing::CapturedTrace captured;
  system.applicationPath = c.folder;
  system.error = 122;
  const UiLanguage language(c.english ? 0x0409 : 0x0407);
  HTMLHelp help(language, system, captured.trace);
  ASCIIHelp ascii(language, system, captured.trace);
  DialogPresenter& dialog = c.ascii ? static_cast<DialogPresenter&>(ascii) : help;
  MemoryDialogView view;
  dialog.attach(view);
  EXPECT_TRUE(dialog.OnInitDialog());
  EXPECT_EQ(view.caption(), c.caption);
  EXPECT_EQ(view.control(c.ascii ? IDC_ASCII_BROWSER : IDC_HELP_BROWSER).text, c.address);
  EXPECT_EQ(captured.text(), c.trace);
  EXPECT_EQ(testing::messageTexts(view), *c.folder ? Texts{} : Texts{"Online help file not found."});
  for (const auto& m : view.messages()) EXPECT_EQ(m.icon, MessageIcon::Warning);
  for (const auto& m : view.messages()) EXPECT_EQ(m.caption, "");
}

const char kTool[] = "C:\\Programs\\Tool", kHelp[] = "Elvor Tavolin Help", kAscii[] = "ASCII table of padding characters";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, HelpDialog, ::testing::Values(
    HelpCase{"English", false, true, kTool, kHelp, "file://C:\\Programs\\Tool\\TavoHelp.mht", ""},
    HelpCase{"German", false, false, kTool, "Elvor Tavolin Hilfe", "file://C:\\Programs\\Tool\\TavoHilfe.mht", ""},
    HelpCase{"FolderWithBlanks", false, true, "C:\\Program Files\\Elvor Tavolin", kHelp,
             "file://C:\\Program Files\\Elvor Tavolin\\TavoHelp.mht", ""},
    HelpCase{"AsciiTable", true, true, kTool, kAscii, "file://C:\\Programs\\Tool\\Ascii.htm", ""},
    HelpCase{"HelpWithoutFolder", false, true, "", kHelp, "", "HTMLHelp::OnInitDialog():GetModuleFileName() failed: 122\n"},
    HelpCase{"AsciiTableWithoutFolder", true, true, "", kAscii, "", "ASCIIHelp::OnInitDialog():getApplicationPath() failed\n"}),
    testing::NamedParam());
// clang-format on

}  // namespace
}  // namespace tavolin
