// Turning a raw reading into text: decoding, inversion, the ranges and
// their filters.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "processing/card_data_processor.h"

namespace tavolin {

namespace {

char nibbleChar(unsigned value, bool mapToHex) {
  char c = static_cast<char>(value + '0');
  if (mapToHex && c > '9') c = static_cast<char>(c + 7);
  return c;
}

bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

char* CardDataProcessor::PrepareDataTransfer(const char* reading, std::int32_t length) {
  if (length <= 0) {
    m_trace("PrepareDataTransfer(): Fehler: Lesung mit L\xe4nge 0\n");
    return nullptr;
  }
  m_trace("PrepareDataTransfer(): Start, vollst\xe4ndige Lesung: '%.*s' mit L\xe4nge: %d Byte\n", length, reading, length);

  // The reading ends after its iByteStop-th byte. Nothing behind what the
  // reader delivered is read, and the caller's buffer is left as it is.
  const CardAttr& a = m_cardAttr;
  const std::size_t maxBytes = a.iNibbleMode == NibbleMode::Nibbelwise ? (decodedSize - 1) / 2 : decodedSize - 1;
  const std::size_t bytes = std::min<std::size_t>(
      {static_cast<std::size_t>(length), static_cast<std::size_t>(std::max(a.iByteStop, 0)), maxBytes});

  std::size_t n = 0;
  if (a.iNibbleMode == NibbleMode::Bytewise) {
    // A zero byte inside bytewise card data ends the data.
    while (n < bytes && reading[n] != '\0') {
      m_workBuffer[n] = reading[n];
      ++n;
    }
  } else {
    for (std::size_t i = 0; i < bytes; ++i) {
      const auto byte = static_cast<unsigned char>(reading[i]);
      const char high = nibbleChar(byte >> 4, a.bMapToHex);
      const char low = nibbleChar(byte & 0x0F, a.bMapToHex);
      if (a.iNibbleMode == NibbleMode::Nibbelwise) {
        m_workBuffer[n++] = high;
        m_workBuffer[n++] = low;
      } else {
        m_workBuffer[n++] = a.iNibbleMode == NibbleMode::LowNibbelwise ? low : high;
      }
    }
    // The low nibble of the stop byte lies behind an odd stop position.
    if (a.iNibbleMode == NibbleMode::Nibbelwise && a.iCardStop % 2 != 0 && bytes == static_cast<std::size_t>(a.iByteStop) && n > 0) {
      --n;
    }
  }
  m_workBuffer[n] = '\0';
  if (a.iNibbleMode != NibbleMode::Bytewise) m_trace("PrepareDataTransfer(): Nibbel Daten konvertiert zu '%s'\n", m_workBuffer);

  if (a.bForward) {
    std::memcpy(m_decodedReading, m_workBuffer, n + 1);
  } else {
    m_trace("PrepareDataTransfer(): '%s' invertieren\n", m_workBuffer);
    m_trace("PrepareDataTransfer(): '%s' mit L\xe4nge %d invertieren\n", m_workBuffer, static_cast<int>(n));
    std::reverse_copy(m_workBuffer, m_workBuffer + n, m_decodedReading);
    m_decodedReading[n] = '\0';
    m_trace("PrepareDataTransfer(): invertiert zu '%s'\n", m_decodedReading);
  }

  // The usable text begins at the start position, or is empty when the
  // data end before it.
  const std::int32_t start = a.iNibbleMode == NibbleMode::Nibbelwise ? a.iCardStart : a.iByteStart;
  const std::size_t offset = std::min(static_cast<std::size_t>(std::max(start - 1, 0)), n);
  char* result = m_decodedReading + offset;
  m_trace("PrepareDataTransfer(): Endergebnis '%s'\n", result);
  return result;
}

void CardDataProcessor::ReducePadchars(const char* start, std::int32_t& length) {
  const char pad = static_cast<char>(m_filterAttr.cPadChar);
  m_trace("ReducePadchars(): bPadUsed true, Padchar: '%c' == '0x%02x'\n", m_filterAttr.cPadChar, m_filterAttr.cPadChar);
  std::int32_t last = length - 1;
  while (last > 0 && start[last] == pad) {
    --last;
    --length;
  }
  if (last == 0) {
    m_trace("ReducePadchars() Ende: Lesebereich: '%s', L\xe4nge jetzt: %d\n", start, length);
  } else {
    m_trace("ReducePadchars() while verlassen: Lesebereich: '%s', L\xe4nge jetzt: %d\n", start, length);
  }
}

double CardDataProcessor::HexToDouble(const char* text) {
  const std::size_t n = std::strlen(text);
  double value = 0.0;
  double factor = 1.0;
  for (std::size_t i = n; i-- > 0;) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return 0.0;
    }
    value += digit * factor;
    factor *= 16.0;
  }
  return value;
}

