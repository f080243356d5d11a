#include "processing/settings_store.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes/memory_registry.h"
#include "fakes/memory_text_file.h"

namespace tavolin {
namespace {

const std::string kKey = "SOFTWARE\\Brellmark\\Tavolin";

struct SettingsStoreTest : ::testing::Test {
  bool traced(const std::string& text) const { return captured.contains(text); }
  Settings loadAll() {
    Settings settings;
    store.LoadComSettings(settings.com);
    store.LoadCardDataSettings(settings.cardData);
    store.LoadAddCharsSettings(settings.addChars);
    return settings;
  }
  void set(const char* name, std::uint32_t type, const std::string& data) { registry.program()[name] = {type, data}; }

  testing::MemoryRegistry registry;
  testing::CapturedTrace captured;
  SettingsStore store{registry, captured.trace, defaultSettings("C:\\Programs\\Tavolin", '\\')};
};

// The first start creates every value, as text, in the order they are read;
// card data are saved in another order.
TEST_F(SettingsStoreTest, FirstStartCreatesEveryValueInTheReadingOrder) {
  const Settings settings = loadAll();
  EXPECT_TRUE(store.registryWritable());
  EXPECT_EQ(registry.program()["Sound file"].data, "C:\\Programs\\Tavolin\\Elvorbeep.wav");
  EXPECT_EQ(registry.program()["2. Read start position"].data, "-");
  EXPECT_EQ(settings.com.sSpeed.text() + settings.cardData.sReadStop.text() + settings.addChars.sPostfix.text(),
            "1920014none");
  EXPECT_EQ(registry.program().size(), 27u);
  for (const auto& [name, value] : registry.program()) EXPECT_EQ(value.type, RegistryKey::REG_SZ_TYPE) << name;
  std::string names;
  std::istringstream lines(captured.text());
  for (std::string l; std::getline(lines, l);) {
    if (l.size() > 13 && l.compare(l.size() - 13, 13, " noch anlegen") == 0) names += l.substr(0, l.size() - 13) + "|";
  }
  EXPECT_EQ(names,
            "COM|Speed|Data bits|Parity|Stop bits|Flow control|Ravlink protocol|Signaling|Use Sound|Sound file|"
            "Total reader data length|Fixed length|Read start position|Read stop position|2. Read start position|"
            "2. Read stop position|Read characters in 1 byte|Show non numeric characters|Reading direction|"
            "Conversion|Decimal n-digit (right aligned)|Padding character used|Padding character|"
            "Filter: 1.truncate, 2.convert|Prefix characters|Characters separating 2 data portions|"
            "Postfix characters|");
  const std::string start =
      "RegOpenKeyEx() Error: 2. (SOFTWARE\\Brellmark\\ noch anlegen)\n"
      "RegOpenKeyEx() Error: 2. (SOFTWARE\\Brellmark\\Tavolin anlegen)\n"
      "RegOpenKeyEx() ok: HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin schreibbar\nCOM noch anlegen\n";
  EXPECT_EQ(captured.text().substr(0, start.size()), start);
  captured.clear();
  loadAll();
  EXPECT_TRUE(traced("COM: '2'\n") && traced("2. Read start position: '-'\n"));
  EXPECT_FALSE(traced("anlegen"));

  registry.operations.clear();
  ASSERT_TRUE(store.SaveCardDataSettings(CardDataSettings{}));
  EXPECT_EQ(registry.operations,
            "open " + kKey +
                " write|set Total reader data length|set Fixed length|set Read start position|"
                "set Read stop position|set 2. Read start position|set 2. Read stop position|set Read characters in "
                "1 byte|set Padding character used|set Padding character|set Show non numeric characters|set "
                "Reading direction|set Conversion|set Decimal n-digit (right aligned)|set Filter: 1.truncate, "
                "2.convert|");
}

// A value of another type is kept and its default used; a text is read up
// to 259 characters, a longer one counts as missing and is rewritten. The
// German words of old versions are normalised.
TEST_F(SettingsStoreTest, OtherTypesTooLongTextsAndGermanWords) {
  registry.keys["SOFTWARE\\Brellmark"];
  set("Speed", RegistryKey::REG_DWORD_TYPE, std::string("\x00\x4b\x00\x00", 4));
  set("COM", RegistryKey::REG_BINARY_TYPE, std::string(260, 'b'));  // fills the buffer
  set("Prefix characters", RegistryKey::REG_SZ_TYPE, std::string(259, 'x'));
  set("Postfix characters", RegistryKey::REG_SZ_TYPE, std::string(260, 'y'));
  Settings settings = loadAll();
  EXPECT_EQ(settings.com.sSpeed.text() + "|" + settings.com.sCom.text(), "19200|2");
  EXPECT_EQ(registry.program()["Speed"].type, RegistryKey::REG_DWORD_TYPE);
  EXPECT_EQ(registry.program()["COM"].data, std::string(260, 'b'));
  EXPECT_TRUE(traced("Speed ke\xedn REG_SZ - Fehler\n") && traced("COM ke\xedn REG_SZ - Fehler\n"));
  EXPECT_EQ(settings.addChars.sPrefix, std::string(259, 'x'));
  EXPECT_EQ(settings.addChars.sPostfix, "none");
  EXPECT_EQ(registry.program()["Postfix characters"].data, "none");  // rewritten
  // clang-format off
  const char* words[][6] = {{"keine", "keine", "keine", "none", "none", "none"},
                            {"ungerade", "Xon/Xoff", "<TAB>", "odd", "Xon/Xoff", "<TAB>"},
                            {"gerade", "Hardware", "none", "even", "Hardware", "none"},
                            {"Gerade", "Keine", "Keine", "Gerade", "Keine", "Keine"}};
  // clang-format on
  for (const auto& w : words) {
    set("Parity", RegistryKey::REG_SZ_TYPE, w[0]);
    set("Flow control", RegistryKey::REG_SZ_TYPE, w[1]);
    set("Prefix characters", RegistryKey::REG_SZ_TYPE, w[2]);
    settings = loadAll();
    EXPECT_EQ(
        settings.com.sParity.text() + "|" + settings.com.sFlowControl.text() + "|" + settings.addChars.sPrefix.text(),
        std::string(w[3]) + "|" + w[4] + "|" + w[5]);
  }
}

// A key that can be read but not written gives its values and writes none;
// one that can be neither read nor created gives the defaults.
TEST_F(SettingsStoreTest, KeysThatCannotBeWrittenOrRead) {
  registry.keys["SOFTWARE\\Brellmark"];
  set("COM", RegistryKey::REG_SZ_TYPE, "5");
  registry.readOnly.insert(kKey);
  ComSettings com;
  EXPECT_FALSE(store.LoadComSettings(com));
  EXPECT_EQ(com.sCom.text() + "|" + com.sSpeed.text(), "5|19200");
  EXPECT_EQ(registry.program().size(), 1u);
  EXPECT_TRUE(
      traced("RegOpenKeyEx() Error: 5. (SOFTWARE\\Brellmark\\Tavolin ex. nicht schreibbar)\n"
             "RegOpenKeyEx() ok: HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin lesbar\n"));
  EXPECT_FALSE(traced("noch anlegen"));
  registry.unreadable.insert(kKey);
  EXPECT_FALSE(store.LoadComSettings(com));
  EXPECT_EQ(com.sCom, "2");
  EXPECT_TRUE(traced("RegOpenKeyEx() Error: 5. (SOFTWARE\\Brellmark\\Tavolin ex. nicht lesbar)\n"));

  registry = testing::MemoryRegistry{};
  registry.uncreatable.insert("SOFTWARE\\Brellmark");
  EXPECT_EQ(loadAll().com.sSoundFile, "C:\\Programs\\Tavolin\\Elvorbeep.wav");
  EXPECT_FALSE(store.registryWritable());
  EXPECT_TRUE(registry.program().empty());
  EXPECT_TRUE(traced("RegCreateKeyEx() Error: 5. (SOFTWARE\\Brellmark\\ anlegen ging nicht)\n"));
}

// A failed write stops a save, and a failed creation is traced; a save
// after the key was deleted does not make it again.
TEST_F(SettingsStoreTest, FailedWrites) {
  registry.failWrite = 1;
  ComSettings com;
  store.LoadComSettings(com);
  EXPECT_TRUE(traced("COM noch anlegen\nCOM anlegen ging nicht\n"));
  EXPECT_EQ(com.sCom, "2");
  registry.writes = 0;
  registry.failWrite = 3;
  com.sCom = "7", com.sSpeed = "9600", com.sDataBits = "7", com.sParity = "odd";
  EXPECT_FALSE(store.SaveComSettings(com));
  // The failed one keeps its old text, the next is not written.
  for (const auto& [name, text] : {std::pair{"COM", "7"}, {"Speed", "9600"}, {"Data bits", "8"}, {"Parity", "none"}})
    EXPECT_EQ(registry.program()[name].data, text) << name;
  EXPECT_TRUE(traced("Data bits schreiben ging nicht\n"));
  registry.keys.erase(kKey);
  EXPECT_FALSE(store.SaveAddCharsSettings(AddCharsSettings{}));
  EXPECT_TRUE(
      traced("RegOpenKeyEx() Error: 2. (SOFTWARE\\Brellmark\\Tavolin kann nicht ge\xf6"
             "ffnet werden)\n"));
  EXPECT_EQ(registry.keys.count(kKey), 0u);
}

}  // namespace
}  // namespace tavolin
