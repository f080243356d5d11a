// Deriving the runtime records from the settings texts.
#include <algorithm>

#include "processing/card_data_processor.h"
#include "processing/settings_text.h"
#include "processing/special_key_table.h"

namespace tavolin {

namespace {

// The byte that holds nibble position n.
std::int32_t half(std::int32_t n) { return n % 2 == 0 ? n / 2 : n / 2 + 1; }

bool isPosition(std::int32_t n) { return n >= 1 && n <= kMaxPosition; }

}  // namespace

CardDataProcessor::CardDataProcessor(Keyboard& keyboard, Trace& trace) : m_keyboard(keyboard), m_trace(trace) {
  // Room for the longest reading with the longest additional keys, so that
  // describing what a reading typed allocates nothing.
  m_sTyped.reserve(4 * 1600 + 2 * decodedSize);
}

void CardDataProcessor::CheckFilter(const CardDataSettings& s) {
  if (s.padUsed()) {
    m_filterAttr.bPadUsed = true;
    // A text that does not begin with a hexadecimal digit means the
    // default, a space, as the card data page would have put in.
    if (!scanHexByte(s.sPadChar, m_filterAttr.cPadChar)) m_filterAttr.cPadChar = 0x20;
    m_trace("CheckFilter(): Padchar ist: '%c' == '0x%02x'\n", m_filterAttr.cPadChar, m_filterAttr.cPadChar);
  } else {
    m_filterAttr.bPadUsed = false;
    m_filterAttr.cPadChar = 0;
    m_trace("CheckFilter(): kein PAD verwendet\n");
  }

  std::int32_t digits = 0;
  scanDecimal(s.sDigits, digits);
  m_filterAttr.iDigits = std::clamp(digits, 0, kMaxDigits);

  if (s.hexToDec()) {
    m_filterAttr.bHexToDec = true;
    m_trace("CheckFilter(): hex -> dec Konvertierung (%d-stellig, rechtsb\xfcndig)\n", m_filterAttr.iDigits);
  } else {
    m_filterAttr.bHexToDec = false;
    m_trace("CheckFilter(): keine hex -> dec Konvertierung\n");
  }

  if (s.truncateFirst()) {
    m_filterAttr.bTruncateFirst = true;
    m_trace("CheckFilter(): Filter: 1. Padchar l\xf6schen, 2. konvertieren\n");
  } else {
    m_filterAttr.bTruncateFirst = false;
    m_trace("CheckFilter(): Filter: 1. konvertieren, 2. Padchar l\xf6schen\n");
  }
}

std::int32_t CardDataProcessor::CheckCardAttr(const CardDataSettings& s) {
  CardAttr& a = m_cardAttr;
  a.bFixedLen = s.fixedLength();
  a.iNibbleMode = s.byteMode();
  a.bMapToHex = s.mapToHex();
  a.bForward = s.forward();
  const auto H = [&a](std::int32_t n) { return a.iNibbleMode == NibbleMode::Nibbelwise ? half(n) : n; };

  // Every position must lie within what the buffers hold; a value that is
  // not a number, or out of range, makes the layout implausible.
  std::int32_t total = 0, s1 = 0, e1 = 0, s2 = 0, e2 = 0;
  bool inRange = scanDecimal(s.sTotalLength, total) && isPosition(total);
  inRange = scanDecimal(s.sReadStart, s1) && isPosition(s1) && inRange;
  inRange = scanDecimal(s.sReadStop, e1) && isPosition(e1) && inRange;
  const bool hasStart2 = scanDecimal(s.sReadStart2, s2);
  const bool hasStop2 = scanDecimal(s.sReadStop2, e2);
  inRange = inRange && (!hasStart2 || isPosition(s2)) && (!hasStop2 || isPosition(e2));

  a.iTotalLen = H(total);
  a.iCardStart = s1;
  a.iByteStart = H(s1);
  m_trace("CheckCardAttr(): 1. Lesel\xe4nge: %d Bytes oder Nibbel\n", e1 - s1 + 1);

  // Range 2 must begin behind range 1; "-" or another text that is not a
  // number means there is none.
  bool twoRanges = false;
  if (hasStart2 && s2 <= e1) {
    m_trace("CheckCardAttr(): keine 2. Lesel\xe4nge (da \xfc" "berlappender oder anschlie\xdf" "ender Lesebereich)\n");
  } else if (hasStart2 && hasStop2) {
    if (e2 - s2 + 1 <= 0) {
      m_trace("CheckCardAttr(): keine 2. Lesel\xe4nge (<= 0)\n");
    } else {
      m_trace("CheckCardAttr(): 2. Lesel\xe4nge: %d Bytes oder Nibbel\n", e2 - s2 + 1);
      twoRanges = true;
    }
  }

  if (twoRanges) {
    a.iCardStop = e2;
    a.iByteStop = H(e2);
    a.iByteLen1 = H(e1) - a.iByteStart + 1;
    a.iCardLen1 = e1 - a.iCardStart + 1;
    a.iByteLen2 = a.iByteStop - H(s2) + 1;
    a.iCardLen2 = e2 - s2 + 1;
    a.iByteStart2 = H(s2) - a.iByteStart;
    a.iCardStart2 = s2 - a.iCardStart;
  } else {
    a.iCardStop = e1;
    a.iByteStop = H(a.iCardStop);
    a.iByteLen1 = a.iByteStop - a.iByteStart + 1;
    a.iCardLen1 = a.iCardStop - a.iCardStart + 1;
    a.iByteLen2 = a.iCardLen2 = a.iByteStart2 = a.iCardStart2 = 0;
  }
  a.iReadLen = a.iByteStop - a.iByteStart + 1;
  m_trace("CheckCardAttr(): From byte start position %d on reading %d bytes\n", a.iByteStart, a.iReadLen);
  traceLayout();

  if (!a.bForward) {
    // The inverted data begin with the last needed character: the former
    // range 2 comes first.
    if (a.iCardStart2 != 0) a.iCardStart2 = a.iCardStop - a.iCardStart - a.iCardLen1 + 1;
    if (a.iByteStart2 != 0) a.iByteStart2 = a.iByteStop - a.iByteStart - a.iByteLen1 + 1;
    a.iCardStart = 1;
    a.iByteStart = 1;
    if (a.iByteLen2 != 0) std::swap(a.iByteLen1, a.iByteLen2);
    if (a.iCardLen2 != 0) std::swap(a.iCardLen1, a.iCardLen2);
    m_trace("CheckCardAttr(): CardAttr neu berechnet, da Leserichtung r\xfc" "ckw\xe4rts:\n");
    traceLayout();
  }

  if (!inRange) {
    m_trace("CheckCardAttr(): Fehler: Gesamtl\xe4nge oder Leseposition nicht im Bereich 1 bis %d\n", kMaxPosition);
    a.iReadLen = 0;
  } else if (twoRanges && e1 < s1) {
    // Range 1 stops before it starts. With one range iReadLen says so
    // already; with two, range 2 would make the layout look plausible and
    // range 1 would reach the transformation with a negative length.
    m_trace("CheckCardAttr(): Fehler: 1. Lesel\xe4nge <= 0\n");
    a.iReadLen = 0;
  }
  return a.iReadLen;
}

void CardDataProcessor::traceLayout() {
  const CardAttr& a = m_cardAttr;
  m_trace("\tiByteStart: %d, iByteLen1: %d, iByteStart2 (relativ zu iByteStart): %d, iByteLen2: %d, iByteStop: %d\n",
          a.iByteStart, a.iByteLen1, a.iByteStart2, a.iByteLen2, a.iByteStop);
  m_trace("\tiCardStart: %d, iCardLen1: %d, iCardStart2 (relativ zu iCardStart): %d, iCardLen2: %d, iCardStop: %d\n",
          a.iCardStart, a.iCardLen1, a.iCardStart2, a.iCardLen2, a.iCardStop);
}

void CardDataProcessor::CheckAddChars(const AddCharsSettings& s) {
  m_keyboard.refreshLayout();
  parseAddChars(s.sPrefix, m_dataPostProcessing.PrefixCode, &m_typedKeys.prefix);
  parseAddChars(s.sInterfix, m_dataPostProcessing.InterfixCode, &m_typedKeys.interfix);
  parseAddChars(s.sPostfix, m_dataPostProcessing.PostfixCode, &m_typedKeys.postfix);
  traceCodeList("PrefixCode", m_dataPostProcessing.PrefixCode);
  traceCodeList("InterfixCode", m_dataPostProcessing.InterfixCode);
  traceCodeList("PostfixCode", m_dataPostProcessing.PostfixCode);
}

void CardDataProcessor::traceCodeList(const char* name, const KeyCodeList& list) {
  if (list.count == 0) {
    m_trace("CheckAddChars(): DataPostProcessing.%s: keiner\n", name);
    return;
  }
  m_trace("CheckAddChars(): DataPostProcessing.%s: Len: %d\n\t", name, list.count);
  for (std::int32_t i = 0; i < list.count; ++i) {
    const KeyCode code = list.codes[static_cast<std::size_t>(i)];
    m_trace("'%c' (=='0x%02x') ", code & 0xFF, static_cast<unsigned>(code));
  }
  m_trace("\n");
}

void CardDataProcessor::ParseAddChars(const std::string& text, KeyCodeList& list) { parseAddChars(text, list, nullptr); }

void CardDataProcessor::parseAddChars(const std::string& text, KeyCodeList& list, std::string* typed) {
  list.count = 0;
  if (typed) typed->clear();
  if (text == "keine" || text == "none") return;

  std::int32_t dropped = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    KeyCode code;
    std::string_view name;  // what the key types, in the notation
    if (text[i] != '<') {
      code = m_keyboard.vkKeyScan(text[i]);
      name = std::string_view(text).substr(i, 1);
      i += 1;
    } else if (i + 1 < text.size() && text[i + 1] == '<') {
      code = m_keyboard.vkKeyScan('<');
      name = "<<";
      i += 2;
    } else {
      const SpecialKeyTable::Row* match = nullptr;
      for (std::int32_t row = 0; row < SpecialKeyTable::rowCount() && !match; ++row) {
        const SpecialKeyTable::Row& candidate = SpecialKeyTable::rows()[row];
        if (text.compare(i, std::char_traits<char>::length(candidate.token), candidate.token) == 0) {
          match = &candidate;
        }
      }
      if (match) {
        code = match->code;
        name = match->token;
        i += name.size();
      } else {
        // An unknown sequence counts as "?" and takes four characters, or
        // what is left of the text.
        code = m_keyboard.vkKeyScan('?');
        name = "?";
        i += std::min<std::size_t>(4, text.size() - i);
      }
    }
    if (list.count < KeyCodeList::capacity) {
      list.codes[static_cast<std::size_t>(list.count++)] = code;
      // A key the layout does not have is not typed.
      if (typed && code != key_code::None) typed->append(name);
    } else {
      ++dropped;
    }
  }
  if (dropped > 0) {
    m_trace("ParseAddChars(): mehr als %d Tasten, %d weitere verworfen\n", KeyCodeList::capacity, dropped);
  }
}

}  // namespace tavolin
