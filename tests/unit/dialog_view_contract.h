// What every DialogView keeps, whatever its toolkit: the lists' select-string rule, the edits'
// limit, the buttons' checks, which changes reach the presenter. Each view's test program makes its
// windows through a ViewKind and instantiates the suites of dialog_view_contract.cpp.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fakes/named_params.h"
#include "ui/dialog_view.h"

namespace tavolin::testing {

// One window of the view, made from a dialog's description, with the notifications it reported.
class ViewWindow {
 public:
  virtual ~ViewWindow() = default;
  virtual DialogView& view() = 0;
  // What the user does, where the view has one: a click, a list's next item by the keyboard, typing.
  virtual void click(std::int32_t id) = 0;
  virtual void chooseNext(std::int32_t id) = 0;
  virtual void type(std::int32_t id, const std::string& text) = 0;

  std::vector<std::pair<std::int32_t, Notification>> heard;
};

struct ViewKind {
  const char* name;
  std::function<std::unique_ptr<ViewWindow>(std::int32_t dialogId)> make;
};

inline void PrintTo(const ViewKind& kind, std::ostream* os) { *os << kind.name; }

// Every view; and the views that have a user.
class DialogViewContract : public ::testing::TestWithParam<ViewKind> {};
class UserInputContract : public ::testing::TestWithParam<ViewKind> {};

}  // namespace tavolin::testing
