# What an installation holds, and the packages made of it:
#   Windows edition: the installer tavolin-<version>-setup.exe (NSIS), target
#                    tavolin-setup, built with the programs when makensis is
#                    there;
#   Linux edition:   the install rules (cmake --install) and the Debian
#                    package tavolin_<version>_amd64.deb (cpack, CPack's DEB
#                    generator).
# scripts/package.sh builds both into build/packages.
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
  return()
endif()

# ---------------------------------------------------------------------------
# The Linux edition's installation. The files of the system (udev rule,
# systemd unit) go where Debian 12 keeps a package's: /lib.

include(GNUInstallDirs)
set(TAVOLIN_UDEV_RULES_DIR /lib/udev/rules.d CACHE PATH "Where the udev rule is installed")
set(TAVOLIN_SYSTEMD_UNIT_DIR /lib/systemd/system CACHE PATH "Where the systemd unit is installed")
set(TAVOLIN_PACKAGE_MAINTAINER "Brellmark <tavolin@brellmark.example>" CACHE STRING
    "Maintainer of the Debian package: name <address>")

set(linux_resources ${PROJECT_SOURCE_DIR}/resources/linux)
set(share ${CMAKE_INSTALL_DATADIR}/tavolin)

install(TARGETS tavolin-console tavolin-readersim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tavolin_en)
  install(TARGETS tavolin_en tavolin_de RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The programs look for these beside them and in ../share/tavolin.
install(FILES ${TAVOLIN_HELP_DIR}/TavoHelp.htm ${TAVOLIN_HELP_DIR}/TavoHilfe.htm ${TAVOLIN_HELP_DIR}/Ascii.htm
              ${TAVOLIN_HELP_DIR}/Elvorbeep.wav
        DESTINATION ${share})
install(FILES ${linux_resources}/tavolin.desktop ${linux_resources}/tavolin-de.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Starting at login is the user's choice: the entry is copied from here to
# ~/.config/autostart or /etc/xdg/autostart.
install(FILES ${linux_resources}/tavolin-autostart.desktop DESTINATION ${share}/autostart)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${linux_resources}/60-tavolin-uinput.rules DESTINATION ${TAVOLIN_UDEV_RULES_DIR})
install(FILES ${linux_resources}/tavolin-console.service DESTINATION ${TAVOLIN_SYSTEMD_UNIT_DIR})

# Manual pages and the changelog, compressed as Debian wants them (gzip -9,
# no name or time stamp inside).
set(packaging ${CMAKE_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${packaging}/changelog @ONLY)
set(compressed "")
foreach(source ${linux_resources}/man/tavolin-console.1 ${linux_resources}/man/tavolin-readersim.1
               ${linux_resources}/man/tavolin_en.1 ${packaging}/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${packaging}/${name}.gz
    COMMAND gzip -9 -n -c ${source} > ${packaging}/${name}.gz
    DEPENDS ${source})
  list(APPEND compressed ${packaging}/${name}.gz)
endforeach()
add_custom_target(tavolin_package_files ALL DEPENDS ${compressed})
file(CREATE_LINK tavolin_en.1.gz ${packaging}/tavolin_de.1.gz SYMBOLIC)
install(FILES ${packaging}/tavolin-console.1.gz ${packaging}/tavolin-readersim.1.gz ${packaging}/tavolin_en.1.gz
              ${packaging}/tavolin_de.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavolin)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME tavolin)

# ---------------------------------------------------------------------------
# The Debian package.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavolin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Brellmark)
set(CPACK_PACKAGE_CONTACT "${TAVOLIN_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "badge card reader as a keyboard")
set(CPACK_PACKAGE_DESCRIPTION
    "Elvor Tavolin reads access-control badge cards from a card reader on a\n"
    "serial port, cuts the configured part out of the card data, decodes and\n"
    "converts it, surrounds it with configured keys and types it into the\n"
    "window that has the keyboard focus.\n"
    ".\n"
    "The package holds the windowed programs tavolin_en and tavolin_de (Qt 6,\n"
    "with an icon in the notification area), the console edition\n"
    "tavolin-console with a systemd unit for machines without a desktop, and\n"
    "the reader simulator tavolin-readersim.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from the programs' shared libraries (dpkg-shlibdeps), and adduser
# for the system service's user.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
# The Qt dialogs' own texts (file dialog, buttons) in German.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/prerm ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)
