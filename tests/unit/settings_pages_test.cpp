#include <gtest/gtest.h>

#include "fakes/fake_system.h"
#include "fakes/manual_host.h"
#include "fakes/memory_text_file.h"
#include "fakes/named_params.h"
#include "fakes/recording_services.h"
#include "fakes/strict_dialog_view.h"
#include "resource_ids.h"
#include "ui/sheet_driver.h"
#include "ui/attr_com.h"
#include "ui/attr_data.h"
#include "ui/attr_pfix.h"
#include "ui/attr_sheet.h"
#include "ui/find_string_prefix.h"
#include "ui/help_dialogs.h"

namespace tavolin {
namespace {

// The main window's live settings, as the pages copy them.
class LiveSettings : public SettingsSource {
 public:
  const ComSettings& getComSettings() const override { return settings.com; }
  const CardDataSettings& getCardDataSettings() const override { return settings.cardData; }
  const AddCharsSettings& getAddCharsSettings() const override { return settings.addChars; }
  Settings settings;
};

// The three pages of one sheet, each on its own view, opened the way the
// platform opens them.
class Pages : public ::testing::Test {
 protected:
  explicit Pages(std::int32_t languageIndex = UiLanguage::English)
      : language(languageIndex == UiLanguage::German ? UiLanguage() : UiLanguage(1)) {
    live.settings.com.sRavlinkProtocol = "no";
    live.settings.com.sSpeed = "9600";
  }

  using View = testing::StrictDialogView;

  // A page reads a control only while it handles that control's notification.
  void TearDown() override {
    for (const View* view : {&comView, &dataView, &pfixView}) {
      EXPECT_EQ(view->readBacks(), std::vector<std::int32_t>{}) << "controls read back by a page";
    }
  }

  View& open(PropertyPage& page, View& view) {
    SheetDriver::showPage(page, view);
    return view;
  }
  View& openCom() { return open(com, comView); }
  View& openData() { return open(data, dataView); }
  View& openPFix() {
    pfixView.reportEditChanges(pfix, {IDC_PFIX_PREFIX, IDC_PFIX_INTERFIX, IDC_PFIX_POSTFIX});
    return open(pfix, pfixView);
  }

  // What a click on a check box or radio does before the page hears of it.
  void click(PropertyPage& page, View& view, std::int32_t id, bool checked = true) {
    view.checkItem(id, checked);
    view.notify(page, id, Notification::Clicked);
  }
  void choose(PropertyPage& page, View& view, std::int32_t id, const std::string& item) {
    ASSERT_GE(view.selectString(id, item), 0) << item;
    view.notify(page, id, Notification::SelectionChange);
  }
  void type(PropertyPage& page, View& view, std::int32_t id, const std::string& text) {
    view.setItemText(id, text);
    view.notify(page, id, Notification::EditChange);
  }
  static std::vector<std::string> messages(const MemoryDialogView& view) {
    std::vector<std::string> texts;
    for (const auto& m : view.messages()) texts.push_back(m.text);
    return texts;
  }

