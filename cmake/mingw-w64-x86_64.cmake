# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix threads, so that std::thread
# and std::mutex work). The Windows dependencies (libxml2, GoogleTest) are installed by
# scripts/windows-deps into LUVARO_WINDOWS_DEPS; test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Taken from the environment as well, so that try_compile projects see the same value.
if(NOT LUVARO_WINDOWS_DEPS AND DEFINED ENV{LUVARO_WINDOWS_DEPS})
  set(LUVARO_WINDOWS_DEPS "$ENV{LUVARO_WINDOWS_DEPS}")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${LUVARO_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No DLLs of the compiler beside the programs: everything the C++ runtime needs is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest (and GoogleTest's test discovery) run the programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/wine)
