# Cross build for 64-bit Windows with Debian's mingw-w64 (package g++-mingw-w64-x86-64-posix).
# The posix thread model gives std::thread and std::mutex; libgcc, libstdc++ and winpthread are linked
# statically, so the programs need no DLL beside them, only Windows' own. Tests run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FWU_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FWU_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FWU_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${FWU_MINGW_PREFIX}-windres)
set(CMAKE_AR ${FWU_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${FWU_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${FWU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static takes winpthread's archive too (it has no -static-... switch of its own).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows 7 and later: IcmpSendEcho2, GetAdaptersAddresses with gateways, SetThreadExecutionState.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)

# ctest runs the test programs through wine; WINEPREFIX is set by whoever runs ctest (scripts/windows
# keeps one inside the build folder).
find_program(FWU_WINE NAMES wine64 wine)
if(FWU_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FWU_WINE})
endif()
