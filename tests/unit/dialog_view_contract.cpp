#include "dialog_view_contract.h"

#include "resource_ids.h"

namespace tavolin::testing {
namespace {

using Heard = std::vector<std::pair<std::int32_t, Notification>>;
constexpr auto kEditChange = Notification::EditChange;

struct SelectCase {
  std::vector<std::string> items;
  const char* text;
  std::int32_t found;
};

const std::vector<std::string> kSpeeds{"300", "1200", "2400", "4800", "9600", "14400", "19200"};
const std::vector<std::string> kFlow{"none", "Xon/Xoff", "Hardware"};

// The first item that begins with the text, ignoring the case of A to Z
// only; without one the selection stays. Each list is filled anew and has
// no selection until one is made.
TEST_P(DialogViewContract, ListsSelectTheFirstItemBeginningWithTheText) {
  const std::unique_ptr<ViewWindow> window = GetParam().make(IDD_ATTR_DATA);
  DialogView& v = window->view();
  for (const SelectCase& c : std::vector<SelectCase>{{kSpeeds, "9600", 4},
                                                      {kSpeeds, "1", 1},
                                                      {kFlow, "xON", 1},
                                                      {kFlow, "none ", -1},
                                                      {kSpeeds, "110", -1},
                                                      {kFlow, "", 0},
                                                      {{"{", "["}, "[", 1},
                                                      {{"\xe4", "\xc4"}, "\xc4", 1}}) {
    v.resetContent(IDC_DATA_DIGITS);
    for (const std::string& item : c.items) v.addString(IDC_DATA_DIGITS, item);
    EXPECT_EQ(v.selectedText(IDC_DATA_DIGITS), "") << c.text;
    v.setCurSel(IDC_DATA_DIGITS, 0);
    EXPECT_EQ(v.selectString(IDC_DATA_DIGITS, c.text), c.found) << c.text;
    EXPECT_EQ(v.selectedText(IDC_DATA_DIGITS), c.items[c.found < 0 ? 0 : c.found]) << c.text;
  }
  v.setCurSel(IDC_DATA_DIGITS, -1);
  EXPECT_EQ(v.selectedText(IDC_DATA_DIGITS), "");
}

// Text goes in at the end; the limit cuts what does not fit.
TEST_P(DialogViewContract, AppendedTextKeepsToTheEditsLimit) {
  const std::unique_ptr<ViewWindow> window = GetParam().make(IDD_ATTR_PFIX);
  DialogView& v = window->view();
  v.limitText(IDC_PFIX_PREFIX, 5);
  v.setItemText(IDC_PFIX_PREFIX, "abc");
  v.appendText(IDC_PFIX_PREFIX, "<CR>");
  v.appendText(IDC_PFIX_PREFIX, "x");
  EXPECT_EQ(v.getItemText(IDC_PFIX_PREFIX), "abc<C");
  v.setItemText(IDC_PFIX_POSTFIX, "a");
  v.appendText(IDC_PFIX_POSTFIX, "bc");
  EXPECT_EQ(v.getItemText(IDC_PFIX_POSTFIX), "abc");
}

// The program's own checks and selections are no clicks and no choices; a
// change of an edit's text is heard whoever made it. The program can take
// the check of a group's checked radio button away.
TEST_P(DialogViewContract, TheProgramsChangesAreHeardOnlyAsEditChanges) {
  const std::unique_ptr<ViewWindow> window = GetParam().make(IDD_ATTR_DATA);
  DialogView& v = window->view();
  v.checkItem(IDC_DATA_FIXED_LENGTH, true);
  v.checkItem(IDC_DATA_BYTEWISE, true);
  v.checkItem(IDC_DATA_NIBBELWISE, true);
  v.addString(IDC_DATA_DIGITS, "1");
  v.addString(IDC_DATA_DIGITS, "2");
  v.selectString(IDC_DATA_DIGITS, "2");
  v.setCurSel(IDC_DATA_DIGITS, 0);
  v.setItemText(IDC_DATA_PAD_CHAR, "2");
  v.appendText(IDC_DATA_PAD_CHAR, "0");
  EXPECT_EQ(window->heard, (Heard{{IDC_DATA_PAD_CHAR, kEditChange}, {IDC_DATA_PAD_CHAR, kEditChange}}));
  EXPECT_TRUE(v.isChecked(IDC_DATA_FIXED_LENGTH) && v.isChecked(IDC_DATA_NIBBELWISE));
  v.checkItem(IDC_DATA_NIBBELWISE, false);
  EXPECT_FALSE(v.isChecked(IDC_DATA_NIBBELWISE));
}

// The in-memory view has no user.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(UserInputContract);

// A click on a radio button unchecks the others of its group only.
TEST_P(UserInputContract, TheUsersClicksChoicesAndTypingAreHeard) {
  const std::unique_ptr<ViewWindow> window = GetParam().make(IDD_ATTR_DATA);
  DialogView& v = window->view();
  v.checkItem(IDC_DATA_BYTEWISE, true);
  v.checkItem(IDC_DATA_FORWARD, true);
  v.addString(IDC_DATA_DIGITS, "1");
  v.addString(IDC_DATA_DIGITS, "2");
  v.setCurSel(IDC_DATA_DIGITS, 0);
  window->click(IDC_DATA_FIXED_LENGTH);
  window->click(IDC_DATA_LOWNIBBEL);
  window->chooseNext(IDC_DATA_DIGITS);
  window->type(IDC_DATA_PAD_CHAR, "4a");
  EXPECT_EQ(window->heard, (Heard{{IDC_DATA_FIXED_LENGTH, Notification::Clicked},
                                  {IDC_DATA_LOWNIBBEL, Notification::Clicked},
                                  {IDC_DATA_DIGITS, Notification::SelectionChange},
                                  {IDC_DATA_PAD_CHAR, kEditChange},
                                  {IDC_DATA_PAD_CHAR, kEditChange}}));
  EXPECT_TRUE(v.isChecked(IDC_DATA_FIXED_LENGTH));
  EXPECT_FALSE(v.isChecked(IDC_DATA_BYTEWISE));
  EXPECT_TRUE(v.isChecked(IDC_DATA_FORWARD)) << "another group's button was unchecked";
  EXPECT_EQ(v.selectedText(IDC_DATA_DIGITS), "2");
  EXPECT_EQ(v.getItemText(IDC_DATA_PAD_CHAR), "4a");
}

}  // namespace
}  // namespace tavolin::testing
