#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tavolin::testing {

// Table rows of parameterised tests carry a name; the test is named after it.
struct NamedParam {
  template <typename Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return info.param.name;
  }
};

}  // namespace tavolin::testing

// A failing row prints its name. The rows live in the test files' unnamed
// namespace inside tavolin, where argument-dependent lookup finds this.
namespace tavolin {
namespace {
template <typename Row, typename = decltype(Row::name)>
std::ostream& operator<<(std::ostream& os, const Row& row) {
  return os << row.name;
}
}  // namespace
}  // namespace tavolin
