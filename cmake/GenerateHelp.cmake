# The files delivered beside the programs: the help documents, the ASCII
# table of padding characters and the default signal sound.
#
#   tavolin_generate_help(OUTPUT_DIR)
#
# writes into OUTPUT_DIR, at configure time and only when a file's content
# changes:
#   TavoHelp.mht, TavoHilfe.mht  the help as MHTML (one MIME multipart/related
#                                document), for the Windows edition's browser
#                                control, which opens it from a file:// address
#   TavoHelp.htm, TavoHilfe.htm  the same help as plain HTML, for the Linux
#                                edition's QTextBrowser
#   Ascii.htm                    the ASCII table, opened from the card data page
#   Elvorbeep.wav                the default "Sound file"
# The sources are resources/help/*.html and resources/Elvorbeep.wav; a change
# to one of them configures the build again. Afterwards TAVOLIN_HELP_DIR names
# OUTPUT_DIR and TAVOLIN_HELP_FILES lists the files, so that a program target
# or an install rule can put them beside the programs.

include(${CMAKE_CURRENT_LIST_DIR}/WriteGenerated.cmake)

set(_tavolin_help_source_dir ${CMAKE_CURRENT_LIST_DIR}/../resources)

function(tavolin_generate_help output_dir)
  set(help ${_tavolin_help_source_dir}/help)
  file(MAKE_DIRECTORY ${output_dir})
  set(files "")

  foreach(name TavoHelp TavoHilfe)
    file(READ ${help}/${name}.html html)
    tavolin_write_generated(${help}/${name}.html ${output_dir}/${name}.htm "${html}")
    _tavolin_mhtml("${html}" ${name}.htm mhtml)
    tavolin_write_generated(${help}/${name}.html ${output_dir}/${name}.mht "${mhtml}")
    list(APPEND files ${output_dir}/${name}.mht ${output_dir}/${name}.htm)
  endforeach()

  file(READ ${help}/Ascii.html html)
  tavolin_write_generated(${help}/Ascii.html ${output_dir}/Ascii.htm "${html}")

  set(sound ${_tavolin_help_source_dir}/Elvorbeep.wav)
  file(COPY_FILE ${sound} ${output_dir}/Elvorbeep.wav ONLY_IF_DIFFERENT)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sound})

  list(APPEND files ${output_dir}/Ascii.htm ${output_dir}/Elvorbeep.wav)
  set(TAVOLIN_HELP_DIR ${output_dir} PARENT_SCOPE)
  set(TAVOLIN_HELP_FILES ${files} PARENT_SCOPE)
endfunction()

# An HTML document as a single-part MHTML file, the form Internet Explorer
# saves a page in. The boundary holds "=_", which quoted-printable text can
# never contain, so it cannot occur inside the part. The part's location is
# relative, so that the browser resolves it against the .mht file itself.
function(_tavolin_mhtml html location result)
  set(boundary "----=_NextPart_Tavolin_Help")
  set(subject "Elvor Tavolin")
  if(html MATCHES "<title>([ -~]*)</title>")
    set(subject "${CMAKE_MATCH_1}")
  endif()
  _tavolin_quoted_printable("${html}" body)
  set(crlf "\r\n")
  string(CONCAT mhtml
      "Subject: ${subject}${crlf}"
      "MIME-Version: 1.0${crlf}"
      "Content-Type: multipart/related;${crlf}\ttype=\"text/html\";${crlf}\tboundary=\"${boundary}\"${crlf}"
      "${crlf}"
      "This is a multi-part message in MIME format.${crlf}"
      "${crlf}"
      "--${boundary}${crlf}"
      "Content-Type: text/html;${crlf}\tcharset=\"utf-8\"${crlf}"
      "Content-Transfer-Encoding: quoted-printable${crlf}"
      "Content-Location: ${location}${crlf}"
      "${crlf}"
      "${body}"
      "${crlf}--${boundary}--${crlf}")
  set(${result} "${mhtml}" PARENT_SCOPE)
endfunction()

# Quoted-printable (RFC 2045) with CR LF line ends: "=", tabs, bytes above
# 0x7E and a blank at the end of a line become =XX; lines longer than 76
# characters are broken with a soft line break "=" that never splits an =XX.
function(_tavolin_quoted_printable text result)
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE "=" "=3D" text "${text}")
  string(REPLACE "\t" "=09" text "${text}")
  foreach(code RANGE 127 255)
    string(ASCII ${code} byte)
    math(EXPR hex "${code}" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${hex}" 2 2 hex)
    string(TOUPPER "${hex}" hex)
    string(REPLACE "${byte}" "=${hex}" text "${text}")
  endforeach()

  set(out "")
  string(LENGTH "${text}" left)
  while(left GREATER 0)
    string(FIND "${text}" "\n" end)
    if(end EQUAL -1)
      set(line "${text}")
      set(text "")
    else()
      string(SUBSTRING "${text}" 0 ${end} line)
      math(EXPR next "${end} + 1")
      string(SUBSTRING "${text}" ${next} -1 text)
    endif()
    string(REGEX REPLACE " $" "=20" line "${line}")
    string(LENGTH "${line}" length)
    while(length GREATER 76)
      # Cut after 75 characters, or before an =XX that the cut would split.
      string(SUBSTRING "${line}" 73 2 tail)
      if(tail MATCHES "^=")
        set(cut 73)
      elseif(tail MATCHES "=$")
        set(cut 74)
      else()
        set(cut 75)
      endif()
      string(SUBSTRING "${line}" 0 ${cut} head)
      string(SUBSTRING "${line}" ${cut} -1 line)
      string(APPEND out "${head}=\r\n")
      string(LENGTH "${line}" length)
    endwhile()
    string(APPEND out "${line}\r\n")
    string(LENGTH "${text}" left)
  endwhile()
  set(${result} "${out}" PARENT_SCOPE)
endfunction()
