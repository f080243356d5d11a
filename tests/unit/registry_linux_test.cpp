// The settings store in a REGEDIT4 file on real files and permissions.
#include "platform/linux/registry_linux.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>

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

// The settings of a file; load() answers whether they may be saved.
struct FileStore {
  FileStore(const std::string& path, Trace& trace, Settings defaults = Settings{})
      : registry(path, trace), store(registry, trace, std::move(defaults)) {}
  bool load() { return store.LoadComSettings(com); }
  LinuxRegistry registry;
  SettingsStore store;
  ComSettings com;
};

// Runs the check as an unprivileged user, where permissions count (also
// for root, who may write anything).
bool asUnprivilegedUser(const std::function<bool()>& check) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class RegistryLinuxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavolin-registry-XXXXXX";
    m_sRoot = mkdtemp(pattern);
    chmod(m_sRoot.c_str(), 0755);
    folder = m_sRoot + "/brellmark";
    file = folder + "/tavolin.reg";
  }
  void TearDown() override { std::system(("chmod -R u+w " + m_sRoot + "; rm -rf " + m_sRoot).c_str()); }
  void writeFile(const std::string& text) {
    mkdir(folder.c_str(), 0755);
    std::ofstream(file, std::ios::binary) << text;
  }

  std::string folder, file;
  testing::CapturedTrace captured;

 private:
  std::string m_sRoot;
};

TEST_F(RegistryLinuxTest, FirstStartCreatesFolderFileAndValues) {
  FileStore s(file, captured.trace, defaultSettings("/opt/tavolin", '/'));
  EXPECT_TRUE(s.load());
  const std::string text = read(file);
  EXPECT_EQ(text.rfind("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin]\n\"COM\"=\"2\"\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("\"Sound file\"=\"/opt/tavolin/Elvorbeep.wav\"\n"), std::string::npos);
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);

  s.com.sCom = "/dev/ttyUSB0";
  s.com.sSoundFile = "C:\\Sounds\\\"Gr\xFC\xDF\"e.wav";  // Windows-1252, with escapes
  ASSERT_TRUE(s.store.SaveComSettings(s.com));
  EXPECT_NE(read(file).find("\"Sound file\"=\"C:\\\\Sounds\\\\\\\"Gr\xFC\xDF\\\"e.wav\"\n"), std::string::npos);
  ComSettings again;
  s.store.LoadComSettings(again);
  EXPECT_EQ(again.sCom, "/dev/ttyUSB0");
  EXPECT_EQ(again.sSoundFile, s.com.sSoundFile);
}

// A file as Windows' registry editor exports it (REGEDIT4, CR LF), with
// values of other types, another key and lines that cannot be read: what
// can be read is read, the rest is reported, and all of it is kept through
// a save.
TEST_F(RegistryLinuxTest, WindowsExportIsReadAndKept) {
  writeFile(
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin]\r\n\"COM\"=\"3\"\r\ngarbage here\r\n"  // lines 5 to 7
      "\"Speed\"=dword:00004b00\r\n\"Data bits\"=dword:xyz\r\n\"Stop bits\"=\"unterminated\r\n"
      "\"Parity\"=\"ungerade\"\r\n\"Blob\"=hex:01,02,03,\\\r\n  04,05\r\n"
      "\"Prefix characters\"=hex(1):3c,54,41,42,3e,00\r\n\"Postfix characters\"=\"<CR>\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"COM\"=\"99\"\r\n");
  FileStore s(file, captured.trace);
  AddCharsSettings addChars;
  s.load();
  s.store.LoadAddCharsSettings(addChars);
  EXPECT_EQ(s.com.sCom, "3");
  EXPECT_EQ(s.com.sParity, "odd");
  EXPECT_EQ(s.com.sStopBits, Settings{}.com.sStopBits);
  EXPECT_EQ(addChars.sPrefix, "<TAB>");
  EXPECT_EQ(addChars.sPostfix, "<CR>");
  EXPECT_NE(captured.text().find("Speed ke\xedn REG_SZ - Fehler\n"), std::string::npos);  // a dword is not a text
  std::set<std::string> unreadable;  // said each time the file is read
  std::istringstream trace(captured.text());
  for (std::string line; std::getline(trace, line);) {
    if (line.find("nicht lesbar") != std::string::npos) unreadable.insert(line.substr(line.find("nicht lesbar")));
  }
  EXPECT_EQ(unreadable, (std::set<std::string>{"nicht lesbar, line 7: garbage here",
                                               "nicht lesbar, line 9: \"Data bits\"=dword:xyz",
                                               "nicht lesbar, line 10: \"Stop bits\"=\"unterminated"}));

  const std::string text = read(file);
  EXPECT_NE(text.find("garbage here\r\n\"Speed\"=dword:00004b00\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Blob\"=hex:01,02,03,\\\r\n  04,05\r\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"COM\"=\"99\"\r\n"), std::string::npos);
  // Values that were missing are in the key's section, not the other key's.
  EXPECT_LT(text.find("\"Use Sound\"=\"no\""), text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]"));
}

