// The settings store in a REGEDIT4 file on real files and permissions.
#include "platform/linux/registry_linux.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "fakes/memory_text_file.h"
#include "platform/linux/registry_file.h"
#include "processing/settings_store.h"

namespace tavolin {
namespace {

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

  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  // Runs the check as an unprivileged user, where permissions count (also
  // for root, who may write anything).
  static bool asUnprivilegedUser(const std::function<bool()>& check) {
    const pid_t child = fork();
    if (child == 0) {
      if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
      _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  std::string folder;
  std::string file;
  testing::CapturedTrace captured;

 private:
  std::string m_sRoot;
};

TEST_F(RegistryLinuxTest, FirstStartCreatesFolderFileAndValues) {
  LinuxRegistry registry(file, captured.trace);
  SettingsStore store(registry, captured.trace, defaultSettings("/opt/tavolin", '/'));
  ComSettings com;
  EXPECT_TRUE(store.LoadComSettings(com));
  const std::string text = read(file);
  EXPECT_EQ(text.rfind("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin]\n\"COM\"=\"2\"\n", 0), 0u) << text;
  EXPECT_NE(text.find("\"Sound file\"=\"/opt/tavolin/Elvorbeep.wav\"\n"), std::string::npos);
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);

  com.sCom = "/dev/ttyUSB0";
  com.sSoundFile = "C:\\Sounds\\\"Gr\xFC\xDF\"e.wav";  // Windows-1252, with escapes
  ASSERT_TRUE(store.SaveComSettings(com));
  EXPECT_NE(read(file).find("\"Sound file\"=\"C:\\\\Sounds\\\\\\\"Gr\xFC\xDF\\\"e.wav\"\n"), std::string::npos);
  ComSettings again;
  store.LoadComSettings(again);
  EXPECT_EQ(again.sCom, "/dev/ttyUSB0");
  EXPECT_EQ(again.sSoundFile, com.sSoundFile);
}

// A file as Windows' registry editor exports it (REGEDIT4, CR LF), with
// values of other types and another key, all kept through a save.
TEST_F(RegistryLinuxTest, WindowsExportIsReadAndKept) {
  mkdir(folder.c_str(), 0755);
  const std::string exported =
      "REGEDIT4\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark]\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin]\r\n"
      "\"COM\"=\"3\"\r\n"
      "\"Speed\"=dword:00004b00\r\n"
      "\"Parity\"=\"ungerade\"\r\n"
      "\"Blob\"=hex:01,02,03,\\\r\n"
      "  04,05\r\n"
      "\"Prefix characters\"=hex(1):3c,54,41,42,3e,00\r\n"
      "\"Postfix characters\"=\"<CR>\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n"
      "\"COM\"=\"99\"\r\n";
  write(file, exported);
  LinuxRegistry registry(file, captured.trace);
  SettingsStore store(registry, captured.trace, Settings{});
  Settings s;
  store.LoadComSettings(s.com);
  store.LoadAddCharsSettings(s.addChars);
  EXPECT_EQ(s.com.sCom, "3");
  EXPECT_EQ(s.com.sSpeed, "19200");  // a dword is not a text
  EXPECT_EQ(s.com.sParity, "odd");
  EXPECT_EQ(s.addChars.sPrefix, "<TAB>");
  EXPECT_EQ(s.addChars.sPostfix, "<CR>");
  EXPECT_NE(captured.text().find("Speed keín REG_SZ - Fehler\n"), std::string::npos);
  EXPECT_EQ(captured.text().find("nicht lesbar"), std::string::npos);

  const std::string text = read(file);
  EXPECT_NE(text.find("\"Speed\"=dword:00004b00\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Blob\"=hex:01,02,03,\\\r\n  04,05\r\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"COM\"=\"99\"\r\n"), std::string::npos);
  // Values that were missing are in the key's section, not the other key's.
  EXPECT_LT(text.find("\"Use Sound\"=\"no\""), text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]"));
}

TEST_F(RegistryLinuxTest, MalformedLinesAreReportedAndKept) {
  mkdir(folder.c_str(), 0755);
  write(file,
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin]\n"
        "\"COM\"=\"4\"\n"
        "garbage here\n"
        "\"Speed\"=\"unterminated\n"
        "\"Data bits\"=dword:xyz\n"
        "\"Stop bits\"=\"2\"\n");
  LinuxRegistry registry(file, captured.trace);
  SettingsStore store(registry, captured.trace, Settings{});
  ComSettings com;
  store.LoadComSettings(com);
  EXPECT_EQ(com.sCom, "4");
  EXPECT_EQ(com.sStopBits, "2");
  EXPECT_EQ(com.sSpeed, "19200");
  EXPECT_NE(captured.text().find("nicht lesbar, line 5: garbage here\n"), std::string::npos);
  EXPECT_NE(captured.text().find("line 7: \"Data bits\"=dword:xyz\n"), std::string::npos);
  EXPECT_NE(read(file).find("garbage here\n"), std::string::npos);  // nothing of the file is lost
}

TEST(RegistryFileTest, EveryValueTypeRoundTrips) {
  RegistryFile content("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin");
  std::vector<std::string> problems;
  content.parse(
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin]\n"
      "\"S\"=\"a\\\\b\\\"c\"\n\"D\"=dword:0000000a\n\"B\"=hex:ff,00\n\"X\"=hex(2):41,00\n@=\"default\"\n",
      problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_NE(content.find("S"), nullptr);
  EXPECT_EQ(content.find("s")->data, "a\\b\"c");  // names are not case-sensitive
  EXPECT_EQ(content.find("D")->type, 4u);
  EXPECT_EQ(content.find("D")->data, std::string("\x0a\0\0\0", 4));
  EXPECT_EQ(content.find("B")->data, std::string("\xff\0", 2));
  EXPECT_EQ(content.find("X")->type, 2u);
  content.setString("Multi", "one\r\ntwo");
  content.setString("S", "new");
  RegistryFile again("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin");
  again.parse(content.serialize(), problems);
  EXPECT_TRUE(problems.empty()) << problems.front();
  EXPECT_EQ(again.find("Multi")->data, "one\r\ntwo");
  EXPECT_EQ(again.find("S")->data, "new");
  EXPECT_EQ(again.find("D")->data, std::string("\x0a\0\0\0", 4));
}

// Whatever the file held before, a value written reads back, and every
// other line of the file stays as it was.
TEST(RegistryFileTest, WrittenValuesReadBackAndOtherLinesAreKept) {
  const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin]";
  const std::string other = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]";
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"plain", "REGEDIT4\n\n" + key + "\n\"COM\"=\"3\"\n"},
      {"hex continued to the next line", "REGEDIT4\n\n" + key + "\n\"Blob\"=hex:01,02,\\\n  03,04\n\"COM\"=\"3\"\n"},
      {"last line continued", "REGEDIT4\n\n" + key + "\n\"COM\"=\"3\"\n\"Blob\"=hex:01,02,\\\n"},
      {"continued, no newline", "REGEDIT4\n\n" + key + "\n\"COM\"=\"3\"\n\"Blob\"=hex:01,02,\\"},
      {"continued, then blank", "REGEDIT4\n\n" + key + "\n\"Blob\"=hex:01,\\\n\n" + other + "\n\"X\"=\"9\"\n"},
      {"no newline at the end", "REGEDIT4\n\n" + key + "\n\"COM\"=\"3\""},
      {"CR LF", "REGEDIT4\r\n\r\n" + key + "\r\n\"COM\"=\"3\"\r\n\"Blob\"=hex:01,\\\r\n  02\r\n\"B2\"=hex:03,\\\r\n"},
      {"comments", "REGEDIT4\n; head\n" + key + "\n; about COM\n\"COM\"=\"3\"\n; in C:\\Sounds\\\n"},
      {"unreadable lines",
       "REGEDIT4\n\n" + key + "\n\"COM\"=\"3\"\ngarbage\n\"Speed\"=\"unterminated\n\"X\"=dword:xyz\\\n"},
      {"empty key section", "REGEDIT4\n\n" + key + "\n\n" + other + "\n\"X\"=\"9\"\n"},
      {"key missing", "REGEDIT4\n\n" + other + "\n\"X\"=\"9\"\n"},
      {"key missing, other continued", "REGEDIT4\n\n" + other + "\n\"X\"=hex:01,\\\n"},
      {"empty file", ""},
      {"header only", "REGEDIT4"},
      {"key in several sections",
       "REGEDIT4\n\n" + key + "\n\"COM\"=\"3\"\n" + other +
           "\n\"X\"=\"9\"\n[hkey_local_machine\\software\\brellmark\\tavolin]\n\"Speed\"=\"300\"\n"},
      {"duplicate values",
       "REGEDIT4\n\n" + key + "\n\"COM\"=\"3\"\n\"Speed\"=\"300\"\n\"com\"=\"4\"\n\"Speed\"=\"600\"\n"},
  };
  const auto lines = [](const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegistryFile content("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin");
    std::vector<std::string> problems, problemsAgain;
    content.parse(c.text, problems);
    content.setString("Sound file", "C:\\Sounds\\");
    content.setString("COM", "/dev/ttyUSB0");
    const std::string written = content.serialize();
    RegistryFile again("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin");
    again.parse(written, problemsAgain);
    const RegistryFile::Value* sound = again.find("Sound file");
    const RegistryFile::Value* com = again.find("COM");
    EXPECT_TRUE(sound && sound->data == "C:\\Sounds\\") << written;
    EXPECT_TRUE(com && com->data == "/dev/ttyUSB0") << written;
    EXPECT_EQ(problemsAgain.size(), problems.size()) << written;
    // The lines that were there, but those of the written name, in their order.
    const std::vector<std::string> after = lines(written);
    auto next = after.begin();
    for (const std::string& line : lines(c.text)) {
      if (line.rfind("\"COM\"=", 0) == 0 || line.rfind("\"com\"=", 0) == 0) continue;
      next = std::find(next, after.end(), line);
      EXPECT_NE(next, after.end()) << "lost or changed: " << line << "\n" << written;
      if (next == after.end()) break;
      ++next;
    }
  }
}

