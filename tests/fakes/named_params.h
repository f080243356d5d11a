#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// Table rows carry a name: the test is named after it and a failing row prints it (the printer is
// found by argument-dependent lookup from the test files' unnamed namespace inside tavolin).
namespace tavolin {
namespace testing {
struct NamedParam {
  template <typename Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return info.param.name;
  }
};
}  // namespace testing
namespace {
template <typename Row, typename = decltype(Row::name)>
std::ostream& operator<<(std::ostream& os, const Row& row) {
  return os << row.name;
}
}  // namespace
}  // namespace tavolin
