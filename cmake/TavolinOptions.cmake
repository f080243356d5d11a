# Compiler settings shared by every target of the project.
#
# Every string the program handles is Windows-1252, on every system. The C++
# sources are ASCII: a character beyond it is written as its Windows-1252
# escape ("L\xe4nge"), so that the bytes do not depend on a compiler's
# execution character set and every compiler (g++, clang, MSVC, mingw-w64)
# builds the same strings without one. The test tavolin_ascii_sources keeps
# it so; tavolin_core_test compares known texts byte by byte.
if(MSVC)
  add_compile_options(/W4)
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS NOMINMAX WIN32_LEAN_AND_MEAN)
else()
  add_compile_options(-Wall -Wextra)
endif()

if(WIN32)
  add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
  if(MINGW)
    # Programs run without mingw's DLLs beside them.
    add_link_options(-static)
  endif()
endif()

# Sanitized builds (presets asan, tsan and fuzz, built with clang):
#   address  AddressSanitizer and UndefinedBehaviorSanitizer, every report fatal
#   thread   ThreadSanitizer
#   fuzzer   libFuzzer's coverage with address and undefined, for tests/fuzz
set(TAVOLIN_SANITIZE "" CACHE STRING "A sanitized build: address, thread or fuzzer")
if(TAVOLIN_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(TAVOLIN_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(TAVOLIN_SANITIZE STREQUAL "fuzzer")
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(TAVOLIN_SANITIZE)
  message(FATAL_ERROR "TAVOLIN_SANITIZE is address, thread or fuzzer, not ${TAVOLIN_SANITIZE}")
endif()
