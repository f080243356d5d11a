#include "frontend/win32/document_text.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "text/cp1252.h"

namespace tavolin {

namespace {

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
  }
  return true;
}

std::size_t findNoCase(std::string_view text, std::string_view word, std::size_t from = 0) {
  for (std::size_t at = from; at + word.size() <= text.size(); ++at) {
    if (startsWithNoCase(text, at, word)) return at;
  }
  return std::string_view::npos;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string quotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '=') {
      out += text[i];
      continue;
    }
    if (text.compare(i + 1, 2, "\r\n") == 0) {
      i += 2;  // soft line break
    } else if (text.compare(i + 1, 1, "\n") == 0) {
      i += 1;
    } else if (i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
      i += 2;
    } else {
      out += '=';
    }
  }
  return out;
}

// The HTML of an MHTML document: the first part after the headers, up to
// the next boundary; any other document is taken as HTML.
std::string htmlOf(std::string_view document) {
  const std::size_t firstTag = document.find('<');
  const std::size_t boundaryAt = findNoCase(document.substr(0, firstTag), "boundary=");
  if (boundaryAt == std::string_view::npos) return std::string(document);
  std::size_t begin = boundaryAt + 9;
  if (begin < document.size() && document[begin] == '"') ++begin;
  std::size_t end = begin;
  while (end < document.size() && document[end] != '"' && document[end] != '\r' && document[end] != '\n') ++end;
  const std::string delimiter = "--" + std::string(document.substr(begin, end - begin));

  std::size_t part = document.find(delimiter, end);
  if (part == std::string_view::npos) return std::string(document);
  std::size_t body = document.find("\n\r\n", part);
  std::size_t bodyStart = body == std::string_view::npos ? body : body + 3;
  if (const std::size_t lf = document.find("\n\n", part); lf != std::string_view::npos && lf < body) bodyStart = lf + 2;
  if (bodyStart == std::string_view::npos) return std::string();
  const std::string_view headers = document.substr(part, bodyStart - part);
  std::size_t bodyEnd = document.find(delimiter, bodyStart);
  if (bodyEnd == std::string_view::npos) bodyEnd = document.size();
  const std::string_view content = document.substr(bodyStart, bodyEnd - bodyStart);
  if (findNoCase(headers, "quoted-printable") != std::string_view::npos) return quotedPrintable(content);
  return std::string(content);
}

struct NamedCharacter {
  const char* name;
  char32_t codePoint;
};

constexpr NamedCharacter kNamedCharacters[] = {
    {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
    {"nbsp", ' '},     {"minus", '-'},    {"ndash", 0x2013}, {"mdash", 0x2014}, {"hellip", 0x2026},
    {"auml", 0xE4},    {"ouml", 0xF6},    {"uuml", 0xFC},    {"Auml", 0xC4},    {"Ouml", 0xD6},
    {"Uuml", 0xDC},    {"szlig", 0xDF},   {"laquo", 0xAB},   {"raquo", 0xBB},   {"bdquo", 0x201E},
    {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"rarr", 0x2192},
};

// The character of a reference that begins at text[at] ('&'); its length
// in length, 0 when it is no reference.
std::string reference(std::string_view text, std::size_t at, std::size_t& length) {
  length = 0;
  const std::size_t end = text.find(';', at);
  if (end == std::string_view::npos || end - at > 10) return std::string();
  const std::string name(text.substr(at + 1, end - at - 1));
  char32_t codePoint = 0;
  if (name.size() > 1 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    codePoint = static_cast<char32_t>(std::strtoul(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10));
  } else {
    for (const NamedCharacter& c : kNamedCharacters) {
      if (name == c.name) codePoint = c.codePoint;
    }
  }
  if (codePoint == 0) return std::string();
  length = end - at + 1;
  if (codePoint == 0x2192) return "->";
  if (codePoint == 0x2212) return "-";
  const int byte = cp1252FromCodePoint(codePoint);
  return std::string(1, byte < 0 ? '?' : static_cast<char>(byte));
}

// Collects the text, one line at a time, with blanks folded as a browser
// folds them.
class TextWriter {
 public:
  void character(char c, bool preformatted) {
    if (!preformatted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
      m_bBlank = true;
      return;
    }
    if (preformatted && c == '\r') return;
    if (preformatted && c == '\n') {
      lineBreak();
      return;
    }
    if (m_bBlank && !m_sLine.empty() && m_sLine.back() != '\t') m_sLine += ' ';
    m_bBlank = false;
    m_sLine += c;
  }
  void text(const std::string& s) {
    for (char c : s) character(c, false);
  }
  void cell() {
    if (!m_sLine.empty()) m_sLine += '\t';
    m_bBlank = false;
  }
  void lineBreak() {
    while (!m_sLine.empty() && (m_sLine.back() == ' ' || m_sLine.back() == '\t')) m_sLine.pop_back();
    m_bBlank = false;
    if (m_sLine.empty()) return;
    m_sText += m_sLine + "\r\n";
    m_sLine.clear();
  }
  // An empty line before what follows, one at most, none at the start.
  void paragraph() {
    lineBreak();
    if (!m_sText.empty() && !endsWithEmptyLine()) m_sText += "\r\n";
  }
  std::string finish() {
    lineBreak();
    while (endsWithEmptyLine()) m_sText.resize(m_sText.size() - 2);
    return m_sText;
  }

 private:
  std::string m_sText;
  std::string m_sLine;
  bool m_bBlank = false;

  bool endsWithEmptyLine() const {
    return m_sText.size() >= 4 && m_sText.compare(m_sText.size() - 4, 4, "\r\n\r\n") == 0;
  }
};

bool oneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* n : names) {
    if (name == n) return true;
  }
  return false;
}

}  // namespace

