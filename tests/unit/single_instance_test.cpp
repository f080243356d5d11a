#include "services/single_instance.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fakes/fake_system.h"
#include "fakes/recording_services.h"
#include "fakes/scripted_mutex.h"
#include "services/event_messages.h"

namespace tavolin {
namespace {

using Error = InstanceMutex::Creation::Error;

// The entries as the recording event log writes them, an error's with its
// message; the English build's texts, then the German one's.
TEST(SingleInstance, Outcomes) {
  const std::string u = "Unknown error from GetLastError(): ", running = "Elvor Tavolin is already running",
                    ends = ", therefore this Elvor Tavolin ends.";
  // clang-format off
  const std::tuple<bool, Error, std::uint32_t, int, const char*, std::string> cases[] = {
      {true, Error::None, 0, 0, nullptr, ""},
      {false, Error::AccessDenied, 0, 1, "4 warning", running + " with administration rights" + ends},
      {false, Error::Other, 0, 1, "6 error", "Exit, CreateMutex() failed: " + u + "1450l\n"},
      {true, Error::AlreadyExists, 0, 1, "5 warning", running + ends},
      {true, Error::Other, 0, 1, "6 error", "Exit, CreateMutex() succeeded, but GetLastError() set: " + u + "1450l\n"},
      {true, Error::None, 258, 2, "6 error", "Exit, created Mutex not signalled, WaitForSingleObject() returned: " + u +
       "258l\n."},
  };
  // clang-format on
  for (const auto& [created, error, wait, exitCode, entry, message] : cases) {
    testing::ScriptedMutex mutex;
    mutex.creation = {created, error, 1450, {}};
    mutex.waitResult = wait;
    testing::FakeSystem system;
    testing::RecordingEventLog log;
    const StartupDecision decision =
        settleSingleInstance(mutex, log.registerSource("Tavolin").get(), system, BuildTexts::english(), "maria");
    EXPECT_EQ(mutex.createdName, "Global\\TavolinMutex");
    EXPECT_EQ(decision.exitCode, exitCode) << message;
    EXPECT_EQ(decision.message, message);
    const std::string line = entry ? entry + std::string(": Elvor Tavolin|Version 2.10.00|maria") : "";
    EXPECT_EQ(log.entries(), entry ? std::vector<std::string>{line + (*entry == '6' ? "|" + message : "")}
                                   : std::vector<std::string>{});
  }
  testing::ScriptedMutex mutex;
  mutex.creation = {true, Error::AlreadyExists, 183, {}};
  testing::FakeSystem system;
  system.user.reset();
  testing::RecordingEventLog log;
  const auto source = log.registerSource("Tavolin");
  EXPECT_EQ(settleSingleInstance(mutex, source.get(), system, BuildTexts::german(), userNameOrUnknown(system)).message,
            "Elvor Tavolin l\xE4uft bereits. Deshalb beendet sich dieses Elvor Tavolin.");
  EXPECT_EQ(log.entries().at(0), "5 warning: Elvor Tavolin|Version 2.10.00|<unknown user name>");
  const StartupDecision event = eventCreationFailed(source.get(), system, "maria", 8);
  EXPECT_EQ(event.exitCode, 3);
  EXPECT_EQ(event.message, "Exit, CreateEvent() failed, GetLastError() set: " + u + "8l\n");
  EXPECT_EQ(log.entries().at(1).substr(0, 9), "9 error: ");
}

TEST(EventMessages, ExpandedTextsOfEveryEntry) {
  const std::string t = "Elvor Tavolin (Version 2.10.00) ",
                    second = " This second instance started by user maria ends.";
  const std::pair<std::uint32_t, std::string> entries[] = {
      // clang-format off
      {3, "Success: " + t.substr(0, 31) + " called by user maria reads on \\\\.\\COM1."},
      {4, t + "is already running with administration rights." + second},
      {5, t + "is already running." + second},
      {6, t + "called by user maria failed on mutex handling: \\\\.\\COM1"},
      {7, t + "called by maria failed to start the reading thread on \\\\.\\COM1"},
      {8, t + "information of reader connected to maria: \\\\.\\COM1"},
      {9, t + "called by user maria failed on event creation: \\\\.\\COM1"},
      {10, t + "ends. Reason: reading thread failed to communicate with maria"},
      // clang-format on
  };
  for (const auto& [id, text] : entries)
    EXPECT_EQ(expandEventMessage(id, {"Elvor Tavolin", "Version 2.10.00", "maria", "\\\\.\\COM1"}), text + "\r\n");
  EXPECT_EQ(expandEventMessage(5, {"A", "B"}),
            "A (B) is already running. This second instance started by user %3 ends.\r\n");
  EXPECT_EQ(eventMessageText(11), "");
}

}  // namespace
}  // namespace tavolin
