# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads, so std::thread and
# std::mutex work) and runs what it builds under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(pds_mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${pds_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${pds_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${pds_mingw_triple}-windres)

# Headers and libraries of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${pds_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian keeps the 64-bit loader out of PATH; the `wine` wrapper would also ask for wine32.
# The prefix is the build's own, so tests run the same from CTest as from scripts, quietly and
# without Mono or Gecko installers.
find_program(PDS_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_program(PDS_WINESERVER wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(PDS_WINEPREFIX "${CMAKE_BINARY_DIR}/wine" CACHE PATH "The Wine prefix the programs run in")
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env WINEPREFIX=${PDS_WINEPREFIX} WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml="
    sh ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh ${PDS_WINE64} ${PDS_WINESERVER})

# No libstdc++, libgcc or winpthread DLL to carry beside the programs: only Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
