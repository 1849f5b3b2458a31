# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64). The posix
# thread model: std::thread and std::mutex need it. Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORTAN_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORTAN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORTAN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VORTAN_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORTAN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest starts every Windows test program through Wine; scripts/test-windows prepares the
# prefix it runs in.
find_program(VORTAN_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VORTAN_WINE})
