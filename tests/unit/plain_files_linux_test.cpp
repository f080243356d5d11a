// The files that hold card numbers, and the lock, on real files: never
// written through a link or into a pipe someone put at their name.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "fakes/memory_text_file.h"
#include "platform/linux/event_log_linux.h"
#include "platform/linux/instance_lock_linux.h"
#include "platform/linux/system_linux.h"

namespace tavolin {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Each way the program writes a file of its own: whether it wrote, and
// what it said when it did not.
using Writer = std::function<bool(const std::string& path, std::string& said)>;

Writer textFile(System::FileMode mode) {
  return [mode](const std::string& path, std::string& said) {
    ::testing::internal::CaptureStderr();
    auto file = LinuxSystem().openTextFile(path, mode);
    if (file) file->write("01.02.2014 09:05:03: data: 12345678\n");
    said = ::testing::internal::GetCapturedStderr();
    return file != nullptr;
  };
}

bool eventLog(const std::string& path, std::string& said) {
  testing::CapturedTrace captured;
  LinuxEventLog log(captured.trace);
  ::setenv("TAVOLIN_EVENTLOG", path.c_str(), 1);
  ::testing::internal::CaptureStderr();
  log.registerSource("Tavolin")->report(EventLog::Type::Information, 3, {"Elvor Tavolin", "V", "maria", "x"});
  ::testing::internal::GetCapturedStderr();
  ::unsetenv("TAVOLIN_EVENTLOG");
  said = captured.text();
  return said.empty();
}

bool lock(const std::string& path, std::string& said) {
  LockFileMutex lock(path);
  const InstanceMutex::Creation creation = lock.create("Global\\TavolinMutex");
  said = creation.problem;
  return creation.created;
}

// A link is neither followed nor replaced, a pipe never waited on, and
// each refusal says what stood there.
TEST(PlainFiles, LinksAndPipesAreRefusedAndSaid) {
  const fs::path folder = fs::temp_directory_path() / ("tavolin-plain-" + std::to_string(::getpid()));
  const fs::path victim = folder / "victim", path = folder / "planted";
  fs::create_directories(folder);
  const std::pair<const char*, Writer> writers[] = {{"trace", textFile(System::FileMode::Replace)},
                                                    {"data log", textFile(System::FileMode::Append)},
                                                    {"event log", eventLog},
                                                    {"lock", lock}};
  for (const auto& [name, write] : writers) {
    for (const bool link : {true, false}) {
      const std::string what = std::string(name) + (link ? " at a link" : " at a pipe");
      std::ofstream(victim) << "untouched";
      if (link) {
        fs::create_symlink(victim, path);
      } else {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
      }
      std::string said;
      EXPECT_FALSE(write(path.string(), said)) << what;
      const char* kind = link ? "it is a symbolic link, not a plain file" : "it is a named pipe, not a plain file";
      EXPECT_TRUE(said.find(kind) != said.npos && said.find(path.string()) != said.npos) << what << ": " << said;
      EXPECT_EQ(read(victim), "untouched") << what;
      EXPECT_EQ(fs::symlink_status(path).type(), link ? fs::file_type::symlink : fs::file_type::fifo) << what;
      fs::remove(path);
    }
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace tavolin
