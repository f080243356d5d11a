// The settings store in a REGEDIT4 file on real files and permissions.
#include "platform/linux/registry_linux.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>

#include "fakes/memory_text_file.h"
#include "platform/linux/registry_file.h"
#include "processing/settings_store.h"
#include "unit/registry_file_check.h"

namespace tavolin {
namespace {

const char kKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin";

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class RegistryLinuxTest : public ::testing::Test {
 protected:
  RegistryLinuxTest() { chmod(root.c_str(), 0755); }
  ~RegistryLinuxTest() override {
    chmod(folder.c_str(), 0755);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  void writeFile(const std::string& text) {
    mkdir(folder.c_str(), 0755);
    std::ofstream(file, std::ios::binary) << text;
  }

  std::string root = mkdtemp(std::string("/tmp/tavolin-registry-XXXXXX").data()), folder = root + "/brellmark",
              file = folder + "/tavolin.reg";
  testing::CapturedTrace captured;
  LinuxRegistry registry{file, captured.trace};
  SettingsStore store{registry, captured.trace, defaultSettings("/opt/tavolin", '/')};
  ComSettings com;
};

// The first start makes the folder and the file; a text is written with
// its quotes and backslashes escaped.
TEST_F(RegistryLinuxTest, FirstStartCreatesFolderFileAndValues) {
  EXPECT_TRUE(store.LoadComSettings(com));  // may be saved
  EXPECT_EQ(read(file).rfind(std::string("REGEDIT4\n\n[") + kKey + "]\n\"COM\"=\"2\"\n", 0), 0u) << read(file);
  struct stat info {};
  EXPECT_TRUE(stat(file.c_str(), &info) == 0 && (info.st_mode & 0777) == 0644);
  com.sSoundFile = "C:\\Sounds\\\"Gr\xFC\xDF\"e.wav";  // Windows-1252
  ASSERT_TRUE(store.SaveComSettings(com));
  EXPECT_NE(read(file).find("\"Sound file\"=\"C:\\\\Sounds\\\\\\\"Gr\xFC\xDF\\\"e.wav\"\n"), std::string::npos);
}

// A file as Windows' registry editor exports it (REGEDIT4, CR LF), with
// values of other types, another key and lines that cannot be read: what
// can be read is read (names in any case), and the rest is reported.
TEST_F(RegistryLinuxTest, WindowsExportIsRead) {
  writeFile(
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin]\r\n\"com\"=\"3\"\r\ngarbage here\r\n"  // lines 5 to 7
      "\"Speed\"=dword:00004b00\r\n\"Data bits\"=dword:xyz\r\n\"Stop bits\"=\"unterminated\r\n"
      "\"Parity\"=\"ungerade\"\r\n\"Blob\"=hex:01,02,03,\\\r\n  04,05\r\n"
      "\"Prefix characters\"=hex(1):3c,54,41,42,3e,00\r\n\"Postfix characters\"=\"<CR>\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"COM\"=\"99\"\r\n");
  AddCharsSettings addChars;
  store.LoadComSettings(com);
  store.LoadAddCharsSettings(addChars);
  EXPECT_EQ(com.sCom.text() + com.sParity.text() + addChars.sPrefix.text() + addChars.sPostfix.text(), "3odd<TAB><CR>");
  EXPECT_EQ(com.sStopBits, Settings{}.com.sStopBits);
  const std::string trace = captured.text();
  EXPECT_NE(trace.find("Speed ke\xedn REG_SZ - Fehler\n"), std::string::npos);  // a dword is not a text
  std::set<std::string> unreadable;                                             // said each time the file is read
  for (std::size_t at = 0; (at = trace.find("nicht lesbar", at)) != trace.npos; ++at)
    unreadable.insert(trace.substr(at, trace.find('\n', at) - at));
  EXPECT_EQ(unreadable, (std::set<std::string>{"nicht lesbar, line 7: garbage here",
                                               "nicht lesbar, line 9: \"Data bits\"=dword:xyz",
                                               "nicht lesbar, line 10: \"Stop bits\"=\"unterminated"}));
}

// The lines regedit writes are read; numbers are hexadecimal digits and
// nothing else (no sign, no blank, no zero byte within).
TEST(RegistryFileTest, ValueLines) {
  const std::string zero(1, '\0');
  // clang-format off
  const std::tuple<std::string, std::uint32_t, std::string> cases[] = {  // the type 0: unreadable
      {"\"D\"=dword:0000000a", 4, "\x0a" + zero + zero + zero}, {"\"B\"=hex:ff,00", 3, "\xff" + zero},
      {"\"X\"=hex(2):41,00", 2, "A" + zero}, {"@=\"x\"", 1, "x"}, {"\"D\"=dword:-1", 0, ""}, {"\"D\"=dword: 1", 0, ""},
      {"\"D\"=dword:1" + zero + "x", 0, ""}, {"\"B\"=hex:01,+2", 0, ""}, {"\"X\"=hex(-2):41", 0, ""},
  };
  // clang-format on
  for (const auto& [line, type, data] : cases) {
    RegistryFile content(kKey);
    std::vector<std::string> problems;
    content.parse(std::string("[") + kKey + "]\n" + line + "\n", problems);
    const RegistryFile::Value* value = content.find(line[0] == '@' ? "" : line.substr(1, 1));
    EXPECT_TRUE(problems.size() == (type ? 0u : 1u) && (value ? value->type : 0u) == type) << line;
    EXPECT_EQ(value ? value->data : "", data) << line;
  }
}

// Whatever the file held before, a value written reads back (also one with
// quotes, a line end and a backslash at its end), and every other line of
// the file stays as it was; more files in the fuzz target's corpus.
TEST(RegistryFileTest, WrittenValuesReadBackAndOtherLinesAreKept) {
  const std::string head = std::string("REGEDIT4\n\n[") + kKey + "]\n", other = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]";
  // clang-format off
  for (const std::string& before : {
      head + "\"Blob\"=hex:01,\\\n\n" + other + "\n\"X\"=\"9\"\n",  // continued, then blank
      std::string("REGEDIT4\r\n\r\n[") + kKey + "]\r\n\"COM\"=\"3\"\r\n"
          "\"Blob\"=hex:01,\\\r\n  02\r\n\"B2\"=hex:03,\\\r\n",
      std::string("REGEDIT4\n; head\n[") + kKey + "]\n; about COM\n\"COM\"=\"3\"\n; in C:\\Sounds\\\n",
      head + "\"COM\"=\"3\"\ngarbage\n\"Speed\"=\"unterminated\n\"X\"=dword:xyz\\\n",  // unreadable lines
      head + "\n" + other + "\n\"X\"=\"9\"\n",  // the key's section empty
      "REGEDIT4\n\n" + other + "\n\"X\"=hex:01,\\\n",  // the key missing, another continued
      std::string("REGEDIT4")}) {
    // clang-format on
    EXPECT_EQ(testing::checkWrittenFile(kKey, before,
                                        {{"Sound file", "\"Gr\xFC\xDF\"\r\nC:\\Sounds\\"}, {"COM", "/dev/ttyUSB0"}}),
              "");
  }
}

// Two programs saving at once each read the file under the save lock, so
// neither loses the other's change; copies left by a killed save go.
TEST_F(RegistryLinuxTest, SavesAtOnceLoseNothing) {
  writeFile(std::string("REGEDIT4\n\n[") + kKey + "]\n");
  std::ofstream(folder + "/.tavolin.reg.Ab12Cd") << "left by a save that was killed";
  for (const char who : {'A', 'B'}) {
    if (fork() != 0) continue;
    std::unique_ptr<RegistryKey> key;
    for (int i = 0; i < 50; ++i) {
      if (registry.openKey(SettingsStore::keyPath, RegistryApi::KEY_WRITE_ACCESS, key) ||
          key->setValue(who + std::to_string(i), std::to_string(i))) {
        _exit(1);
      }
    }
    _exit(0);
  }
  for (int status = 0, children = 0; children < 2; ++children)
    EXPECT_TRUE(wait(&status) > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string text = read(file);
  for (int i = 0; i < 100; ++i) {
    const std::string n = std::to_string(i % 50), line = "\"" + std::string(1, "AB"[i / 50]) + n + "\"=\"" + n + "\"\n";
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_FALSE(std::filesystem::exists(folder + "/.tavolin.reg.Ab12Cd"));
}

// A write that fails leaves the file as it was, here when the folder
// refuses the temporary file after the key was opened for writing (by an
// unprivileged user, where permissions count: root may write anything).
TEST_F(RegistryLinuxTest, RefusedWriteLeavesTheFileAsItWas) {
  writeFile(std::string("REGEDIT4\n\n[") + kKey + "]\n\"COM\"=\"7\"\n\"Speed\"=\"19200\"\n");
  if (geteuid() == 0) {
    ASSERT_TRUE(chown(folder.c_str(), 65534, 65534) == 0 && chown(file.c_str(), 65534, 65534) == 0);
  }
  const pid_t child = fork();
  if (child == 0) {
    std::unique_ptr<RegistryKey> key;
    _exit((geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) ||
          registry.openKey(SettingsStore::keyPath, RegistryApi::KEY_WRITE_ACCESS, key) != 0 ||
          key->setValue("COM", "5") != 0 || chmod(folder.c_str(), 0555) != 0 ||  // then the folder is closed
          key->setValue("Speed", "300") != win32_error::AccessDenied);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const std::string after = read(file);
  EXPECT_TRUE(after.find("\"COM\"=\"5\"\n") != after.npos && after.find("\"Speed\"=\"19200\"\n") != after.npos)
      << after;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);  // no temporary file left
}

}  // namespace
}  // namespace tavolin
