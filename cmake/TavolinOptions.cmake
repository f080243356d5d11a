# Compiler settings shared by every target of the project.
#
# Sources are UTF-8; every string the program handles is Windows-1252, on
# every system, so the execution character set is Windows-1252 everywhere.
if(MSVC)
  add_compile_options(/W4 /source-charset:utf-8 /execution-charset:windows-1252)
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS NOMINMAX WIN32_LEAN_AND_MEAN)
else()
  add_compile_options(-Wall -Wextra -finput-charset=UTF-8 -fexec-charset=CP1252)
endif()

if(WIN32)
  add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
  if(MINGW)
    # Programs run without mingw's DLLs beside them.
    add_link_options(-static)
  endif()
endif()
