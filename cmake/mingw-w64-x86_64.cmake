# Cross build for 64-bit Windows with Debian's mingw-w64; the test programs
# run under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LT77_MINGW_TRIPLE x86_64-w64-mingw32)
# The "-posix" compilers use the POSIX thread model; the default (win32)
# model of GCC 12 has no std::thread or std::mutex.
set(CMAKE_C_COMPILER ${LT77_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LT77_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LT77_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LT77_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Only platform/win32 and the Windows entry points include Windows headers;
# they all use the wide (W) functions.
set(CMAKE_C_FLAGS_INIT "-DUNICODE -D_UNICODE")
set(CMAKE_CXX_FLAGS_INIT "-DUNICODE -D_UNICODE")

# The GCC runtime, the C++ library and winpthreads go inside every binary,
# so a DLL or program imports only system DLLs and can be copied anywhere.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run in a Wine prefix of their own inside the build tree, without a
# display and without Wine's debug chatter (see wine_run.sh). Wine creates
# the prefix on first use.
if(NOT DEFINED LT77_WINEPREFIX)
    set(LT77_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
endif()
find_program(LT77_WINE wine)
if(LT77_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine_run.sh" "${LT77_WINEPREFIX}")
endif()