  UiLanguage language;
  LiveSettings live;
  testing::ManualHost host;
  testing::RecordingSound sound;
  testing::FakeSystem system;
  testing::CapturedTrace captured;
  AttrCOM com{false, live, language, host, sound};  // the main window's flag: no bus protocol
  AttrData data{live, com, language, host, system, captured.trace};
  AttrPFix pfix{live, data, language};
  View comView, dataView, pfixView;
};

class GermanPages : public Pages {
 protected:
  GermanPages() : Pages(UiLanguage::German) {}
};

// --- the sheet ---

TEST(AttrSheetTest, OffersOnlyOkAndCancel) {
  AttrSheet sheet("Elvor Tavolin Settings");
  EXPECT_EQ(sheet.buttons(), (std::vector<SheetButton>{SheetButton::Ok, SheetButton::Cancel}));
}

// --- the lists' select-string rule ---

struct PrefixCase {
  const char* name;
  std::vector<std::string> items;
  const char* text;
  std::int32_t found;
};

class SelectString : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(SelectString, FindsTheFirstItemBeginningWithTheTextIgnoringCase) {
  const PrefixCase& c = GetParam();
  EXPECT_EQ(findStringPrefix(c.items, c.text), c.found);
  MemoryDialogView view;
  for (const std::string& item : c.items) view.addString(IDC_COM_SPEED, item);
  view.setCurSel(IDC_COM_SPEED, 0);
  EXPECT_EQ(view.selectString(IDC_COM_SPEED, c.text), c.found);
  EXPECT_EQ(view.control(IDC_COM_SPEED).selected, c.found >= 0 ? c.found : 0) << "no match leaves the selection";
}

const std::vector<std::string> kSpeeds{"300", "1200", "2400", "4800", "9600", "14400", "19200"};
const std::vector<std::string> kFlow{"none", "Xon/Xoff", "Hardware"};

INSTANTIATE_TEST_SUITE_P(Cases, SelectString,
                         ::testing::Values(PrefixCase{"Whole", kSpeeds, "9600", 4},
                                           PrefixCase{"FirstOfTwoBeginnings", kSpeeds, "1", 1},
                                           PrefixCase{"IgnoringCase", kFlow, "xON", 1},
                                           PrefixCase{"LongerThanTheItem", kFlow, "none ", -1},
                                           PrefixCase{"NotInTheList", kSpeeds, "110", -1},
                                           PrefixCase{"EmptyTextIsTheFirst", kFlow, "", 0},
                                           PrefixCase{"OnlyLettersFold", {"{", "["}, "[", 1}),
                         testing::NamedParam());

// --- COM port page ---

TEST_F(Pages, ComPageShowsTheLiveSettings) {
  live.settings.com.sCom = "3";
  live.settings.com.sParity = "even";
  live.settings.com.sFlowControl = "none";
  View& v = openCom();
  EXPECT_EQ(v.control(IDC_COM_PORT).items.size(), 256u);
  EXPECT_EQ(v.selection(IDC_COM_PORT), "3");
  EXPECT_EQ(v.selection(IDC_COM_SPEED), "9600");
  EXPECT_EQ(v.selection(IDC_COM_PARITY), "even");
  EXPECT_EQ(v.selection(IDC_COM_FLOW), "none");
  EXPECT_FALSE(v.control(IDC_COM_RAVLINK).checked);
  EXPECT_TRUE(v.control(IDC_COM_SIGNALING).checked);
  EXPECT_EQ(v.control(IDC_COM_SOUND_FILE).text, live.settings.com.sSoundFile);
  EXPECT_EQ(v.control(IDC_COM_SPEED_LABEL).text, "Bits per second");
  EXPECT_TRUE(v.control(IDC_COM_SPEED).enabled);
  EXPECT_FALSE(com.isChanged());
}

TEST_F(Pages, ProtocolSwitchSetsTheLineOfEachProtocol) {
  live.settings.com.sDataBits = "7";
  live.settings.com.sParity = "even";
  live.settings.com.sFlowControl = "Hardware";
  View& v = openCom();
  click(com, v, IDC_COM_RAVLINK);
  const ComSettings& s = com.getSettings();
  EXPECT_EQ(s.sRavlinkProtocol, "yes");
  EXPECT_EQ(s.sSpeed + " " + s.sDataBits + " " + s.sParity + " " + s.sStopBits + " " + s.sFlowControl,
            "19200 8 none 1 none");
  EXPECT_EQ(v.selection(IDC_COM_SPEED), "19200");
  for (std::int32_t id : {IDC_COM_SPEED, IDC_COM_DATA_BITS, IDC_COM_PARITY, IDC_COM_STOP_BITS, IDC_COM_FLOW}) {
    EXPECT_FALSE(v.control(id).enabled) << id;
  }
  EXPECT_TRUE(v.control(IDC_COM_PORT).enabled);
  EXPECT_EQ(messages(v), std::vector<std::string>{"Ravlink reader is parameterized ex works. Card data of exact "
                                                  "length are passed as ASCII characters."});
  EXPECT_EQ(v.messages()[0].icon, MessageIcon::Information);
  EXPECT_TRUE(com.isRavlinkProtocol());

  click(com, v, IDC_COM_RAVLINK, false);
  EXPECT_EQ(s.sRavlinkProtocol, "no");
  EXPECT_EQ(s.sSpeed + " " + s.sDataBits + " " + s.sParity + " " + s.sStopBits + " " + s.sFlowControl,
            "9600 8 none 1 none");
  EXPECT_TRUE(v.control(IDC_COM_FLOW).enabled);
  EXPECT_EQ(v.focus(), IDC_COM_SPEED);
  EXPECT_EQ(v.messages().size(), 1u);
  EXPECT_FALSE(com.isRavlinkProtocol());
}

TEST_F(Pages, PageOpenedWithTheBusProtocolDisablesTheLineQuietly) {
  live.settings.com.sRavlinkProtocol = "yes";
  View& v = openCom();
  EXPECT_TRUE(v.control(IDC_COM_RAVLINK).checked);
  EXPECT_FALSE(v.control(IDC_COM_SPEED).enabled);
  EXPECT_TRUE(v.control(IDC_COM_PORT).enabled);
  EXPECT_TRUE(v.messages().empty());
}

TEST_F(GermanPages, ParityAndFlowControlAreShownInTheLanguageAndStoredNeutral) {
  View& v = openCom();
  EXPECT_EQ(v.control(IDC_COM_PARITY).items, (std::vector<std::string>{"keine", "ungerade", "gerade"}));
  choose(com, v, IDC_COM_PARITY, "ungerade");
  EXPECT_EQ(com.getSettings().sParity, "odd");
  choose(com, v, IDC_COM_FLOW, "Xon/Xoff");
  EXPECT_EQ(com.getSettings().sFlowControl, "Xon/Xoff");
  choose(com, v, IDC_COM_FLOW, "keine");
  EXPECT_EQ(com.getSettings().sFlowControl, "none");
}

TEST_F(Pages, ChoosingTheSameSpeedAgainStillCountsAsAChange) {
  View& v = openCom();
  choose(com, v, IDC_COM_SPEED, "38400");
  choose(com, v, IDC_COM_SPEED, "9600");
  EXPECT_EQ(com.getSettings().sSpeed, "9600");
  EXPECT_TRUE(com.isChanged());
}

TEST_F(Pages, StoredValueOutsideTheListIsKept) {
  live.settings.com.sSpeed = "110";
  View& v = openCom();
  EXPECT_EQ(v.selection(IDC_COM_SPEED), "");
  EXPECT_EQ(com.getSettings().sSpeed, "110");
  EXPECT_FALSE(com.isChanged());
}

TEST_F(Pages, SoundFileChoice) {
  View& v = openCom();
  click(com, v, IDC_COM_CHANGE_SOUND);
  EXPECT_EQ(host.fileRequests, std::vector<std::string>{"WAV files (*.wav)|*.wav|All files (*.*)|*.*|wav"});
  EXPECT_FALSE(com.isChanged()) << "cancelled";
  host.fileChoice = "/usr/share/sounds/ding.wav";
  click(com, v, IDC_COM_CHANGE_SOUND);
  EXPECT_EQ(v.control(IDC_COM_SOUND_FILE).text, "/usr/share/sounds/ding.wav");
  EXPECT_EQ(com.getSettings().sSoundFile, "/usr/share/sounds/ding.wav");
  EXPECT_EQ(sound.played(), 1u);
  EXPECT_TRUE(com.isChanged());
  EXPECT_FALSE(v.control(IDC_COM_USE_SOUND).checked) << "the check boxes are not touched";
}

// --- card data page ---

struct LengthCase {
  const char* name;
  const char* start;
  const char* stop;
  const char* start2;
  const char* stop2;
  const char* fixed;
  const char* total;
  const char* byteMode;
  bool bus;
  const char* length1;  // nullptr: not written by the check
  const char* length2;
  std::vector<std::string> messages;
  bool secondRange;
};

class LengthCheck : public Pages, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(LengthCheck, ShowsLengthsAndReportsInconsistencies) {
  const LengthCase& c = GetParam();
  CardDataSettings& s = live.settings.cardData;
  s.sReadStart = c.start;
  s.sReadStop = c.stop;
  s.sReadStart2 = c.start2;
  s.sReadStop2 = c.stop2;
  s.sFixedLength = c.fixed;
  s.sTotalLength = c.total;
  s.sByteMode = c.byteMode;
  if (c.bus) {
    View& v = openCom();
    click(com, v, IDC_COM_RAVLINK);
  }
  dataView.setItemText(IDC_DATA_LENGTH1, "before");
  dataView.setItemText(IDC_DATA_LENGTH2, "before");
  data.attach(dataView);
  data.OnInitDialog();
  EXPECT_EQ(dataView.control(IDC_DATA_LENGTH1).text, c.length1 ? c.length1 : "before");
  EXPECT_EQ(dataView.control(IDC_DATA_LENGTH2).text, c.length2 ? c.length2 : "before");
  EXPECT_EQ(messages(dataView), c.messages);
  for (const auto& m : dataView.messages()) EXPECT_EQ(m.icon, MessageIcon::Error);
  EXPECT_EQ(data.getSettings().bSecondRange, c.secondRange);
  EXPECT_EQ(data.hasSecondRange(), c.secondRange);
}

const char kNoSecond[] = "No 2. reading range.";
const char kWrong[] = "Wrong reading length!";
const char kWrong2[] = "Wrong 2. reading length!";
const char kBehind[] = "2. reading range must be behind the 1. reading range and separated from it!";

INSTANTIATE_TEST_SUITE_P(
    Cases, LengthCheck,
    ::testing::Values(
        LengthCase{"OneRange", "1", "14", "-", "-", "yes", "14", "BYTEWISE", false,
                   "results in reading length of 14 bytes.", kNoSecond, {}, false},
        LengthCase{"SecondRangeRightAfterTheFirst", "1", "8", "9", "12", "no", "14", "BYTEWISE", false,
                   "results in reading length of 8 bytes.", "results in reading length of 4 bytes.", {}, true},
        LengthCase{"SecondRangeOverlapping", "1", "8", "8", "12", "no", "14", "BYTEWISE", false,
                   "results in reading length of 8 bytes.", kNoSecond, {kBehind}, false},
        LengthCase{"StopBeyondTotal", "1", "14", "-", "-", "yes", "10", "BYTEWISE", false, nullptr, nullptr,
                   {kWrong}, false},
        LengthCase{"TotalIgnoredOnTheBus", "1", "14", "-", "-", "yes", "10", "BYTEWISE", true,
                   "results in reading length of 14 bytes.", kNoSecond, {}, false},
        LengthCase{"TotalIgnoredWithoutFixedLength", "1", "14", "-", "-", "no", "10", "BYTEWISE", false,
                   "results in reading length of 14 bytes.", kNoSecond, {}, false},
        LengthCase{"StopBeforeStart", "5", "3", "9", "12", "no", "14", "BYTEWISE", false,
                   "results in reading length of -1 bytes.", "results in reading length of 4 bytes.", {kWrong}, true},
        LengthCase{"Nibbles", "1", "8", "-", "-", "no", "14", "NIBBELWISE", false,
                   "results in reading length of 8 nibbel.", kNoSecond, {}, false},
        LengthCase{"SecondStopMissing", "1", "8", "10", "-", "no", "14", "BYTEWISE", false,
                   "results in reading length of 8 bytes.", kNoSecond, {}, false},
        LengthCase{"SecondBeyondTotal", "1", "8", "10", "20", "yes", "14", "BYTEWISE", false,
                   "results in reading length of 8 bytes.", nullptr, {kWrong2}, false},
        LengthCase{"SecondStopBeforeItsStart", "1", "4", "10", "8", "no", "14", "BYTEWISE", false,
                   "results in reading length of 4 bytes.", kNoSecond, {kWrong2}, false},
        LengthCase{"SecondOfOneCharacterLessThanNothing", "1", "4", "10", "9", "no", "14", "BYTEWISE", false,
                   "results in reading length of 4 bytes.", kNoSecond, {}, false}),
    testing::NamedParam());

TEST_F(Pages, OpeningTheCardDataPageCountsAsAChange) {
  openData();
  EXPECT_TRUE(data.isChanged());
  EXPECT_EQ(data.getSettings().sFixedLength, "yes");
}

TEST_F(Pages, UnknownChoicesBecomeTheFirstWithoutAChange) {
  live.settings.cardData.sByteMode = "bytewise";
  live.settings.cardData.sDirection = "backward";
  live.settings.cardData.sNonNumeric = "x";
  data.attach(dataView);
  data.OnInitDialog();
  EXPECT_EQ(data.getSettings().sByteMode, "BYTEWISE");
  EXPECT_EQ(data.getSettings().sDirection, "FORWARD");
  EXPECT_EQ(data.getSettings().sNonNumeric, "MAPTOHEXCHARS");
  EXPECT_TRUE(dataView.control(IDC_DATA_BYTEWISE).checked);
  EXPECT_TRUE(dataView.control(IDC_DATA_FORWARD).checked);
  EXPECT_FALSE(dataView.control(IDC_DATA_BACKWARD).checked);
  EXPECT_FALSE(data.isChanged());
}

TEST_F(Pages, BusProtocolForcesByteWiseDataOfFixedLength) {
  live.settings.cardData.sByteMode = "NIBBELWISE";
  live.settings.cardData.sFixedLength = "no";
  View& c = openCom();
  click(com, c, IDC_COM_RAVLINK);
  View& v = openData();
  EXPECT_TRUE(v.control(IDC_DATA_BYTEWISE).checked);
  EXPECT_FALSE(v.control(IDC_DATA_NIBBELWISE).checked);
  for (std::int32_t id : {IDC_DATA_BYTE_GROUP, IDC_DATA_BYTEWISE, IDC_DATA_HIGHNIBBEL, IDC_DATA_MAP_GROUP,
                          IDC_DATA_MAP_SPECIAL, IDC_DATA_FIXED_LENGTH, IDC_DATA_TOTAL, IDC_DATA_TOTAL_LABEL}) {
    EXPECT_FALSE(v.control(id).enabled) << id;
  }
  EXPECT_TRUE(v.control(IDC_DATA_FIXED_LENGTH).checked);
  EXPECT_EQ(data.getSettings().sByteMode, "BYTEWISE");
  EXPECT_EQ(data.getSettings().sFixedLength, "yes");

  // Back on the COM page the protocol goes; the page follows at once.
  click(com, c, IDC_COM_RAVLINK, false);
  openData();
  EXPECT_TRUE(v.control(IDC_DATA_BYTE_GROUP).enabled);
  EXPECT_TRUE(v.control(IDC_DATA_FIXED_LENGTH).enabled);
  EXPECT_TRUE(v.control(IDC_DATA_TOTAL).enabled);
}

TEST_F(Pages, HandlersWriteTheWorkingCopy) {
  View& v = openData();
  click(data, v, IDC_DATA_BACKWARD);
  v.checkItem(IDC_DATA_FORWARD, false);
  click(data, v, IDC_DATA_MAP_SPECIAL);
  click(data, v, IDC_DATA_CONVERSION);
  EXPECT_TRUE(v.control(IDC_DATA_DIGITS).enabled);
  choose(data, v, IDC_DATA_DIGITS, "8");
  click(data, v, IDC_DATA_FILTER_ORDER, false);
  click(data, v, IDC_DATA_PAD_USED);
  EXPECT_TRUE(v.control(IDC_DATA_PAD_CHAR).enabled);
  choose(data, v, IDC_DATA_TOTAL, "20");
  v.checkItem(IDC_DATA_BYTEWISE, false);
  click(data, v, IDC_DATA_HIGHNIBBEL);
  const CardDataSettings& s = data.getSettings();
  EXPECT_EQ(s.sDirection, "BACKWARD");
  EXPECT_EQ(s.sNonNumeric, "MAPTOSPECCHARS");
  EXPECT_EQ(s.sConversion, "HEXA2DEC");
  EXPECT_EQ(s.sDigits, "8");
  EXPECT_EQ(s.sTruncateFirst, "no");
  EXPECT_EQ(s.sPadUsed, "yes");
  EXPECT_EQ(s.sTotalLength, "20");
  EXPECT_EQ(s.sByteMode, "HIGHNIBBELWISE");
  EXPECT_EQ(v.control(IDC_DATA_LENGTH1).text, "results in reading length of 14 nibbel.");

  // An unchecked radio changes nothing.
  v.checkItem(IDC_DATA_FORWARD, false);
  v.notify(data, IDC_DATA_FORWARD, Notification::Clicked);
  EXPECT_EQ(s.sDirection, "BACKWARD");
}

struct PaddingCase {
  const char* name;
  const char* typed;
  const char* stored;
  const char* shown;
  const char* message;  // nullptr: none
};

class PaddingCheck : public Pages, public ::testing::WithParamInterface<PaddingCase> {};

TEST_P(PaddingCheck, KeepsOnlyPrintableCodes) {
  const PaddingCase& c = GetParam();
  View& v = openData();
  v.setItemText(IDC_DATA_PAD_CHAR, c.typed);
  v.notify(data, IDC_DATA_PAD_CHAR, Notification::KillFocus);
  EXPECT_EQ(data.getSettings().sPadChar, c.stored);
  EXPECT_EQ(v.control(IDC_DATA_PAD_CHAR).text, c.shown);
  EXPECT_EQ(messages(v), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PaddingCheck,
    ::testing::Values(
        PaddingCase{"Empty", "", "20", "20",
                    "'00' is not allowed as padding character.\nDefault padding character 'Space (20)' will be used."},
        PaddingCase{"OneDigitNotPrintable", "7", "20", "20",
                    "'07' is not printable.\nDefault padding character 'Space (20)' will be used."},
        PaddingCase{"OneDigitPrintable", "A", "20", "20",
                    "'0A' is not printable.\nDefault padding character 'Space (20)' will be used."},
        PaddingCase{"LowerCaseKept", "4a", "4a", "4a", nullptr},
        PaddingCase{"Tilde", "7E", "7E", "7E", nullptr},
        PaddingCase{"NotHexadecimal", "G1", "20", "20",
                    "'G1' is not a hexadecimal character.\nDefault padding character 'Space (20)' will be used."},
        PaddingCase{"Delete", "7F", "20", "20",
                    "'7F' is not printable.\nDefault padding character 'Space (20)' will be used."},
        PaddingCase{"HighCode", "FF", "20", "20",
                    "'FF' is not printable.\nDefault padding character 'Space (20)' will be used."}),
    testing::NamedParam());

TEST_F(Pages, AsciiHelpChangesNothing) {
  system.applicationPath = "C:\\Program Files\\Tavolin";
  View& v = openData();
  const CardDataSettings before = data.getSettings();
  MemoryDialogView help;
  host.onModal = [&](DialogPresenter& dialog) {
    dialog.attach(help);
    dialog.OnInitDialog();
  };
  v.notify(data, IDC_DATA_ASCII_HELP, Notification::Clicked);
  EXPECT_EQ(help.caption(), "ASCII table of padding characters");
  EXPECT_EQ(help.control(IDC_ASCII_BROWSER).text, "file://C:\\Program Files\\Tavolin\\Ascii.htm");
  EXPECT_EQ(data.getSettings().sPadChar, before.sPadChar);
  EXPECT_EQ(v.messages().size(), 0u);
}

TEST_F(Pages, SecondRangeBeforeThePageOpensComesFromTheLiveSettings) {
  live.settings.cardData.bSecondRange = true;
  EXPECT_TRUE(data.hasSecondRange());
  live.settings.cardData.bSecondRange = false;
  EXPECT_FALSE(data.hasSecondRange());
}

// --- additional characters page ---

TEST_F(Pages, PreviewWithoutSecondRange) {
  live.settings.addChars.sPostfix = "<CR>";
  View& v = openPFix();
  EXPECT_EQ(v.control(IDC_PFIX_PREVIEW).text, "<Data><CR>");
  EXPECT_EQ(v.control(IDC_PFIX_PREFIX).text, "");
  EXPECT_EQ(v.control(IDC_PFIX_PREFIX_TOKENS).items.size(), 14u);
  EXPECT_EQ(v.selection(IDC_PFIX_POSTFIX_TOKENS), "<CR>");
  EXPECT_EQ(v.control(IDC_PFIX_POSTFIX).font, "Courier New 16");
}

TEST_F(Pages, PreviewFollowsTheCardDataPage) {
  live.settings.addChars = {"ABC", ",", "<TAB>"};
  live.settings.cardData.sFixedLength = "no";
  live.settings.cardData.sReadStop = "8";
  View& d = openData();
  choose(data, d, IDC_DATA_START2, "9");
  choose(data, d, IDC_DATA_STOP2, "12");
  View& v = openPFix();
  EXPECT_EQ(v.control(IDC_PFIX_PREVIEW).text, "ABC<Data1>,<Data2><TAB>");
  choose(data, d, IDC_DATA_START2, "-");
  openPFix();
  EXPECT_EQ(v.control(IDC_PFIX_PREVIEW).text, "ABC<Data><TAB>");
}

TEST_F(Pages, PreviewShowsTextsAsTyped) {
  live.settings.cardData.bSecondRange = true;
  View& v = openPFix();
  type(pfix, v, IDC_PFIX_INTERFIX, "%s%d");
  type(pfix, v, IDC_PFIX_POSTFIX, "100%");
  EXPECT_EQ(v.control(IDC_PFIX_PREVIEW).text, "<Data1>%s%d<Data2>100%");
  EXPECT_FALSE(pfix.isChanged()) << "typing takes nothing";
}

TEST_F(Pages, OnlySelectionCompleteTakesTheTexts) {
  live.settings.addChars = {"P", "I", "X"};
  View& v = openPFix();
  type(pfix, v, IDC_PFIX_PREFIX, "new");
  EXPECT_FALSE(pfix.isChanged());
  EXPECT_EQ(pfix.getSettings().sPrefix, "P");
  for (std::int32_t id : {IDC_PFIX_PREFIX, IDC_PFIX_INTERFIX, IDC_PFIX_POSTFIX}) type(pfix, v, id, "");
  v.notify(pfix, IDC_PFIX_SELECTION_COMPLETE, Notification::Clicked);
  EXPECT_TRUE(pfix.isChanged());
  EXPECT_EQ(pfix.getSettings().sPrefix, "none");
  EXPECT_EQ(pfix.getSettings().sInterfix, "none");
  EXPECT_EQ(pfix.getSettings().sPostfix, "none");
}

TEST_F(Pages, AddAppendsTheTokenAtTheEndWithinTheLimit) {
  live.settings.addChars.sPostfix = "x";
  View& v = openPFix();
  choose(pfix, v, IDC_PFIX_POSTFIX_TOKENS, "<LF=Ctrl-ENTER>");
  v.notify(pfix, IDC_PFIX_POSTFIX_ADD, Notification::Clicked);
  EXPECT_EQ(v.control(IDC_PFIX_POSTFIX).text, "x<LF=Ctrl-ENTER>");
  EXPECT_EQ(v.control(IDC_PFIX_PREVIEW).text, "<Data>x<LF=Ctrl-ENTER>");

  type(pfix, v, IDC_PFIX_PREFIX, std::string(198, 'a'));
  v.notify(pfix, IDC_PFIX_PREFIX_ADD, Notification::Clicked);
  EXPECT_EQ(v.control(IDC_PFIX_PREFIX).text, std::string(198, 'a') + "<C");
  v.notify(pfix, IDC_PFIX_SELECTION_COMPLETE, Notification::Clicked);
  EXPECT_EQ(pfix.getSettings().sPrefix, std::string(198, 'a') + "<");
}

TEST_F(GermanPages, TextsOfTheGermanBuild) {
  click(com, openCom(), IDC_COM_CHANGE_SOUND);
  EXPECT_EQ(host.fileRequests, std::vector<std::string>{"WAV-Dateien (*.wav)|*.wav|Alle Dateien (*.*)|*.*|wav"});
  live.settings.cardData.sReadStop2 = "-";
  View& v = openData();
  EXPECT_EQ(v.control(IDC_DATA_LENGTH1).text, "ergibt die Leselänge von 14 Bytes.");
  EXPECT_EQ(v.control(IDC_DATA_LENGTH2).text, "Es wird kein 2. Lesebereich verwendet.");
  v.setItemText(IDC_DATA_PAD_CHAR, "G1");
  v.notify(data, IDC_DATA_PAD_CHAR, Notification::KillFocus);
  EXPECT_EQ(messages(v), std::vector<std::string>{"'G1' ist kein Hexzeichen.\nDie Voreinstellung 'Leerzeichen (20)' "
                                                  "wird eingetragen."});
  EXPECT_EQ(openPFix().control(IDC_PFIX_PREVIEW).text, "<Daten>");
}

// --- help and about ---

struct HelpCase {
  const char* name;
  std::int32_t language;
  const char* folder;
  const char* caption;
  const char* address;
};

class HelpDialog : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpDialog, OpensTheDocumentOfTheLanguageFromTheProgramFolder) {
  const HelpCase& c = GetParam();
  testing::FakeSystem system;
  testing::CapturedTrace captured;
  system.applicationPath = c.folder;
  UiLanguage language(c.language == UiLanguage::English ? 0x0409 : 0x0407);
  HTMLHelp help(language, system, captured.trace);
  MemoryDialogView view;
  help.attach(view);
  EXPECT_TRUE(help.OnInitDialog());
  EXPECT_EQ(view.caption(), c.caption);
  EXPECT_EQ(view.control(IDC_HELP_BROWSER).text, c.address);
  EXPECT_TRUE(view.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HelpDialog,
    ::testing::Values(HelpCase{"English", UiLanguage::English, "C:\\Programs\\Tool", "Elvor Tavolin Help",
                               "file://C:\\Programs\\Tool\\TavoHelp.mht"},
                      HelpCase{"German", UiLanguage::German, "C:\\Programs\\Tool", "Elvor Tavolin Hilfe",
                               "file://C:\\Programs\\Tool\\TavoHilfe.mht"},
                      HelpCase{"FolderWithBlanks", UiLanguage::English, "C:\\Program Files\\Elvor Tavolin",
                               "Elvor Tavolin Help", "file://C:\\Program Files\\Elvor Tavolin\\TavoHelp.mht"}),
    testing::NamedParam());

TEST(HelpDialogs, WithoutProgramFolderTheyReportAndStayOpen) {
  testing::FakeSystem system;
  testing::CapturedTrace captured;
  system.applicationPath.clear();
  system.error = 122;
  UiLanguage language(0x0409);
  HTMLHelp help(language, system, captured.trace);
  ASCIIHelp ascii(language, system, captured.trace);
  MemoryDialogView helpView, asciiView;
  help.attach(helpView);
  ascii.attach(asciiView);
  EXPECT_TRUE(help.OnInitDialog());
  EXPECT_TRUE(ascii.OnInitDialog());
  EXPECT_EQ(captured.text(), "HTMLHelp::OnInitDialog():GetModuleFileName() failed: 122\n"
                             "ASCIIHelp::OnInitDialog():getApplicationPath() failed\n");
  for (MemoryDialogView* view : {&helpView, &asciiView}) {
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text, "Online help file not found.");
    EXPECT_EQ(view->messages()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(view->messages()[0].caption, "");
  }
  EXPECT_EQ(helpView.control(IDC_HELP_BROWSER).text, "");
}

TEST(AboutDialogTest, ShowsProductAndVersion) {
  AboutDialog about;
  MemoryDialogView view;
  about.attach(view);
  EXPECT_TRUE(about.OnInitDialog());
  EXPECT_EQ(view.control(IDC_ABOUT_PRODUCT).text, "Elvor Tavolin");
  EXPECT_EQ(view.control(IDC_ABOUT_VERSION).text, "Version 2.10.00");
  EXPECT_EQ(view.control(IDC_ABOUT_VERSION).font, "MS Sans Serif 16");
}

}  // namespace
}  // namespace tavolin
