# Checks the files the build delivers beside the programs: each .mht is one
# well-formed MIME multipart/related document whose HTML part decodes to its
# source (Python's MIME parser reads the same, where python3 is given); each
# help document's "#anchor" links have targets, and it names the settings
# pages and fields as the windows show them; Ascii.htm; Elvorbeep.wav.
#   cmake -DHELP_DIR=<build>/help -DSOURCE_DIR=<source tree> [-DPYTHON=python3] -P help_files_check.cmake
# Prints "all checks passed", or one "FAILED: ..." line per fault.
function(fail text)
  message("FAILED: ${text}")
  set_property(GLOBAL APPEND PROPERTY help_failures "${text}")
endfunction()
# MESSAGE CONDITION...: fails with MESSAGE unless the condition holds (its
# regular expressions without semicolons).
function(require message)
  if(NOT (${ARGN}))
    fail("${message}")
  endif()
endfunction()
# NAME HTML STRINGS...: the visible text of the HTML document (tags dropped,
# entities decoded, white space collapsed to single blanks) holds each string.
function(names name html)
  string(REGEX REPLACE "<[^>]*>|&nbsp;" " " text "${html}")
  string(REGEX REPLACE "&(ndash|minus);" "-" text "${text}")
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  string(REPLACE "&quot;" "\"" text "${text}")
  string(REPLACE "&amp;" "&" text "${text}")
  string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
  foreach(string IN LISTS ARGN)
    string(FIND "${text}" "${string}" at)
    require("${name}: does not name \"${string}\"" NOT at EQUAL -1)
  endforeach()
