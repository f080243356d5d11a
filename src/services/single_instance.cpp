#include "services/single_instance.h"

#include <cstdio>

namespace tavolin {

namespace {

// A message with one text in it.
std::string fill(const char* format, const std::string& text) {
  char message[1024];
  std::snprintf(message, sizeof message, format, text.c_str());
  return message;
}

// The "already running" messages name the product twice.
std::string fillTwice(const char* format, const std::string& text) {
  char message[1024];
  std::snprintf(message, sizeof message, format, text.c_str(), text.c_str());
  return message;
}

StartupDecision end(EventLog::Source* source, EventLog::Type type, std::uint32_t id, const std::string& userName,
                    std::string message, bool withMessage, int exitCode) {
  std::vector<std::string> strings = {kProductCaption, kVersionText, userName};
  if (withMessage) strings.push_back(message);
  if (source) source->report(type, id, strings);
  return {exitCode, std::move(message)};
}

}  // namespace

std::string userNameOrUnknown(System& system) {
  const std::optional<std::string> name = system.userName();
  return name && !name->empty() ? *name : kUnknownUserName;
}

StartupDecision settleSingleInstance(InstanceMutex& mutex, EventLog::Source* source, System& system,
                                     const BuildTexts& texts, const std::string& userName) {
  using Error = InstanceMutex::Creation::Error;
  const InstanceMutex::Creation creation = mutex.create(kMutexName);
  // A refusal of the platform's own (a lock file that is no plain file)
  // has no system code: its problem says it all.
  const auto errorText = [&] {
    if (creation.code == 0 && !creation.problem.empty()) return creation.problem + "\n";
    const std::string text = system.getErrorText(creation.code);
    return creation.problem.empty() ? text : creation.problem + ": " + text;
  };
  if (!creation.created && creation.error == Error::AccessDenied) {
    return end(source, EventLog::Type::Warning, event_id::RunningWithAdminRights, userName,
               fillTwice(texts.alreadyRunningAdmin, kProductCaption), false, 1);
  }
  if (!creation.created) {
    return end(source, EventLog::Type::Error, event_id::MutexFailed, userName,
               fill("Exit, CreateMutex() failed: %s", errorText()), true, 1);
  }
  if (creation.error == Error::AlreadyExists) {
    return end(source, EventLog::Type::Warning, event_id::AlreadyRunning, userName,
               fillTwice(texts.alreadyRunning, kProductCaption), false, 1);
  }
  if (creation.error != Error::None) {
    return end(source, EventLog::Type::Error, event_id::MutexFailed, userName,
               fill("Exit, CreateMutex() succeeded, but GetLastError() set: %s", errorText()), true, 1);
  }
  if (const std::uint32_t wait = mutex.tryAcquire(); wait != 0) {
    return end(source, EventLog::Type::Error, event_id::MutexFailed, userName,
               fill("Exit, created Mutex not signalled, WaitForSingleObject() returned: %s.", system.getErrorText(wait)),
               true, 2);
  }
  return {};
}

StartupDecision eventCreationFailed(EventLog::Source* source, System& system, const std::string& userName,
                                    std::uint32_t error) {
  return end(source, EventLog::Type::Error, event_id::EventCreationFailed, userName,
             fill("Exit, CreateEvent() failed, GetLastError() set: %s", system.getErrorText(error)), true, 3);
}

}  // namespace tavolin
