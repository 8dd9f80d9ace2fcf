# 32-bit Windows with Debian's MinGW-w64 cross compiler, in its POSIX thread
# model: std::thread and std::mutex (which Boost.Beast uses) exist there, on
# MinGW's winpthreads, linked in statically like the rest of the runtime.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The DLLs must not depend on MinGW runtime DLLs the closed host does not
# ship, and panel-host.exe is one file that needs no DLL but Windows' own.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Tests of the Windows builds run their programs under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
