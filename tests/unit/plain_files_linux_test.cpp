// The files that hold card numbers, and the lock, on real files: never
// written through a link or into a pipe someone put at their name, and
// their owner's alone.
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

class PlainFiles : public ::testing::Test {
 protected:
  PlainFiles() : folder(fs::temp_directory_path() / ("tavolin-plain-" + std::to_string(::getpid()))) {
    fs::create_directories(folder);
  }
  ~PlainFiles() override {
    ::unsetenv("TAVOLIN_EVENTLOG");
    fs::remove_all(folder);
  }

  // Each way the program writes a file of its own: whether it wrote, and
  // what it said when it did not.
  struct Writer {
    const char* name;
    std::function<bool(const std::string& path, std::string& said)> write;
  };
  static std::vector<Writer> writers() {
    const auto textFile = [](System::FileMode mode) {
      return [mode](const std::string& path, std::string& said) {
        ::testing::internal::CaptureStderr();
        auto file = LinuxSystem().openTextFile(path, mode);
        if (file) file->write("01.02.2014 09:05:03: data: 12345678\n");
        said = ::testing::internal::GetCapturedStderr();
        return file != nullptr;
      };
    };
    return {
        {"trace", textFile(System::FileMode::Replace)},
        {"data log", textFile(System::FileMode::Append)},
        {"event log",
         [](const std::string& path, std::string& said) {
           testing::CapturedTrace captured;
           LinuxEventLog log(captured.trace);
           ::setenv("TAVOLIN_EVENTLOG", path.c_str(), 1);
           ::testing::internal::CaptureStderr();
           log.registerSource("Tavolin")->report(EventLog::Type::Information, 3, {"Elvor Tavolin", "V", "maria", "x"});
           ::testing::internal::GetCapturedStderr();
           said = captured.text();
           return said.empty();
         }},
        {"lock",
         [](const std::string& path, std::string& said) {
           LockFileMutex lock(path);
           const InstanceMutex::Creation creation = lock.create("Global\\TavolinMutex");
           said = creation.problem;
           return creation.created;
         }},
    };
  }

  fs::path folder;
};

// A link is neither followed nor replaced, a pipe never waited on, and
// each refusal says what stood there.
TEST_F(PlainFiles, LinksAndPipesAreRefusedAndSaid) {
  const fs::path victim = folder / "victim", path = folder / "planted";
  for (const Writer& writer : writers()) {
    for (const bool link : {true, false}) {
      const std::string what = std::string(writer.name) + (link ? " at a link" : " at a pipe");
      std::ofstream(victim) << "untouched";
      if (link) {
        fs::create_symlink(victim, path);
      } else {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
      }
      std::string said;
      EXPECT_FALSE(writer.write(path.string(), said)) << what;
      EXPECT_NE(said.find(link ? "it is a symbolic link, not a plain file" : "it is a named pipe, not a plain file"),
                std::string::npos)
          << what << ": " << said;
      EXPECT_NE(said.find(path.string()), std::string::npos) << what << ": " << said;
      EXPECT_EQ(read(victim), "untouched") << what;
      EXPECT_EQ(fs::symlink_status(path).type(), link ? fs::file_type::symlink : fs::file_type::fifo) << what;
      fs::remove(path);
    }
  }
}

// Whatever the umask, a file the program creates, and a trace file of the
// user's that others could read, are the owner's alone.
TEST_F(PlainFiles, OwnerAloneWhateverTheUmask) {
  const mode_t before = ::umask(022);
  for (const Writer& writer : writers()) {
    if (std::string(writer.name) == "lock") continue;  // every user opens the lock
    for (const bool existing : {false, true}) {
      const fs::path path = folder / (std::string(writer.name) + (existing ? ".old" : ".new"));
      if (existing) {
        std::ofstream(path) << "old";
        fs::permissions(path, fs::perms(0644));
      }
      std::string said;
      EXPECT_TRUE(writer.write(path.string(), said)) << writer.name << ": " << said;
      struct stat info {};
      ASSERT_EQ(::stat(path.c_str(), &info), 0) << writer.name;
      EXPECT_EQ(info.st_mode & 07777, 0600u) << writer.name << (existing ? " (existing)" : " (new)");
    }
  }
  const fs::path lock = folder / "TavolinMutex";
  std::string said;
  EXPECT_TRUE(writers().back().write(lock.string(), said)) << said;
  EXPECT_EQ(fs::status(lock).permissions(), fs::perms(0666)) << "the one lock of every user";
  ::umask(before);
}

}  // namespace
}  // namespace tavolin
