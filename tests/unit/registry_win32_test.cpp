// The settings store on the real registry of the Windows edition (under
// wine here): HKEY_LOCAL_MACHINE\SOFTWARE\Brellmark\Tavolin.
#include "platform/win32/registry_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "fakes/memory_text_file.h"
#include "processing/settings_store.h"

namespace tavolin {
namespace {

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brellmark"); }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brellmark"); }

  // The value as stored, without the terminator of a text; its type.
  static std::string query(const char* name, DWORD& type) {
    char data[300] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brellmark\\Tavolin", name, RRF_RT_ANY, &type, data, &size) !=
        ERROR_SUCCESS) {
      return "<missing>";
    }
    return std::string(data, type == REG_SZ && size > 0 && data[size - 1] == '\0' ? size - 1 : size);
  }

  Win32Registry registry;
  testing::CapturedTrace captured;
  SettingsStore store{registry, captured.trace, defaultSettings("C:\\Tavolin", '\\')};
};

// Without the key a save fails with the system's code; the first load
// creates the key with every value as a text, and saved texts read back.
TEST_F(Win32RegistryTest, FirstStartCreatesTheKeyAndEveryValue) {
  EXPECT_FALSE(store.SaveComSettings(ComSettings{}));
  EXPECT_NE(captured.text().find("RegOpenKeyEx() Error: 2. (SOFTWARE\\Brellmark\\Tavolin kann nicht ge\xF6"),
            std::string::npos);
  Settings settings;
  EXPECT_TRUE(store.LoadComSettings(settings.com));
  store.LoadAddCharsSettings(settings.addChars);
  DWORD type = 0;
  EXPECT_EQ(query("Sound file", type), "C:\\Tavolin\\Elvorbeep.wav");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  settings.addChars.sPrefix = "L\xE4nge<TAB>";
  ASSERT_TRUE(store.SaveAddCharsSettings(settings.addChars));
  AddCharsSettings again;
  store.LoadAddCharsSettings(again);
  EXPECT_EQ(again.sPrefix, "L\xE4nge<TAB>");
}

// A value of another type, or longer than the program's 260-byte buffer,
// reads as the default and is rewritten; a text that fills the buffer
// exactly (259 characters and the terminator, as reg add and installers
// write it) is read, and a binary value is kept as it was.
TEST_F(Win32RegistryTest, ValuesThatFitAreReadAndKept) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brellmark\\Tavolin", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const auto set = [&](const char* name, DWORD type, const void* data, std::size_t size) {
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  };
  const DWORD speed = 9600;
  const std::string tooLong(300, 'x'), longest(259, 's'), bytes(260, 'b');
  set("Speed", REG_DWORD, &speed, sizeof speed);
  set("Prefix characters", REG_SZ, tooLong.data(), tooLong.size());
  set("Sound file", REG_SZ, longest.c_str(), longest.size() + 1);
  set("Postfix characters", REG_BINARY, bytes.data(), bytes.size());
  RegCloseKey(key);
  Settings settings;
  store.LoadComSettings(settings.com);
  store.LoadAddCharsSettings(settings.addChars);
  EXPECT_EQ(settings.com.sSpeed, "19200");
  EXPECT_EQ(settings.com.sSoundFile, longest);
  EXPECT_EQ(settings.addChars.sPrefix, "none");
  EXPECT_EQ(settings.addChars.sPostfix, "none");
  DWORD type = 0;
  query("Speed", type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(query("Postfix characters", type), bytes);
  EXPECT_EQ(query("Prefix characters", type), "none");
}

}  // namespace
}  // namespace tavolin
