#include "services/event_log.h"

namespace tavolin {

void reportReaderInfo(EventLog& eventLog, const std::string& devicePath, const std::string& text) {
  std::unique_ptr<EventLog::Source> source = eventLog.registerSource(kEventSourceName);
  if (!source) return;
  source->report(EventLog::Type::Information, event_id::ReaderInfo, {kProductCaption, kVersionText, devicePath, text});
}

}  // namespace tavolin
