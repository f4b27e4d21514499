# Builds for the browser with Debian's emscripten; programs run under Node.js, so CTest runs
# the core's test programs there like native ones.
set(PDS_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Where emscripten is installed")
include(${PDS_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

find_program(PDS_NODE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PDS_NODE} CACHE FILEPATH "Runs the built programs")

# The core reports failures by exception; emscripten turns catching off unless asked.
set(CMAKE_CXX_FLAGS_INIT "-fexceptions")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fexceptions")

# em++ runs its JavaScript optimiser on Node.js at link time; that needs Debian's acorn, which
# a Node.js from outside Debian does not look for.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
