#include "services/text_file.h"

#include "text/cp1252.h"

namespace tavolin {

StdioTextFile::StdioTextFile(std::FILE* stream, Encoding encoding, Ownership ownership)
    : m_pStream(stream), m_eEncoding(encoding), m_eOwnership(ownership) {}

StdioTextFile::~StdioTextFile() {
  if (m_pStream && m_eOwnership == Ownership::Owned) std::fclose(m_pStream);
}

bool StdioTextFile::write(std::string_view text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_eEncoding == Encoding::Windows1252) {
    std::fwrite(text.data(), 1, text.size(), m_pStream);
  } else {
    // In pieces through a fixed buffer: a line of the trace or the data
    // log costs no allocation.
    char buffer[768];
    std::size_t used = 0;
    for (char c : text) {
      if (used + 3 > sizeof buffer) {
        std::fwrite(buffer, 1, used, m_pStream);
        used = 0;
      }
      used += cp1252ToUtf8(static_cast<unsigned char>(c), buffer + used);
    }
    std::fwrite(buffer, 1, used, m_pStream);
  }
  const bool written = std::fflush(m_pStream) == 0 && !std::ferror(m_pStream);
  std::clearerr(m_pStream);  // the next text may fit again
  return written;
}

}  // namespace tavolin
