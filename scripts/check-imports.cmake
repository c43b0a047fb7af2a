# Windows programs and DLLs must start on a bare Windows: they may import system
# DLLs only, never a runtime (libstdc++, libgcc, libwinpthread) that would have to be
# shipped beside them.
#
# Included by the build: lumen_check_imports(target) adds a step after the link
# that fails the build when the target imports anything else.
# Run as a script: cmake -DOBJDUMP=i686-w64-mingw32-objdump -DFILE=lumen.exe
#                        -P scripts/check-imports.cmake

set(LUMEN_SYSTEM_DLLS
    kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 shlwapi version ws2_32
    bcrypt crypt32 secur32 rpcrt4 ntdll msvcrt ucrtbase)

if(CMAKE_SCRIPT_MODE_FILE)
  if(NOT OBJDUMP OR NOT FILE)
    message(FATAL_ERROR "usage: cmake -DOBJDUMP=... -DFILE=... -P check-imports.cmake")
  endif()
  execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} -p ${FILE} failed")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
  set(foreign)
  foreach(line ${lines})
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" name)
    string(REGEX REPLACE "\\.dll$" "" name "${name}")
    list(FIND LUMEN_SYSTEM_DLLS "${name}" known)
    # The Universal C Runtime is reached through its API sets.
    if(known EQUAL -1 AND NOT name MATCHES "^api-ms-win-")
      list(APPEND foreign ${dll})
    endif()
  endforeach()
  if(foreign)
    message(FATAL_ERROR "${FILE} imports non-system DLLs: ${foreign}")
  endif()
  return()
endif()

set(LUMEN_CHECK_IMPORTS_SCRIPT ${CMAKE_CURRENT_LIST_FILE})
function(lumen_check_imports target)
  if(NOT CMAKE_OBJDUMP)
    message(FATAL_ERROR "objdump is needed to check the imports of ${target}")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:${target}>
            -P ${LUMEN_CHECK_IMPORTS_SCRIPT}
    VERBATIM)
endfunction()
