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
  const char* alreadyRunning;       // "%s is already running, therefore this %s ends."
  const char* alreadyRunningAdmin;  // "... with administration rights, therefore this %s ends."
  const char* communicationError;   // "Communication error with reader at %s.\n%s ends."

  static const BuildTexts& english();
  static const BuildTexts& german();
};

}  // namespace tavolin
