# Turns the message file (.mc) into a C++ table of (id, text) for the
# core, so that the message file stays the one source of the event texts.
#   tavolin_generate_message_table(MC_FILE OUTPUT_FILE)
function(tavolin_generate_message_table mc output)
  file(STRINGS ${mc} lines)
  set(entries "")
  set(id "")
  set(text "")
  set(inText FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^MessageId=([0-9]+)")
      set(id ${CMAKE_MATCH_1})
    elseif(line MATCHES "^Language=")
      set(inText TRUE)
      set(text "")
    elseif(inText AND line STREQUAL ".")
      set(inText FALSE)
      string(APPEND entries "    {${id}, \"${text}\"},\n")
    elseif(inText)
      string(REPLACE "\\" "\\\\" line "${line}")
      string(REPLACE "\"" "\\\"" line "${line}")
      string(APPEND text "${line}\\r\\n")
    endif()
  endforeach()
  set(content "// Generated from ${mc}; do not edit.\n${entries}")
  tavolin_write_generated(${mc} ${output} "${content}")
endfunction()

# A copy of the message file with CR LF line ends, for windmc: windmc ends
# each line of a text with the line end it reads, and the texts end, and
# their lines are separated, with "\r\n".
#   tavolin_crlf_message_file(MC_FILE OUTPUT_FILE)
function(tavolin_crlf_message_file mc output)
  file(READ ${mc} content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  tavolin_write_generated(${mc} ${output} "${content}")
endfunction()

# Writes a file generated from the message file, only when its content
# changes (so that nothing is rebuilt for nothing), and configures again
# when the message file changes.
function(tavolin_write_generated mc output content)
  if(EXISTS ${output})
    file(READ ${output} old)
  endif()
  if(NOT "${old}" STREQUAL "${content}")
    file(WRITE ${output} "${content}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${mc})
endfunction()
