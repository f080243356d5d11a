# GoogleTest for both editions, and one helper to declare a test program.
#
# Natively the system's GoogleTest is used and every case is a CTest test of
# its own. Under wine, starting a program costs about a second, so each test
# program is one CTest test there.
if(CMAKE_CROSSCOMPILING)
  set(TAVOLIN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${TAVOLIN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# In a sanitized build every test, and every program a test starts, writes
# its sanitizer reports into one folder (the runtimes' log_path). The folder
# is emptied before the tests and must be empty after them, so that a report
# of a program whose exit code a script does not look at (a simulator that
# is killed, a console run in the background) fails the run too.
set(TAVOLIN_TEST_PROPERTIES "")
if(TAVOLIN_SANITIZE)
  set(TAVOLIN_SANITIZER_REPORTS ${CMAKE_BINARY_DIR}/sanitizer-reports)
  set(modification "")
  if(TAVOLIN_SANITIZE STREQUAL "thread")
    # The system libraries' own races are left out (tests/sanitizers).
    set(environment "TSAN_OPTIONS=log_path=${TAVOLIN_SANITIZER_REPORTS}/report:second_deadlock_stack=1:suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/tsan.supp")
  else()
    # UndefinedBehaviorSanitizer reports through the same runtime.
    set(environment "ASAN_OPTIONS=log_path=${TAVOLIN_SANITIZER_REPORTS}/report:detect_leaks=1")
    # The leaks of system libraries (one property per variable: the
    # properties are passed on as a flat list).
    set(modification ENVIRONMENT_MODIFICATION
                     "LSAN_OPTIONS=set:suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp:print_suppressions=0")
  endif()
  set(TAVOLIN_TEST_PROPERTIES ENVIRONMENT "${environment}" ${modification} FIXTURES_REQUIRED sanitizer_reports)
endif()

# Gives the tests of the calling folder declared with add_test the
# sanitized build's properties; in the first folder also the tests that
# empty the reports folder and look at it at the end.
function(tavolin_sanitizer_reports first)
  if(NOT TAVOLIN_SANITIZE)
    return()
  endif()
  get_property(tests DIRECTORY PROPERTY TESTS)
  if(tests)
    set_tests_properties(${tests} PROPERTIES ${TAVOLIN_TEST_PROPERTIES})
  endif()
  if(first)
    foreach(mode clear check)
      add_test(NAME sanitizer_reports_${mode}
               COMMAND ${CMAKE_COMMAND} -DMODE=${mode} -DREPORTS=${TAVOLIN_SANITIZER_REPORTS}
                       -P ${PROJECT_SOURCE_DIR}/cmake/SanitizerReports.cmake)
    endforeach()
    set_tests_properties(sanitizer_reports_clear PROPERTIES FIXTURES_SETUP sanitizer_reports)
    set_tests_properties(sanitizer_reports_check PROPERTIES FIXTURES_CLEANUP sanitizer_reports
                         PASS_REGULAR_EXPRESSION "no sanitizer reports")
  endif()
endfunction()

function(tavolin_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES ${TAVOLIN_TEST_PROPERTIES})
  endif()
endfunction()