TEST(RegistryFileTest, EveryValueTypeIsRead) {
  RegistryFile content(kKey);
  std::vector<std::string> problems;
  content.parse(
      std::string("REGEDIT4\n\n[") + kKey +
          "]\n\"S\"=\"a\\\\b\\\"c\"\n\"D\"=dword:0000000a\n\"B\"=hex:ff,00\n\"X\"=hex(2):41,00\n@=\"default\"\n",
      problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_NE(content.find("S"), nullptr);
  EXPECT_EQ(content.find("s")->data, "a\\b\"c");  // names are not case-sensitive
  EXPECT_EQ(content.find("D")->type, 4u);
  EXPECT_EQ(content.find("B")->data, std::string("\xff\0", 2));
  EXPECT_EQ(content.find("D")->data, std::string("\x0a\0\0\0", 4));
  EXPECT_EQ(content.find("X")->type, 2u);

  // Numbers are hexadecimal digits and nothing else.
  problems.clear();
  content.parse(std::string("[") + kKey + "]\n\"D\"=dword:-1\n\"D\"=dword: 1\n\"D\"=dword:1" + std::string(1, '\0') +
                    "x\n\"B\"=hex:01,+2\n\"X\"=hex(-2):41\n",
                problems);
  EXPECT_EQ(problems.size(), 5u);
  EXPECT_EQ(content.find("D"), nullptr);
}

// Whatever the file held before, a value written reads back (also one with
// quotes, a line end and a backslash at its end), and every other line of
// the file stays as it was.
TEST(RegistryFileTest, WrittenValuesReadBackAndOtherLinesAreKept) {
  const std::string head = std::string("REGEDIT4\n\n[") + kKey + "]\n";
  const std::string other = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]";
  const std::string sound = "\"Gr\xFC\xDF\"\r\nC:\\Sounds\\";
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"plain", head + "\"COM\"=\"3\"\n"},
      {"hex continued to the next line", head + "\"Blob\"=hex:01,02,\\\n  03,04\n\"COM\"=\"3\"\n"},
      {"last line continued", head + "\"COM\"=\"3\"\n\"Blob\"=hex:01,02,\\\n"},
      {"continued, no newline", head + "\"COM\"=\"3\"\n\"Blob\"=hex:01,02,\\"},
      {"continued, then blank", head + "\"Blob\"=hex:01,\\\n\n" + other + "\n\"X\"=\"9\"\n"},
      {"no newline at the end", head + "\"COM\"=\"3\""},
      {"CR LF", std::string("REGEDIT4\r\n\r\n[") + kKey +
                    "]\r\n\"COM\"=\"3\"\r\n\"Blob\"=hex:01,\\\r\n  02\r\n\"B2\"=hex:03,\\\r\n"},
      {"comments", std::string("REGEDIT4\n; head\n[") + kKey + "]\n; about COM\n\"COM\"=\"3\"\n; in C:\\Sounds\\\n"},
      {"unreadable lines", head + "\"COM\"=\"3\"\ngarbage\n\"Speed\"=\"unterminated\n\"X\"=dword:xyz\\\n"},
      {"empty key section", head + "\n" + other + "\n\"X\"=\"9\"\n"},
      {"key missing", "REGEDIT4\n\n" + other + "\n\"X\"=\"9\"\n"},
      {"key missing, other continued", "REGEDIT4\n\n" + other + "\n\"X\"=hex:01,\\\n"},
      {"empty file", ""},
      {"header only", "REGEDIT4"},
      {"key in several sections",
       head + "\"COM\"=\"3\"\n" + other +
           "\n\"X\"=\"9\"\n[hkey_local_machine\\software\\brellmark\\tavolin]\n\"Speed\"=\"300\"\n"},
      {"duplicate values", head + "\"COM\"=\"3\"\n\"Speed\"=\"300\"\n\"com\"=\"4\"\n\"Speed\"=\"600\"\n"},
      {"number with a zero byte, continued at the end, key missing",
       "\"Speed\"=dword:000" + std::string(1, '\0') + "4re\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(testing::checkWrittenFile(kKey, c.text, {{"Sound file", sound}, {"COM", "/dev/ttyUSB0"}}), "")
        << c.what;
  }
}