void CardDataProcessor::TrimmedDecimal(const char* text, std::int32_t startIndex, std::int32_t& length, char* output) {
  m_trace("TrimmedDecimal() Start: '%s' Startindex: %d len: %d\n", text, startIndex, length);

  // A negative length copies nothing.
  const std::int32_t wanted = std::clamp(length, 0, static_cast<std::int32_t>(decodedSize) - 1);
  std::int32_t copied = 0;
  while (copied < wanted && text[startIndex + copied] != '\0') {
    m_hexInput[copied] = text[startIndex + copied];
    ++copied;
  }
  m_hexInput[copied] = '\0';

  bool allHex = true;
  for (std::int32_t i = 0; i < copied; ++i) allHex = allHex && isHexDigit(m_hexInput[i]);
  std::int32_t decimalLength;
  if (allHex) {
    decimalLength = std::snprintf(m_decimalText, sizeof m_decimalText, "%.0f", HexToDouble(m_hexInput));
  } else {
    decimalLength = std::snprintf(m_decimalText, sizeof m_decimalText, "0");
  }
  m_trace("TrimmedDecimal() konvertiert zu dezimal: '%s' mit L\xe4nge: %d\n", m_decimalText, decimalLength);

  // Right-aligned at iDigits: zeros in front, or only the last digits.
  const std::int32_t digits = m_filterAttr.iDigits;
  if (decimalLength < digits) {
    const std::int32_t zeros = digits - decimalLength;
    std::memset(output, '0', static_cast<std::size_t>(zeros));
    std::memcpy(output + zeros, m_decimalText, static_cast<std::size_t>(decimalLength));
  } else {
    std::memcpy(output, m_decimalText + decimalLength - digits, static_cast<std::size_t>(digits));
  }
  output[digits] = '\0';
  length = digits;
  m_trace("TrimmedDecimal() Ende: '%s' mit fester L\xe4nge: %d\n", output, digits);
}

void CardDataProcessor::TruncateFirst(const char* range, std::int32_t& length) {
  if (m_filterAttr.bTruncateFirst && m_filterAttr.bPadUsed) ReducePadchars(range, length);
}

const char* CardDataProcessor::FinishRange(const char* text, std::int32_t startIndex, std::int32_t& length,
                                           char* output) {
  const bool padAfter = !m_filterAttr.bTruncateFirst && m_filterAttr.bPadUsed;
  if (m_filterAttr.bHexToDec) {
    TrimmedDecimal(text, startIndex, length, output);
    if (padAfter) ReducePadchars(output, length);
    return output;
  }
  if (padAfter) ReducePadchars(text + startIndex, length);
  return text + startIndex;
}

bool CardDataProcessor::PrepareReading(const char* reading, std::int32_t length, PreparedReading& prepared) {
  char* text = PrepareDataTransfer(reading, length);
  if (!text) return false;
  Ranges r = SplitRanges(text);
  prepared.split = r;
  TruncateFirst(r.text, r.len1);
  if (r.hasSecond()) TruncateFirst(r.text + r.start2, r.len2);
  prepared.part1 = FinishRange(r.text, 0, r.len1, m_partDecimal[0]);
  prepared.len1 = r.len1;
  prepared.part2 = nullptr;
  prepared.len2 = 0;
  if (r.hasSecond()) {
    prepared.part2 = FinishRange(r.text, r.start2, r.len2, m_partDecimal[1]);
    prepared.len2 = r.len2;
  }
  return true;
}

CardDataProcessor::Ranges CardDataProcessor::SplitRanges(char* prepared) const {
  const CardAttr& a = m_cardAttr;
  const bool nibbles = a.iNibbleMode == NibbleMode::Nibbelwise;
  Ranges r{prepared, static_cast<std::int32_t>(std::strlen(prepared)), nibbles ? a.iCardLen1 : a.iByteLen1,
           nibbles ? a.iCardStart2 : a.iByteStart2, nibbles ? a.iCardLen2 : a.iByteLen2};

  const std::int32_t end = r.hasSecond() ? r.start2 + r.len2 : r.len1;
  if (end >= 0 && end < r.length) prepared[end] = '\0';

  // The data end before range 2: no range 2 for this reading. No length
  // leaves here negative, whatever the records say.
  if (r.hasSecond() && r.length < r.start2) r.start2 = r.len2 = 0;
  r.len1 = std::clamp(r.len1, 0, r.length);
  if (r.hasSecond()) r.len2 = std::clamp(r.len2, 0, r.length - r.start2);
  return r;
}

}  // namespace tavolin
