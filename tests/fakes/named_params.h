#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tavolin::testing {

// Table rows of parameterised tests carry a name; the test is named after
// it and prints it.
struct NamedParam {
  template <typename Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return info.param.name;
  }
};

}  // namespace tavolin::testing

namespace tavolin {

template <typename Row, typename = decltype(Row::name)>
void PrintTo(const Row& row, std::ostream* os) {
  *os << row.name;
}

}  // namespace tavolin