endfunction()
function(check_mhtml mht source)
  # file(READ) drops the CR of each CR LF, so the line ends are checked on
  # the bytes: " xx" per byte, every 0a preceded by 0d, no other 0d.
  file(READ ${mht} hex HEX)
  string(REGEX REPLACE "(..)" " \\1" bytes "${hex}")
  string(REPLACE " 0d 0a" "" bytes "${bytes}")
  require("${mht}: a line does not end with CR LF" NOT bytes MATCHES " 0[ad]( |$)")
  file(READ ${mht} raw)
  file(READ ${source} html)
  # (From here on the lines end with LF alone.)
  string(FIND "${raw}" "\n\n" headerEnd)
  string(SUBSTRING "${raw}" 0 ${headerEnd} header)
  string(REPLACE "\n\t" " " header "${header}")
  require("${mht}: no MIME-Version: 1.0" header MATCHES "(^|\n)MIME-Version: 1\\.0(\n|$)")
  if(NOT header MATCHES "(^|\n)Content-Type: multipart/related;[^\n]* boundary=\"([^\"]+)\"")
    fail("${mht}: no multipart/related Content-Type with a boundary")
    return()
  endif()
  set(boundary "${CMAKE_MATCH_2}")
  # The boundary's lines marked: one opening line, the closing line at the
  # end, and the boundary nowhere in the part between them.
  string(ASCII 1 open)
  string(ASCII 2 close)
  string(REPLACE "\n--${boundary}\n" "${open}" marked "${raw}")
  string(REPLACE "\n--${boundary}--\n" "${close}" marked "${marked}")
  if(NOT marked MATCHES "^[^${open}${close}]*${open}([^${open}${close}]*)${close}$")
    fail("${mht}: the boundary does not open exactly one part and close the document at its end")
    return()
  endif()
  set(part "${CMAKE_MATCH_1}")
  string(FIND "${part}" "${boundary}" inside)
  require("${mht}: the boundary occurs inside the part" inside EQUAL -1)
  string(FIND "${part}" "\n\n" partHeaderEnd)
  string(SUBSTRING "${part}" 0 ${partHeaderEnd} partHeader)
  string(REPLACE "\n\t" " " partHeader "${partHeader}")
  foreach(field "Content-Type: text/html; charset=\"utf-8\"" "Content-Transfer-Encoding: quoted-printable"
                "Content-Location: [^\n]+")
    if(NOT partHeader MATCHES "(^|\n)${field}(\n|$)")
      fail("${mht}: the HTML part has no header ${field}")
    endif()
  endforeach()
  math(EXPR bodyAt "${partHeaderEnd} + 2")
  string(SUBSTRING "${part}" ${bodyAt} -1 body)
  string(REPEAT "[^\n]" 77 longLine)
  require("${mht}: a quoted-printable line is longer than 76 characters" NOT body MATCHES "${longLine}")
  require("${mht}: the part holds characters that quoted-printable must encode" NOT body MATCHES "[^ -~\n]")
  # Decode: soft line breaks, then every =XX, and =3D last, since a decoded
  # "=" must not start another escape.
  string(REPLACE "=\n" "" body "${body}")
  string(REGEX MATCHALL "=[0-9A-F][0-9A-F]" escapes "${body}")
  list(REMOVE_DUPLICATES escapes)
  list(REMOVE_ITEM escapes "=3D")
  foreach(escape IN LISTS escapes)
    string(SUBSTRING "${escape}" 1 2 hex)
    math(EXPR code "0x${hex}")
    string(ASCII ${code} char)
    string(REPLACE "${escape}" "${char}" body "${body}")
  endforeach()
  string(REPLACE "=3D" "=" body "${body}")
  require("${mht}: the HTML part does not decode to ${source}" body STREQUAL html)
  if(PYTHON)
    execute_process(COMMAND ${PYTHON} -c [[
import email, sys
message = email.message_from_bytes(open(sys.argv[1], 'rb').read())
parts = message.get_payload()
assert message.get_content_type() == 'multipart/related' and not message.defects, 'not multipart/related'
assert len(parts) == 1 and parts[0].get_content_type() == 'text/html', 'not one text/html part'
assert parts[0].get_content_charset() == 'utf-8' and parts[0]['Content-Location'], 'charset or location'
body = parts[0].get_payload(decode=True).replace(b'\r\n', b'\n')
assert body.rstrip(b'\n') == open(sys.argv[2], 'rb').read().rstrip(b'\n'), 'part differs from the source'
]] ${mht} ${source}
      RESULT_VARIABLE status ERROR_VARIABLE error)
    require("${mht}: Python's MIME parser: ${error}" status EQUAL 0)
  endif()
endfunction()

# The text table in UTF-8, as the documents are: it writes the Latin-1
# characters of Windows-1252 as escapes, and ends a literal after an escape
# followed by a hex digit ("r\xfc" "ckw\xe4rts").
file(READ ${SOURCE_DIR}/src/text/ui_text_table.cpp table)
string(REGEX REPLACE "(\\\\x[0-9a-f][0-9a-f])\" \"" "\\1" table "${table}")
string(REGEX MATCHALL "\\\\x[a-f][0-9a-f]" escapes "${table}")
list(REMOVE_DUPLICATES escapes)
foreach(escape IN LISTS escapes)
  string(SUBSTRING "${escape}" 2 2 byte)
  math(EXPR lead "0xc0 + (0x${byte} >> 6)")
  math(EXPR trail "0x80 + (0x${byte} & 0x3f)")
  string(ASCII ${lead} ${trail} character)
  string(REPLACE "${escape}" "${character}" table "${table}")
endforeach()
# Field and page names as the windows show them; the page captions come
# from the dialog templates.
set(tableNames
  Hide Settings EnableTest DisableTest StopReading RestartReading CountOfReadings
  RavlinkProtocol Signaling UseSound ChangeSound BitsPerSecond DataBits Parity StopBits FlowControl
  ExactLengthReading LengthOfAllCardData ReadingOfCardData ReadingFromStartPosition FromStartPosition
  IncludingFinalPosition ReadingSecondRange ByteOnCardIs AsciiCharacterPerByte TwoCharactersInNibbels
  CharacterInLowNibbel CharacterInHighNibbel NibbelTransformation ToAlphabetic LeaveSpecialCharacters
  DataTransfer Forward Backward CardDataEndWithPadding Truncate HexPaddingPresentation AsciiTableOfPadding
  Conversion HexadecimalToDecimal DigitRightAligned FilterSequence
  CharacterSequence CharactersBefore CharactersBetween CharactersAfter AsciiCharacter Add SelectionComplete)
