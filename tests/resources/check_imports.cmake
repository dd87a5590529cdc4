# Fails unless every DLL a Windows program imports ships with Windows itself,
# so that the program runs as a lone file, with no MinGW runtime (libstdc++,
# libgcc, libwinpthread) beside it; and fails on any import of the functions
# that a one-threaded program has no use for and that antivirus heuristics
# read as signs of process injection or tampering (the POSIX thread runtime
# and MinGW's start-up bring them in).
#
# cmake -DOBJDUMP=<MinGW objdump> -DPROGRAM=<program.exe> -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)
set(system_dlls
  advapi32 comctl32 comdlg32 dwmapi gdi32 imm32 kernel32 msvcrt ntdll ole32 oleaut32
  shcore shell32 shlwapi user32 uxtheme version winmm)
set(forbidden_functions
  SuspendThread GetThreadContext SetThreadContext SetSystemTime VirtualProtect _beginthreadex)

execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
if(NOT imports)
  message(FATAL_ERROR "no imported DLL found in ${PROGRAM}: the import table was not read")
endif()

set(dlls)
set(foreign)
foreach(import IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: *" "" dll "${import}")
  string(STRIP "${dll}" dll)
  list(APPEND dlls "${dll}")
  string(TOLOWER "${dll}" name)
  string(REGEX REPLACE "\\.dll$" "" name "${name}")
  if(NOT name IN_LIST system_dlls)
    list(APPEND foreign "${dll}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${PROGRAM} needs DLLs that Windows does not ship: ${foreign}")
endif()

# Each imported function is listed as a line "<tab>vma<tab>  hint  name".
string(REGEX MATCHALL "\n\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_][A-Za-z0-9_]*" rows "${dump}")
set(functions)
foreach(row IN LISTS rows)
  string(REGEX REPLACE ".* " "" function "${row}")
  list(APPEND functions "${function}")
endforeach()
list(LENGTH functions count)
if(count EQUAL 0)
  message(FATAL_ERROR "no imported function found in ${PROGRAM}: the import table was not read")
endif()
set(forbidden)
foreach(function IN LISTS forbidden_functions)
  if(function IN_LIST functions)
    list(APPEND forbidden "${function}")
  endif()
endforeach()
if(forbidden)
  message(FATAL_ERROR "${PROGRAM} imports ${forbidden}")
endif()
message(STATUS "${PROGRAM} imports only system DLLs: ${dlls}; ${count} functions, none of ${forbidden_functions}")
