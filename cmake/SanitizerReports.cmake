# The sanitizer reports of a test run (cmake/TavolinTesting.cmake):
#   cmake -DMODE=clear -DREPORTS=DIR -P SanitizerReports.cmake   empties the folder
#   cmake -DMODE=check -DREPORTS=DIR -P SanitizerReports.cmake   prints every report; passes when there is none
if(MODE STREQUAL "clear")
  file(REMOVE_RECURSE ${REPORTS})
  file(MAKE_DIRECTORY ${REPORTS})
  return()
endif()
file(GLOB reports ${REPORTS}/report*)
if(NOT reports)
  message("no sanitizer reports")
  return()
endif()
foreach(report IN LISTS reports)
  file(READ ${report} text)
  message("${report}:\n${text}")
endforeach()
list(LENGTH reports count)
message(FATAL_ERROR "${count} sanitizer reports in ${REPORTS}")
