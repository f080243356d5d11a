#include "platform/linux/registry_file.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace tavolin {

namespace {

constexpr std::uint32_t kString = 1, kDword = 4, kBinary = 3;

bool equalNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string trimRight(const std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(0, end);
}

// Whether the next line of the file belongs to this one: its last line
// ends in a backslash.
bool continues(const std::string& raw) {
  const std::size_t lastBreak = raw.rfind('\n');
  const std::string last = trimRight(raw.substr(lastBreak == std::string::npos ? 0 : lastBreak + 1));
  return !last.empty() && last.back() == '\\';
}

// A quoted text from position i (at the opening quote); i ends behind the
// closing quote.
bool readQuoted(const std::string& raw, std::size_t& i, std::string& text) {
  if (i >= raw.size() || raw[i] != '"') return false;
  for (++i; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size() && (raw[i + 1] == '\\' || raw[i + 1] == '"')) {
      text += raw[++i];
    } else if (raw[i] == '"') {
      ++i;
      return true;
    } else {
      text += raw[i];
    }
  }
  return false;
}

// A number of at most maxDigits hexadecimal digits and nothing else, as
// regedit writes them; strtoul alone would also take a sign or blanks, and
// stop at a zero byte in the line as if the number ended there.
bool readHexNumber(const std::string& digits, std::size_t maxDigits, unsigned long& value) {
  if (digits.empty() || digits.size() > maxDigits) return false;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  value = std::strtoul(digits.c_str(), nullptr, 16);
  return true;
}

bool readHexBytes(const std::string& list, std::string& bytes) {
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && (list[i] == ' ' || list[i] == '\t' || list[i] == '\\' || list[i] == '\n' ||
                               list[i] == '\r' || list[i] == ',')) {
      ++i;
    }
    if (i >= list.size()) break;
    unsigned long value = 0;
    if (i + 1 >= list.size() || !readHexNumber(list.substr(i, 2), 2, value)) return false;
    bytes += static_cast<char>(value);
    i += 2;
  }
  return true;
}

}  // namespace

bool RegistryFile::parseValue(const std::string& raw, std::string& name, Value& value) {
  std::size_t i = 0;
  if (raw.compare(0, 1, "@") == 0) {
    i = 1;
  } else if (!readQuoted(raw, i, name)) {
    return false;
  }
  if (i >= raw.size() || raw[i] != '=') return false;
  const std::string data = trimRight(raw.substr(i + 1));
  if (!data.empty() && data[0] == '"') {
    std::size_t j = 0;
    value.type = kString;
    value.data.clear();
    return readQuoted(data, j, value.data) && j == data.size();
  }
  if (data.compare(0, 6, "dword:") == 0) {
    unsigned long number = 0;
    if (!readHexNumber(data.substr(6), 8, number)) return false;
    value.type = kDword;
    value.data.clear();
    for (int b = 0; b < 4; ++b) value.data += static_cast<char>((number >> (8 * b)) & 0xFF);
    return true;
  }
  std::size_t colon = data.find(':');
  if (data.compare(0, 4, "hex:") == 0) {
    value.type = kBinary;
  } else if (data.compare(0, 4, "hex(") == 0 && colon != std::string::npos && data[colon - 1] == ')') {
    unsigned long type = 0;
    if (!readHexNumber(data.substr(4, colon - 5), 8, type)) return false;
    value.type = static_cast<std::uint32_t>(type);
  } else {
    return false;
  }
  value.data.clear();
  if (!readHexBytes(data.substr(colon + 1), value.data)) return false;
  // A string written in hex ends with its terminator.
  if (value.type == kString) value.data = value.data.substr(0, value.data.find('\0'));
  return true;
}

