# Writes a file generated from a source at configure time, only when its
# content changes (so that nothing that depends on it is rebuilt for
# nothing), and configures again when the source changes. Contents are
# compared by hash: file(READ) would drop the CR of CR LF line ends.
#   tavolin_write_generated(SOURCE OUTPUT CONTENT)
function(tavolin_write_generated source output content)
  string(SHA256 new "${content}")
  if(EXISTS ${output})
    file(SHA256 ${output} old)
  endif()
  if(NOT "${old}" STREQUAL "${new}")
    file(WRITE ${output} "${content}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
