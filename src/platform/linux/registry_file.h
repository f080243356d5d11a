#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavolin {

// One key of a registry export in the REGEDIT4 format, as text:
//   REGEDIT4
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Brellmark\Tavolin]
//   "Name"="text"            (\\ and \" escaped; Windows-1252)
//   "Number"=dword:0000000a
//   "Bytes"=hex:01,02,...    and hex(n): for other types, continued with "\"
// Everything the file holds besides the values of the key, and every line
// that cannot be read, is kept as it stands when the file is written again.
class RegistryFile {
 public:
  struct Value {
    std::uint32_t type;
    std::string data;  // the text of a string, the bytes of anything else
  };

  explicit RegistryFile(std::string keyName) : m_sKeyName(std::move(keyName)) {}

  // Reads the text as far as it is valid; problems lists the lines that
  // could not be read.
  void parse(const std::string& text, std::vector<std::string>& problems);
  std::string serialize() const;

  bool hasKey() const;
  // Whether parse() found a header, a section or a value: a file with none
  // of them, but not empty, is no registry file.
  bool readAnything() const { return m_bReadAnything; }
  const Value* find(const std::string& name) const;
  void setString(const std::string& name, const std::string& text);

  static std::string header() { return "REGEDIT4"; }

 private:
  struct Line {
    std::string raw;   // as in the file, continuation lines included
    bool inKey;        // a line of the key's section
    bool isValue;      // a value line that was read
    std::string name;  // of a value
    Value value;
  };

  static bool parseValue(const std::string& raw, std::string& name, Value& value);
  static std::string formatString(const std::string& name, const std::string& text);
  std::string sectionHeader() const { return "[" + m_sKeyName + "]"; }

  std::string m_sKeyName;
  std::vector<Line> m_lines;
  bool m_bReadAnything = false;
};

}  // namespace tavolin