set(pages_0 "COM-Schnittstelle/ Kommunikationsprotokoll" "Kartendaten" "Zusätzliche Zeichen")
set(pages_1 "COM port/ communication protocol" "Card data" "Additional characters")
set(specialKeys "<CR>" "<LF=Ctrl-ENTER>" "<LF=0x0A>" "<TAB>" "<SHIFT TAB>" "<ESC>" "<F1>" "<F8>" "<<")
set(documents TavoHilfe TavoHelp)
set(languages 0 1) # the table's first text is the German one
foreach(name language IN ZIP_LISTS documents languages)
  check_mhtml(${HELP_DIR}/${name}.mht ${SOURCE_DIR}/resources/help/${name}.html)
  file(READ ${HELP_DIR}/${name}.htm html)
  string(REGEX MATCHALL "href=\"#[^\"]*\"" links "${html}")
  list(LENGTH links count)
  require("${name}.htm: only ${count} links to its own sections" NOT count LESS 10)
  foreach(link IN LISTS links)
    string(REGEX REPLACE "^href=\"#(.*)\"$" "\\1" target "${link}")
    require("${name}.htm: link to #${target} without a target" html MATCHES " (id|name)=\"${target}\"")
  endforeach()
  set(fields)
  math(EXPR group "${language} + 1")
  foreach(entry IN LISTS tableNames)
    if(NOT table MATCHES "\"([^\"]*)\",[ \n]*\"([^\"]*)\",[ ]*// ${entry}\n")
      message(FATAL_ERROR "text table entry ${entry} not found")
    endif()
    list(APPEND fields "${CMAKE_MATCH_${group}}")
  endforeach()
  names(${name} "${html}" ${pages_${language}} ${specialKeys} ${fields})
endforeach()
file(READ ${HELP_DIR}/Ascii.htm ascii)
names(Ascii.htm "${ascii}" "20 32 Space" "41 65 A" "7E 126 ~" "00 0 NUL" "1B 27 ESC" "1F 31 US")
# Elvorbeep.wav: RIFF <size - 8> WAVE, "fmt " of 16 bytes: PCM, mono, 22050 Hz,
# 44100 bytes/s, block 2, 16 bits; "data" <size>: 0.1 to 0.3 s of sound.
set(wav ${HELP_DIR}/Elvorbeep.wav)
file(READ ${wav} hex HEX)
file(SIZE ${wav} size)
math(EXPR riff "${size} - 8")
math(EXPR data "${size} - 44")
string(SUBSTRING "${hex}" 0 88 header)
if(NOT header MATCHES "^52494646(........)57415645666d742010000000010001002256000044ac00000200100064617461(........)$")
  fail("${wav}: not a 16-bit mono 22050 Hz PCM RIFF/WAVE header: ${header}")
else()
  set(sizes)
  foreach(field IN ITEMS "${CMAKE_MATCH_1}" "${CMAKE_MATCH_2}")
    string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\4\\3\\2\\1" field "${field}")
    math(EXPR field "${field}")
    list(APPEND sizes ${field})
  endforeach()
  if(NOT sizes STREQUAL "${riff};${data}")
    fail("${wav}: the sizes in the header are ${sizes}, not ${riff} and ${data}")
  endif()
endif()
require("${wav}: ${data} bytes of sound is not a short signal" data GREATER_EQUAL 4410 AND data LESS_EQUAL 13230)
get_property(failures GLOBAL PROPERTY help_failures)
if(NOT failures)
  message("all checks passed")
endif()
