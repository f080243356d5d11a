#pragma once

#include <cstdint>

#include "processing/derived_records.h"

namespace tavolin {

// The special key tokens of the additional-character notation, in the
// order the additional characters page lists them.
class SpecialKeyTable {
 public:
  struct Row {
    const char* token;
    KeyCode code;
  };

  static std::int32_t rowCount();
  // The token of a row; nullptr outside the table.
  static const char* rowToken(std::int32_t row);
  static const Row* rows();
};

}  // namespace tavolin
