// The Windows windows' plain text of a help document.
#include "frontend/win32/document_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tavolin {
namespace {

// The help documents as the build writes them: MHTML with the page as
// quoted-printable UTF-8, and plain HTML.
TEST(DocumentText, IsTheReadableTextOfTheDocument) {
  const struct {
    const char* what;
    std::string document, text;
  } cases[] = {
      {"MHTML",
       "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n\tboundary=\"--=_B\"\r\n\r\n"
       "----=_B\r\nContent-Type: text/html;\r\n\tcharset=\"utf-8\"\r\nContent-Transfer-Encoding: quoted-printable\r\n"
       "\r\n<html lang=3D\"de\"><body><p>L=C3=A4nge ei=\r\nnes Bereichs</p></body></html>\r\n----=_B--\r\n",
       "L\xe4nge eines Bereichs\r\n"},
      {"head, style and comments skipped",
       "<html><head><title>T</title><style>p { x: 1; }</style></head>"
       "<body><!-- <p>no</p> --><h1>Help</h1><p>One\n   two</p><p>three</p></body></html>",
       "Help\r\n\r\nOne two\r\n\r\nthree\r\n"},
      {"table cells tabbed, rows lines",
       "<body><table><tr><th>Hex</th> <th>Char</th></tr>\n<tr><td> 3C </td><td>&lt;</td></tr></table>after</body>",
       "Hex\tChar\r\n3C\t<\r\n\r\nafter\r\n"},
      {"list items and references",
       "<body><ul><li>a &amp; b</li><li>&#x27;x&#39; &ndash; &bdquo;y&ldquo; &minus;1&nbsp;&unknown;</li></ul></body>",
       "- a & b\r\n- 'x' \x96 \x84y\x93 -1 &unknown;\r\n"},
      {"unterminated markup ends the text", "<body><p>end<style>never closed", "end\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(documentText(c.document), c.text) << c.what;
}

}  // namespace
}  // namespace tavolin