std::string documentText(std::string_view document) {
  const std::string html = utf8ToCp1252(htmlOf(document));
  const std::string_view h(html);
  TextWriter out;
  bool preformatted = false;
  std::size_t i = 0;
  // Only the body is shown; a document without one is shown whole.
  if (const std::size_t body = findNoCase(h, "<body"); body != std::string_view::npos) i = body;
  while (i < h.size()) {
    const char c = h[i];
    if (c == '&') {
      std::size_t length = 0;
      const std::string character = reference(h, i, length);
      if (length > 0) {
        out.text(character);
        i += length;
        continue;
      }
    }
    if (c != '<') {
      out.character(c, preformatted);
      ++i;
      continue;
    }
    if (h.compare(i, 4, "<!--") == 0) {
      const std::size_t end = h.find("-->", i);
      i = end == std::string_view::npos ? h.size() : end + 3;
      continue;
    }
    std::size_t end = i + 1;
    const bool closing = end < h.size() && h[end] == '/';
    if (closing) ++end;
    std::string name;
    while (end < h.size() && std::isalnum(static_cast<unsigned char>(h[end]))) {
      name += static_cast<char>(std::tolower(static_cast<unsigned char>(h[end])));
      ++end;
    }
    for (char quote = 0; end < h.size() && (quote || h[end] != '>'); ++end) {
      if (quote && h[end] == quote) {
        quote = 0;
      } else if (!quote && (h[end] == '"' || h[end] == '\'')) {
        quote = h[end];
      }
    }
    i = end + 1;
    if (!closing && oneOf(name, {"style", "script", "head", "title"})) {
      const std::size_t close = findNoCase(h, "</" + name, i);
      const std::size_t closeEnd = close == std::string_view::npos ? close : h.find('>', close);
      i = closeEnd == std::string_view::npos ? h.size() : closeEnd + 1;
      continue;
    }
    if (name == "pre") {
      out.paragraph();
      preformatted = !closing;
    } else if (oneOf(name, {"p", "h1", "h2", "h3", "h4", "h5", "h6", "table", "ul", "ol", "dl", "blockquote"})) {
      out.paragraph();
    } else if (oneOf(name, {"br", "div", "tr", "dt", "dd", "hr"})) {
      out.lineBreak();
    } else if (name == "li") {
      out.lineBreak();
      if (!closing) out.text("- ");
    } else if (!closing && (name == "td" || name == "th")) {
      out.cell();
    }
  }
  return out.finish();
}

}  // namespace tavolin
