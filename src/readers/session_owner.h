#pragma once

#include <cstdint>
#include <string>


namespace tavolin {

// The fields of the main window that the sessions fill.
enum DisplayField : std::int32_t {
  DisplayReading = 1,
  DisplayTotalLength = 2,
  DisplayReadingCount = 3,
  DisplayLengthWarning = 4,
  DisplayReaderInfo = 5,
};

// What a reader session needs of the main window: the one sink of its
// readings, and the display of counts and messages. The calls come from
// the reading thread (reader information: from the constructor) and never
// wait for the user-interface thread.
class SessionOwner {
 public:
  virtual ~SessionOwner() = default;
  // An accepted reading: typed, or in test mode shown with its length.
  virtual void takeReading(const char* reading, std::int32_t length, bool testMode) = 0;
  virtual void ShowCounter(std::int32_t field, std::int32_t value) = 0;
  virtual void ShowMessage(std::int32_t field, const std::string& text, std::int32_t expected,
                           std::int32_t received) = 0;
};

}  // namespace tavolin
