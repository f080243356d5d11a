#include "services/single_instance.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"
#include "fakes/recording_services.h"
#include "fakes/scripted_mutex.h"
#include "services/event_messages.h"

namespace tavolin {
namespace {

using Error = InstanceMutex::Creation::Error;

// The entries as the recording event log writes them; the English build's texts.
TEST(SingleInstance, Outcomes) {
  const struct {
    bool created;
    Error error;
    std::uint32_t wait;
    int exitCode;
    const char *entry, *message;
  } cases[] = {
      // clang-format off
      {true, Error::None, 0, 0, nullptr, ""},
      {false, Error::AccessDenied, 0, 1, "4 warning: Elvor Tavolin|Version 2.10.00|maria",
       "Elvor Tavolin is already running with administration rights, therefore this Elvor Tavolin ends."},
      {false, Error::Other, 0, 1,
       "6 error: Elvor Tavolin|Version 2.10.00|maria|Exit, CreateMutex() failed: Unknown error from GetLastError(): 1450l\n",
       "Exit, CreateMutex() failed: Unknown error from GetLastError(): 1450l\n"},
      {true, Error::AlreadyExists, 0, 1, "5 warning: Elvor Tavolin|Version 2.10.00|maria",
       "Elvor Tavolin is already running, therefore this Elvor Tavolin ends."},
      {true, Error::Other, 0, 1,
       "6 error: Elvor Tavolin|Version 2.10.00|maria|Exit, CreateMutex() succeeded, but GetLastError() set: Unknown error from GetLastError(): 1450l\n",
       "Exit, CreateMutex() succeeded, but GetLastError() set: Unknown error from GetLastError(): 1450l\n"},
      {true, Error::None, 258, 2,
       "6 error: Elvor Tavolin|Version 2.10.00|maria|Exit, created Mutex not signalled, WaitForSingleObject() returned: Unknown error from GetLastError(): 258l\n.",
       "Exit, created Mutex not signalled, WaitForSingleObject() returned: Unknown error from GetLastError(): 258l\n."},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    testing::ScriptedMutex mutex;
    mutex.creation = {c.created, c.error, 1450, {}};
    mutex.waitResult = c.wait;
    testing::FakeSystem system;
    testing::RecordingEventLog log;
    const auto source = log.registerSource("Tavolin");
    const StartupDecision decision = settleSingleInstance(mutex, source.get(), system, BuildTexts::english(), "maria");
    EXPECT_EQ(mutex.createdName, "Global\\TavolinMutex");
    EXPECT_EQ(decision.exitCode, c.exitCode);
    EXPECT_EQ(decision.message, c.message);
    EXPECT_EQ(log.entries(), c.entry ? std::vector<std::string>{c.entry} : std::vector<std::string>{});
  }
}

TEST(SingleInstance, GermanBuildUnknownUserAndNoEvent) {
  testing::ScriptedMutex mutex;
  mutex.creation = {true, Error::AlreadyExists, 183, {}};
  testing::FakeSystem system;
  system.user.reset();
  testing::RecordingEventLog log;
  const auto source = log.registerSource("Tavolin");
  const StartupDecision decision =
      settleSingleInstance(mutex, source.get(), system, BuildTexts::german(), userNameOrUnknown(system));
  EXPECT_EQ(decision.message, "Elvor Tavolin l\xE4uft bereits. Deshalb beendet sich dieses Elvor Tavolin.");
  EXPECT_EQ(log.entries().at(0), "5 warning: Elvor Tavolin|Version 2.10.00|<unknown user name>");

  const StartupDecision event = eventCreationFailed(source.get(), system, "maria", 8);
  EXPECT_EQ(event.exitCode, 3);
  EXPECT_EQ(event.message, "Exit, CreateEvent() failed, GetLastError() set: Unknown error from GetLastError(): 8l\n");
  EXPECT_EQ(log.entries().at(1).substr(0, 9), "9 error: ");
}

TEST(EventMessages, ExpandedTextsOfEveryEntry) {
  const std::vector<std::string> s = {"Elvor Tavolin", "Version 2.10.00", "maria", "\\\\.\\COM1"};
  const std::pair<std::uint32_t, const char*> entries[] = {
      {3, "Success: Elvor Tavolin (Version 2.10.00) called by user maria reads on \\\\.\\COM1.\r\n"},
      {4,
       "Elvor Tavolin (Version 2.10.00) is already running with administration rights. This second instance "
       "started by user maria ends.\r\n"},
      {5, "Elvor Tavolin (Version 2.10.00) is already running. This second instance started by user maria ends.\r\n"},
      {6, "Elvor Tavolin (Version 2.10.00) called by user maria failed on mutex handling: \\\\.\\COM1\r\n"},
      {7, "Elvor Tavolin (Version 2.10.00) called by maria failed to start the reading thread on \\\\.\\COM1\r\n"},
      {8, "Elvor Tavolin (Version 2.10.00) information of reader connected to maria: \\\\.\\COM1\r\n"},
      {9, "Elvor Tavolin (Version 2.10.00) called by user maria failed on event creation: \\\\.\\COM1\r\n"},
      {10, "Elvor Tavolin (Version 2.10.00) ends. Reason: reading thread failed to communicate with maria\r\n"},
  };
  for (const auto& [id, text] : entries) EXPECT_EQ(expandEventMessage(id, s), text) << id;
  EXPECT_EQ(expandEventMessage(5, {"A", "B"}),
            "A (B) is already running. This second instance started by user %3 ends.\r\n");
  EXPECT_EQ(eventMessageText(11), "");
}

}  // namespace
}  // namespace tavolin