// Where the user may not write, the settings are read but not saved; a
// write that fails leaves the file as it was, here when the folder refuses
// the temporary file after the key was opened for writing; and a file that
// can be neither read nor created gives the defaults.
// Two programs saving at once each read the file under the save lock, so
// neither loses the other's change; copies left by a killed save go.
TEST_F(RegistryLinuxTest, SavesAtOnceLoseNothing) {
  writeFile("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin]\n");
  std::ofstream(folder + "/.tavolin.reg.Ab12Cd") << "left by a save that was killed";
  const auto startSaving = [this](char who) {
    if (fork() != 0) return;
    Trace off;
    LinuxRegistry registry(file, off);
    for (int i = 0; i < 50; ++i) {
      std::unique_ptr<RegistryKey> key;
      if (registry.openKey(SettingsStore::keyPath, RegistryApi::KEY_WRITE_ACCESS, key) != win32_error::Success ||
          key->setValue(who + std::to_string(i), std::to_string(i)) != win32_error::Success) {
        _exit(1);
      }
    }
    _exit(0);
  };
  startSaving('A');
  startSaving('B');
  for (int status = 0, children = 0; children < 2; ++children) {
    ASSERT_GT(wait(&status), 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string text = read(file);
  for (const char who : {'A', 'B'}) {
    for (int i = 0; i < 50; ++i) {
      const std::string line = "\"" + std::string(1, who) + std::to_string(i) + "\"=\"" + std::to_string(i) + "\"\n";
      EXPECT_NE(text.find(line), std::string::npos) << line;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(folder + "/.tavolin.reg.Ab12Cd"));
}

TEST_F(RegistryLinuxTest, RefusedWritesLeaveTheFileAsItWas) {
  writeFile(std::string("REGEDIT4\n\n[") + kKey + "]\n\"COM\"=\"7\"\n\"Speed\"=\"19200\"\n");
  const std::string before = read(file);
  for (const bool lockFolder : {false, true}) {
    chmod(file.c_str(), lockFolder ? 0644 : 0444);
    chmod(folder.c_str(), lockFolder ? 0555 : 0755);
    EXPECT_TRUE(asUnprivilegedUser([&] {
      Trace trace;
      FileStore s(file, trace);
      return !s.load() && s.com.sCom == "7" && !s.store.SaveComSettings(s.com);
    })) << (lockFolder ? "folder" : "file");
    EXPECT_EQ(read(file), before);
  }

  chmod(folder.c_str(), 0755);
  if (geteuid() == 0) {  // the folder and the file belong to the user who closes the folder
    ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
  }
  EXPECT_TRUE(asUnprivilegedUser([&] {
    Trace trace;
    LinuxRegistry registry(file, trace);
    std::unique_ptr<RegistryKey> key;
    if (registry.openKey(SettingsStore::keyPath, RegistryApi::KEY_WRITE_ACCESS, key) != 0) return false;
    if (key->setValue("COM", "5") != 0) return false;  // this one goes through
    chmod(folder.c_str(), 0555);                       // then the folder is closed
    return key->setValue("Speed", "300") == win32_error::AccessDenied;
  }));
  const std::string after = read(file);
  EXPECT_NE(after.find("\"COM\"=\"5\"\n"), std::string::npos);
  EXPECT_NE(after.find("\"Speed\"=\"19200\"\n"), std::string::npos);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);  // no temporary file left

  FileStore none("/proc/tavolin/none.reg", captured.trace);
  EXPECT_FALSE(none.load());
  EXPECT_EQ(none.com.sCom, "2");
}

// A file that cannot be read as a whole gives the defaults, is said to be
// unused, and is never written: not by the load (which would add the
// missing values) nor by a save.
TEST_F(RegistryLinuxTest, FileNotReadAsAWholeIsNeverWritten) {
  const std::string valid = std::string("REGEDIT4\n\n[") + kKey + "]\n\"COM\"=\"7\"\n";
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919 + i / 13) % 256);
  const struct {
    const char* what;
    std::string text;  // empty: a folder
  } cases[] = {
      {"a folder", ""},
      {"random bytes", garbage},
      {"larger than 1 MiB", valid + std::string(LinuxRegistry::maxFileSize, ';')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::system(("rm -rf " + folder).c_str());
    if (c.text.empty()) {
      mkdir(folder.c_str(), 0755);
      mkdir(file.c_str(), 0755);
    } else {
      writeFile(c.text);
    }
    testing::CapturedTrace trace;
    FileStore s(file, trace.trace);
    EXPECT_FALSE(s.load());
    EXPECT_EQ(s.com.sCom, "2");
    s.com.sCom = "5";
    EXPECT_FALSE(s.store.SaveComSettings(s.com));
    EXPECT_NE(trace.text().find("is not used"), std::string::npos) << trace.text();
    if (c.text.empty()) {
      struct stat info {};
      EXPECT_TRUE(stat(file.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    } else {
      EXPECT_TRUE(read(file) == c.text);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
  }
}

}  // namespace
}  // namespace tavolin
