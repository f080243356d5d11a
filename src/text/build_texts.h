#pragma once

namespace tavolin {

// The few messages that each language build fixes in its code rather
// than taking from the text table.
struct BuildTexts {
  const char* comPortBusy;          // " COM port busy."
  const char* comPortNotFound;      // " COM port not found."
  const char* noRavlinkReader;      // " No Ravlink reader?"
  const char* readerTypeActive;     // "Reader type: active sending"
  const char* parameterization;     // "\nParameterization "
  const char* readingLengthTooLong; // the reading length cannot be held by the reading buffer

  static const BuildTexts& english();
  static const BuildTexts& german();
};

}  // namespace tavolin
