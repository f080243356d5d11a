#pragma once

#include <string>
#include <string_view>

namespace tavolin {

// The readable text of a help document, for a window that cannot show
// HTML: the HTML part of an MHTML document (decoded from quoted-printable)
// or an HTML file itself, without markup, style and script, with the
// character references resolved, paragraphs and list items on lines of
// their own and table cells separated by tabs. The documents are UTF-8;
// the text is Windows-1252 with CR LF line ends, as an edit control of
// the Windows edition takes it.
std::string documentText(std::string_view document);

}  // namespace tavolin