TEST_F(RegistryLinuxTest, ReadOnlyFileOrFolderIsReadableNotWritable) {
  {
    LinuxRegistry registry(file, captured.trace);
    SettingsStore store(registry, captured.trace, Settings{});
    ComSettings com;
    store.LoadComSettings(com);
  }
  const std::string before = read(file);
  for (const bool lockFolder : {false, true}) {
    chmod(file.c_str(), lockFolder ? 0644 : 0444);
    chmod(folder.c_str(), lockFolder ? 0555 : 0755);
    EXPECT_TRUE(asUnprivilegedUser([&] {
      Trace trace;
      LinuxRegistry registry(file, trace);
      SettingsStore store(registry, trace, Settings{});
      ComSettings com;
      const bool writable = store.LoadComSettings(com);
      com.sCom = "9";
      return !writable && com.sCom == "9" && !store.SaveComSettings(com);
    })) << (lockFolder ? "folder" : "file");
    EXPECT_EQ(read(file), before);
  }
}

// A write that fails leaves the file as it was: here the folder refuses
// the temporary file after the key was opened for writing.
TEST_F(RegistryLinuxTest, FailedWriteLeavesThePreviousFile) {
  {
    LinuxRegistry registry(file, captured.trace);
    SettingsStore store(registry, captured.trace, Settings{});
    ComSettings com;
    store.LoadComSettings(com);
  }
  if (geteuid() == 0) {  // the folder and the file belong to the user who closes the folder
    ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
  }
  const std::string before = read(file);
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
  EXPECT_NE(after, before);
  EXPECT_NE(after.find("\"COM\"=\"5\"\n"), std::string::npos);
  EXPECT_NE(after.find("\"Speed\"=\"19200\"\n"), std::string::npos);
  EXPECT_EQ(after.find(".tavolin.reg."), std::string::npos);
}

TEST_F(RegistryLinuxTest, NeitherReadableNorCreatable) {
  EXPECT_TRUE(asUnprivilegedUser([&] {
    Trace trace;
    LinuxRegistry registry("/proc/tavolin/none.reg", trace);
    SettingsStore store(registry, trace, Settings{});
    ComSettings com;
    return !store.LoadComSettings(com) && com.sCom == "2";
  }));
}

}  // namespace
}  // namespace tavolin
