# Checks the files the build delivers beside the programs:
#   cmake -DHELP_DIR=<build>/help -DSOURCE_DIR=<source tree> [-DPYTHON=python3] -P help_files_check.cmake
# - each .mht is one well-formed MIME multipart/related document whose HTML
#   part decodes to its source document (and, where python3 is given, Python's
#   own MIME parser reads the same);
# - every "#anchor" link of a help document has its target;
# - each help document names the settings pages and their fields as the
#   windows of its language show them (texts taken from the text table);
# - Elvorbeep.wav is a 16-bit mono PCM RIFF/WAVE file of a short sound.
# Prints "all checks passed", or one "FAILED: ..." line per fault.

function(fail text)
  message("FAILED: ${text}")
  set_property(GLOBAL APPEND PROPERTY help_failures "${text}")
endfunction()

# The visible text of an HTML document: tags dropped, entities decoded,
# white space collapsed to single blanks.
function(visible_text html result)
  string(REGEX REPLACE "<[^>]*>" " " text "${html}")
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  string(REPLACE "&quot;" "\"" text "${text}")
  string(REPLACE "&nbsp;" " " text "${text}")
  string(REPLACE "&ndash;" "-" text "${text}")
  string(REPLACE "&minus;" "-" text "${text}")
  string(REPLACE "&amp;" "&" text "${text}")
  string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

# The text of a table entry, in the language given (0 German, 1 English),
# in UTF-8 as the documents are. The table writes the Latin-1 characters of
# Windows-1252 as escapes, and ends a literal after an escape followed by a
# hex digit ("r\xfc" "ckw\xe4rts").
function(table_text table name language result)
  string(REGEX REPLACE "(\\\\x[0-9a-f][0-9a-f])\" \"" "\\1" table "${table}")
  if(NOT table MATCHES "\"([^\"]*)\",[ \n]*\"([^\"]*)\",[ ]*// ${name}\n")
    message(FATAL_ERROR "text table entry ${name} not found")
  endif()
  math(EXPR group "${language} + 1")
  set(text "${CMAKE_MATCH_${group}}")
  string(REGEX MATCHALL "\\\\x[a-f][0-9a-f]" escapes "${text}")
  foreach(escape IN LISTS escapes)
    string(SUBSTRING "${escape}" 2 2 byte)
    math(EXPR lead "0xc0 + (0x${byte} >> 6)")
    math(EXPR trail "0x80 + (0x${byte} & 0x3f)")
    string(ASCII ${lead} ${trail} character)
    string(REPLACE "${escape}" "${character}" text "${text}")
  endforeach()
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

