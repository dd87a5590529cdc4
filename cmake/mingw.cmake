# Cross-compiling with MinGW-w64 for the architecture that the preset names in
# VELMORA_MINGW_ARCH (x86_64 or i686).
set(VELMORA_MINGW_ARCH "x86_64" CACHE STRING "MinGW-w64 target architecture: x86_64 or i686")
set(triplet ${VELMORA_MINGW_ARCH}-w64-mingw32)
# Velmora.exe runs one thread and is built with the win32 thread model: the
# posix model links a static copy of winpthread, whose imports (SuspendThread,
# SetThreadContext, VirtualProtect...) the program never uses and antivirus
# heuristics read as signs of process injection. The test programs use
# std::thread, which GCC 12 offers only in the posix model.
set(VELMORA_MINGW_THREADS "posix" CACHE STRING "MinGW-w64 thread model: posix or win32")
# A build folder keeps the compiler it first found; one configured before
# with the other thread model forgets it here, so that CMake finds the one
# named below.
file(GLOB found_compilers "${CMAKE_BINARY_DIR}/CMakeFiles/${CMAKE_VERSION}/CMake*Compiler.cmake")
foreach(found IN LISTS found_compilers)
  file(STRINGS "${found}" compiler REGEX "^set\\(CMAKE_(C|CXX)_COMPILER \"")
  if(compiler AND NOT compiler MATCHES "-${VELMORA_MINGW_THREADS}\"\\)$")
    file(REMOVE "${found}")
  endif()
endforeach()

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VELMORA_MINGW_ARCH})
set(CMAKE_C_COMPILER ${triplet}-gcc-${VELMORA_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${triplet}-g++-${VELMORA_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# CTest runs the test programs under Wine in the x86_64 build only; the i686
# build's end-to-end scripts start Wine themselves, where it runs 32-bit code.
if(VELMORA_MINGW_ARCH STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
