# What an installation holds, and the packages made of it:
#   Windows edition: the installer tavolin-<version>-setup.exe (NSIS), target
#                    tavolin-setup, built with the programs when makensis is
#                    there.
#
# TAVOLIN_SIGN_COMMAND signs what is delivered: a command with "%1" where the
# file goes (for example: osslsigncode sign -pkcs12 key.p12 -in %1 -out %1.signed && mv %1.signed %1),
# run by the shell for each program before it is packed, then for the
# uninstaller and the installer. Empty: nothing is signed.
set(TAVOLIN_SIGN_COMMAND "" CACHE STRING "Command that signs the file %1 (Windows installer and programs)")

if(WIN32)
  find_program(TAVOLIN_MAKENSIS makensis)
  if(NOT TAVOLIN_MAKENSIS)
    message(STATUS "makensis not found: the installer is not built")
    return()
  endif()
  set(setup ${CMAKE_BINARY_DIR}/tavolin-${PROJECT_VERSION}-setup.exe)
  set(nsi ${PROJECT_SOURCE_DIR}/packaging/windows/tavolin.nsi)
  add_custom_command(OUTPUT ${setup}
    COMMAND ${CMAKE_COMMAND} -DMAKENSIS=${TAVOLIN_MAKENSIS} -DNSI=${nsi} -DVERSION=${PROJECT_VERSION}
            -DPROGRAMS=$<TARGET_FILE_DIR:tavolin_en> -DCONSOLE=$<TARGET_FILE:tavolin-console> -DSTRIP=${CMAKE_STRIP} -DRESOURCES=${PROJECT_SOURCE_DIR}/resources
            -DSTAGE=${CMAKE_BINARY_DIR}/setup-files -DOUTFILE=${setup} "-DSIGN_COMMAND=${TAVOLIN_SIGN_COMMAND}"
            -P ${PROJECT_SOURCE_DIR}/cmake/BuildInstaller.cmake
    DEPENDS tavolin_en tavolin_de tavolin-console ${nsi} ${PROJECT_SOURCE_DIR}/cmake/BuildInstaller.cmake
            ${TAVOLIN_HELP_FILES} ${PROJECT_SOURCE_DIR}/resources/tavolin.ico
    COMMENT "Making the installer tavolin-${PROJECT_VERSION}-setup.exe"
    VERBATIM)
  add_custom_target(tavolin-setup ALL DEPENDS ${setup})
  set(TAVOLIN_SETUP ${setup})
endif()
