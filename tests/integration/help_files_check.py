#!/usr/bin/env python3
"""Checks the files the build delivers beside the programs: each .mht is one
well-formed MIME multipart/related document whose HTML part decodes to its
source; each help document's "#anchor" links have targets, and it names the
settings pages and fields as the windows show them; Ascii.htm; Elvorbeep.wav.
  help_files_check.py HELP_DIR SOURCE_DIR
Prints "all checks passed", or one "FAILED: ..." line per fault."""
import email
import html
import re
import struct
import sys
from pathlib import Path

help_dir, source_dir = Path(sys.argv[1]), Path(sys.argv[2])
failures = []


def require(condition, message):
    if not condition:
        failures.append(message)
        print(f"FAILED: {message}")
    return condition


def names(name, document, strings):
    """The visible text of the HTML document (tags dropped, entities decoded,
    white space collapsed to single blanks) holds each string."""
    text = html.unescape(re.sub(r"<[^>]*>", " ", document)).translate({0xA0: " ", 0x2013: "-", 0x2212: "-"})
    text = " ".join(text.split())
    for string in strings:
        require(string in text, f'{name}: does not name "{string}"')


def check_mhtml(mht, source):
    raw = mht.read_bytes()
    require(not re.search(rb"\r(?!\n)|(?<!\r)\n", raw), f"{mht}: a line does not end with CR LF")
    message = email.message_from_bytes(raw)
    require(message["MIME-Version"] == "1.0", f"{mht}: no MIME-Version: 1.0")
    boundary = message.get_boundary()
    if not require(message.get_content_type() == "multipart/related" and boundary,
                   f"{mht}: no multipart/related Content-Type with a boundary"):
        return
    parts = message.get_payload()
    closed = raw.endswith(f"\r\n--{boundary}--\r\n".encode())
    if not require(not message.defects and len(parts) == 1 and closed,
                   f"{mht}: the boundary does not open exactly one part and close the document at its end"):
        return
    part = parts[0]
    require(boundary not in part.as_string(), f"{mht}: the boundary occurs inside the part")
    for field, found in (('Content-Type: text/html; charset="utf-8"',
                          part.get_content_type() == "text/html" and part.get_content_charset() == "utf-8"),
                         ("Content-Transfer-Encoding: quoted-printable",
                          part["Content-Transfer-Encoding"] == "quoted-printable"),
                         ("Content-Location", bool(part["Content-Location"]))):
        require(found, f"{mht}: the HTML part has no header {field}")
    lines = part.get_payload().split("\r\n")
    require(all(len(line) <= 76 for line in lines), f"{mht}: a quoted-printable line is longer than 76 characters")
    require(all(re.fullmatch("[ -~]*", line) for line in lines),
            f"{mht}: the part holds characters that quoted-printable must encode")
    require(part.get_payload(decode=True).replace(b"\r\n", b"\n") == source.read_bytes(),
            f"{mht}: the HTML part does not decode to {source}")


# The text table in UTF-8, as the documents are: it writes the Latin-1
# characters of Windows-1252 as escapes, and ends a literal after an escape
# followed by a hex digit ("r\xfc" "ckw\xe4rts").
table = (source_dir / "src/text/ui_text_table.cpp").read_text(encoding="ascii")
table = re.sub(r'(\\x[0-9a-f]{2})" "', r"\1", table)
table = re.sub(r"\\x([0-9a-f]{2})", lambda escape: chr(int(escape[1], 16)), table)
# Field and page names as the windows show them; the page captions come
# from the dialog templates.
table_names = """Hide Settings EnableTest DisableTest StopReading RestartReading CountOfReadings
  RavlinkProtocol Signaling UseSound ChangeSound BitsPerSecond DataBits Parity StopBits FlowControl
  ExactLengthReading LengthOfAllCardData ReadingOfCardData ReadingFromStartPosition FromStartPosition
  IncludingFinalPosition ReadingSecondRange ByteOnCardIs AsciiCharacterPerByte TwoCharactersInNibbels
  CharacterInLowNibbel CharacterInHighNibbel NibbelTransformation ToAlphabetic LeaveSpecialCharacters
  DataTransfer Forward Backward CardDataEndWithPadding Truncate HexPaddingPresentation AsciiTableOfPadding
  Conversion HexadecimalToDecimal DigitRightAligned FilterSequence
  CharacterSequence CharactersBefore CharactersBetween CharactersAfter AsciiCharacter Add SelectionComplete""".split()
entries = {}
for entry in table_names:
    found = re.search(r'"([^"]*)",[ \n]*"([^"]*)",[ ]*// ' + entry + "\n", table)
    if require(found, f"text table entry {entry} not found"):
        entries[entry] = found.groups()  # the German text first
pages = (("COM-Schnittstelle/ Kommunikationsprotokoll", "Kartendaten", "Zusätzliche Zeichen"),
         ("COM port/ communication protocol", "Card data", "Additional characters"))
special_keys = ("<CR>", "<LF=Ctrl-ENTER>", "<LF=0x0A>", "<TAB>", "<SHIFT TAB>", "<ESC>", "<F1>", "<F8>", "<<")
for language, name in enumerate(("TavoHilfe", "TavoHelp")):
    check_mhtml(help_dir / f"{name}.mht", source_dir / f"resources/help/{name}.html")
    document = (help_dir / f"{name}.htm").read_text(encoding="utf-8")
    targets = re.findall(r'href="#([^"]*)"', document)
    require(len(targets) >= 10, f"{name}.htm: only {len(targets)} links to its own sections")
    for target in targets:
        anchor = re.search(f' (id|name)="{re.escape(target)}"', document)
        require(anchor, f"{name}.htm: link to #{target} without a target")
    fields = [texts[language] for texts in entries.values()]
    names(name, document, (*pages[language], *special_keys, *fields))
names("Ascii.htm", (help_dir / "Ascii.htm").read_text(encoding="utf-8"),
      ("20 32 Space", "41 65 A", "7E 126 ~", "00 0 NUL", "1B 27 ESC", "1F 31 US"))
# Elvorbeep.wav: RIFF <size - 8> WAVE, "fmt " of 16 bytes: PCM, mono, 22050 Hz,
# 44100 bytes/s, block 2, 16 bits; "data" <size>: 0.1 to 0.3 s of sound.
wav = help_dir / "Elvorbeep.wav"
sound = wav.read_bytes()
data = len(sound) - 44
header = struct.unpack("<4sI4s4sIHHIIHH4sI", sound[:44].ljust(44, b"\0"))
want = (b"RIFF", len(sound) - 8, b"WAVE", b"fmt ", 16, 1, 1, 22050, 44100, 2, 16, b"data", data)
require(header == want, f"{wav}: not a 16-bit mono 22050 Hz PCM RIFF/WAVE header of its size: {header}, not {want}")
require(4410 <= data <= 13230, f"{wav}: {data} bytes of sound is not a short signal")
if failures:
    sys.exit(1)
print("all checks passed")
