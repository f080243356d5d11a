# Makes the Windows edition's installer: copies what it installs into a
# folder of its own, strips the programs there of their debugging
# information, signs them when a signing command is given, and runs
# makensis, which signs the uninstaller and the installer with the same
# command.
#   cmake -DMAKENSIS=... -DNSI=tavolin.nsi -DVERSION=2.10.00
#         -DPROGRAMS=<folder of the windowed programs and their files> -DCONSOLE=<tavolin-console.exe>
#         [-DSTRIP=<strip program>] -DRESOURCES=<resources folder> -DSTAGE=<folder> -DOUTFILE=<setup.exe>
#         [-DSIGN_COMMAND="... %1 ..."] -P BuildInstaller.cmake

set(files tavolin_en.exe tavolin_de.exe TavoHelp.mht TavoHilfe.mht Ascii.htm Elvorbeep.wav)

# Runs the signing command for one file.
function(sign file)
  string(REPLACE "%1" "${file}" command "${SIGN_COMMAND}")
  if(CMAKE_HOST_WIN32)
    execute_process(COMMAND cmd /c "${command}" RESULT_VARIABLE result)
  else()
    execute_process(COMMAND sh -c "${command}" RESULT_VARIABLE result)
  endif()
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "signing ${file} failed (${result}): ${command}")
  endif()
endfunction()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
foreach(name ${files})
  file(COPY_FILE ${PROGRAMS}/${name} ${STAGE}/${name})
endforeach()
file(COPY_FILE ${CONSOLE} ${STAGE}/tavolin-console.exe)

set(programs ${STAGE}/tavolin_en.exe ${STAGE}/tavolin_de.exe ${STAGE}/tavolin-console.exe)
if(STRIP)
  execute_process(COMMAND ${STRIP} --strip-debug ${programs} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${STRIP} failed (${result})")
  endif()
endif()

set(defines -DVERSION=${VERSION} -DFILES=${STAGE} -DRESOURCES=${RESOURCES} -DOUTFILE=${OUTFILE})
if(SIGN_COMMAND)
  foreach(program ${programs})
    sign(${program})
  endforeach()
  list(APPEND defines "-DSIGN_COMMAND=${SIGN_COMMAND}")
endif()

execute_process(COMMAND ${MAKENSIS} -V2 -WX ${defines} ${NSI} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTFILE})
  message(FATAL_ERROR "makensis failed (${result})")
endif()