void RegistryFile::parse(const std::string& text, std::vector<std::string>& problems) {
  m_lines.clear();
  m_bReadAnything = false;
  bool inKey = false;
  std::size_t start = 0;
  int lineNumber = 0;
  while (start < text.size()) {
    // A line, with the lines that continue it (a trailing backslash).
    std::string raw;
    const int firstLine = lineNumber + 1;
    for (;;) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      const std::string part = text.substr(start, end - start);
      raw += (raw.empty() ? "" : "\n") + part;
      start = end + 1;
      ++lineNumber;
      if (!continues(part) || start >= text.size()) break;
    }
    Line line{raw, inKey, false, {}, {}};
    const std::string content = trimRight(raw);
    if (content.empty() || content[0] == ';' || (firstLine == 1 && (content == header() || content.rfind("Windows Registry Editor", 0) == 0))) {
      // blank, comment or header
      m_bReadAnything = m_bReadAnything || (!content.empty() && content[0] != ';');
    } else if (content[0] == '[') {
      inKey = content.back() == ']' && equalNoCase(content.substr(1, content.size() - 2), m_sKeyName);
      line.inKey = inKey;
      if (content.back() != ']') problems.push_back("line " + std::to_string(firstLine) + ": " + content);
      m_bReadAnything = m_bReadAnything || content.back() == ']';
    } else if (parseValue(content, line.name, line.value)) {
      line.isValue = true;
      m_bReadAnything = true;
    } else {
      problems.push_back("line " + std::to_string(firstLine) + ": " + content);
    }
    m_lines.push_back(std::move(line));
  }
}

std::string RegistryFile::serialize() const {
  std::string text;
  for (const Line& line : m_lines) text += line.raw + "\n";
  return text;
}

bool RegistryFile::hasKey() const {
  for (const Line& line : m_lines) {
    if (line.inKey && !line.raw.empty() && line.raw[0] == '[') return true;
  }
  return false;
}

const RegistryFile::Value* RegistryFile::find(const std::string& name) const {
  const Value* found = nullptr;
  for (const Line& line : m_lines) {
    if (line.inKey && line.isValue && equalNoCase(line.name, name)) found = &line.value;  // the last one counts
  }
  return found;
}

std::string RegistryFile::formatString(const std::string& name, const std::string& text) {
  const auto quote = [](const std::string& s) {
    std::string quoted = "\"";
    for (char c : s) {
      if (c == '\\' || c == '"') quoted += '\\';
      quoted += c;
    }
    return quoted + "\"";
  };
  if (text.find_first_of("\r\n") == std::string::npos) return quote(name) + "=" + quote(text);
  // Line breaks cannot stand in a quoted string: the bytes, as hex(1).
  std::string line = quote(name) + "=hex(1):";
  char byte[4];
  for (std::size_t i = 0; i <= text.size(); ++i) {
    std::snprintf(byte, sizeof byte, "%s%02x", i ? "," : "", i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
    line += byte;
  }
  return line;
}

void RegistryFile::setString(const std::string& name, const std::string& text) {
  const Line line{formatString(name, text), true, true, name, {kString, text}};
  // The first line of the name takes the new text; repetitions go.
  bool replaced = false;
  for (auto it = m_lines.begin(); it != m_lines.end();) {
    if (it->inKey && it->isValue && equalNoCase(it->name, name)) {
      if (replaced) {
        it = m_lines.erase(it);
        continue;
      }
      *it = line;
      replaced = true;
    }
    ++it;
  }
  if (replaced) return;
  if (!hasKey()) {
    if (m_lines.empty()) m_lines.push_back({header(), false, false, {}, {}});
    m_lines.push_back({"", false, false, {}, {}});
    m_lines.push_back({sectionHeader(), true, false, {}, {}});
  }
  // Behind the last line of the key that is not blank.
  std::size_t insertAt = 0;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    if (m_lines[i].inKey && !trimRight(m_lines[i].raw).empty()) insertAt = i + 1;
  }
  // A line left open by a backslash at the end of the file would take the
  // new one in: a blank line closes it (and joins it when read again).
  if (continues(m_lines[insertAt - 1].raw)) {
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt++), {"", true, false, {}, {}});
  }
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
}

}  // namespace tavolin