function(check_mhtml mht source)
  # file(READ) drops the CR of each CR LF, so the line ends are checked on
  # the bytes: "xx " per byte, every 0a preceded by 0d, no other 0d.
  file(READ ${mht} hex HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  set(bytes " ${bytes}")
  string(REPLACE "0d 0a " "" bytes "${bytes}")
  if(bytes MATCHES " 0[ad] ")
    fail("${mht}: a line does not end with CR LF")
  endif()
  file(READ ${mht} raw)
  file(READ ${source} html)
  # From here on the lines end with LF alone.
  string(FIND "${raw}" "\n\n" headerEnd)
  string(SUBSTRING "${raw}" 0 ${headerEnd} header)
  string(REPLACE "\n\t" " " header "${header}")
  if(NOT header MATCHES "(^|\n)MIME-Version: 1\\.0(\n|$)")
    fail("${mht}: no MIME-Version: 1.0")
  endif()
  if(NOT header MATCHES "(^|\n)Content-Type: multipart/related;[^\n]* boundary=\"([^\"]+)\"")
    fail("${mht}: no multipart/related Content-Type with a boundary")
    return()
  endif()
  set(boundary "${CMAKE_MATCH_2}")

  string(FIND "${raw}" "\n--${boundary}\n" open)
  string(FIND "${raw}" "\n--${boundary}\n" lastOpen REVERSE)
  string(FIND "${raw}" "\n--${boundary}--\n" close)
  string(LENGTH "${raw}" size)
  string(LENGTH "\n--${boundary}--\n" closeLength)
  math(EXPR closeAt "${size} - ${closeLength}")
  if(NOT close EQUAL closeAt)
    fail("${mht}: the boundary does not close the document at its end")
    return()
  endif()
  if(open EQUAL -1 OR NOT open EQUAL lastOpen)
    fail("${mht}: the boundary does not open exactly one part")
    return()
  endif()

  string(LENGTH "\n--${boundary}\n" openLength)
  math(EXPR partAt "${open} + ${openLength}")
  math(EXPR partLength "${close} - ${partAt}")
  string(SUBSTRING "${raw}" ${partAt} ${partLength} part)
  string(FIND "${part}" "${boundary}" inside)
  if(NOT inside EQUAL -1)
    fail("${mht}: the boundary occurs inside the part")
  endif()
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
  if(body MATCHES "${longLine}")
    fail("${mht}: a quoted-printable line is longer than 76 characters")
  endif()
  if(body MATCHES "[^ -~\n]")
    fail("${mht}: the part holds characters that quoted-printable must encode")
  endif()
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
  if(NOT body STREQUAL html)
    fail("${mht}: the HTML part does not decode to ${source}")
  endif()

  if(PYTHON)
    execute_process(
      COMMAND ${PYTHON} -c [[
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
    if(NOT status EQUAL 0)
      fail("${mht}: Python's MIME parser: ${error}")
    endif()
  endif()
endfunction()

function(check_anchors name html)
  string(REGEX MATCHALL "href=\"#[^\"]*\"" links "${html}")
  list(LENGTH links count)
  if(count LESS 10)
    fail("${name}: only ${count} links to its own sections")
  endif()
  foreach(link IN LISTS links)
    string(REGEX REPLACE "^href=\"#(.*)\"$" "\\1" target "${link}")
    if(NOT html MATCHES " (id|name)=\"${target}\"")
      fail("${name}: link to #${target} without a target")
    endif()
  endforeach()
endfunction()

function(check_wav wav)
  file(READ ${wav} hex HEX)
  file(SIZE ${wav} size)
  # RIFF <size - 8> WAVE, "fmt " of 16 bytes: PCM, mono, 22050 Hz, 44100 bytes/s,
  # block 2, 16 bits; then "data" with its size.
  math(EXPR riffSize "${size} - 8")
  math(EXPR dataSize "${size} - 44")
  foreach(value riffSize dataSize)
    math(EXPR ${value}Hex "${${value}}" OUTPUT_FORMAT HEXADECIMAL)
    string(REGEX REPLACE "^0x" "" digits "${${value}Hex}")
    string(LENGTH "${digits}" length)
    math(EXPR pad "8 - ${length}")
    string(REPEAT "0" ${pad} zeros)
    set(digits "${zeros}${digits}")
    string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" ${value}Le "${digits}")
    string(TOLOWER "${${value}Le}" ${value}Le)
  endforeach()
  set(expected "52494646${riffSizeLe}57415645666d7420100000000100010022560000"
               "44ac000002001000" "64617461${dataSizeLe}")
  string(CONCAT expected ${expected})
  string(SUBSTRING "${hex}" 0 88 header)
  if(NOT header STREQUAL expected)
    fail("${wav}: not a 16-bit mono 22050 Hz PCM RIFF/WAVE header: ${header}")
  endif()
  # A short signal: between 0.1 and 0.3 seconds of sound.
  if(dataSize LESS 4410 OR dataSize GREATER 13230)
    fail("${wav}: ${dataSize} bytes of sound is not a short signal")
  endif()
endfunction()

file(READ ${SOURCE_DIR}/src/text/ui_text_table.cpp table)
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

foreach(document "TavoHilfe|0" "TavoHelp|1")
  string(REPLACE "|" ";" document "${document}")
  list(GET document 0 name)
  list(GET document 1 language)
  set(source ${SOURCE_DIR}/resources/help/${name}.html)
  check_mhtml(${HELP_DIR}/${name}.mht ${source})
  file(READ ${HELP_DIR}/${name}.htm html)
  check_anchors(${name}.htm "${html}")
  visible_text("${html}" text)
  set(names ${pages_${language}} ${specialKeys})
  foreach(entry IN LISTS tableNames)
    table_text("${table}" ${entry} ${language} field)
    list(APPEND names "${field}")
  endforeach()
  foreach(field IN LISTS names)
    string(FIND "${text}" "${field}" at)
    if(at EQUAL -1)
      fail("${name}: does not name \"${field}\"")
    endif()
  endforeach()
endforeach()

file(READ ${HELP_DIR}/Ascii.htm ascii)
visible_text("${ascii}" asciiText)
foreach(row "20 32 Space" "41 65 A" "7E 126 ~" "00 0 NUL" "1B 27 ESC" "1F 31 US")
  string(FIND "${asciiText}" "${row}" at)
  if(at EQUAL -1)
    fail("Ascii.htm: no row ${row}")
  endif()
endforeach()

check_wav(${HELP_DIR}/Elvorbeep.wav)

get_property(failures GLOBAL PROPERTY help_failures)
if(NOT failures)
  message("all checks passed")
endif()
