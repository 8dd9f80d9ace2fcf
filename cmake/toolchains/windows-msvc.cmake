# 32-bit Windows in the Microsoft C++ ABI, without any Microsoft SDK: Debian's
# clang for i686-pc-windows-msvc and lld-link. Only module code is built this
# way (freestanding C++, see morv_module_code); it sees the C headers of
# mingw-w64 and no C++ standard library. Each module links its own import
# libraries of KERNEL32.dll and msvcrt.dll and a tiny runtime of its own
# (morv_add_panel_script), so it needs no C runtime start-up.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET i686-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET i686-pc-windows-msvc)
set(CMAKE_LINKER lld-link)
set(CMAKE_AR llvm-ar)
set(CMAKE_RANLIB llvm-ranlib)
set(CMAKE_RC_COMPILER llvm-rc)
set(CMAKE_MT llvm-mt)
# The compiler checks cannot link a program: there is no C runtime to link.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# mingw-w64's C headers (package mingw-w64-i686-dev). They need the GNU
# attribute syntax (__GNUC__) and the x86 marker the MinGW compiler defines.
set(MORV_WINDOWS_C_HEADERS /usr/i686-w64-mingw32/include)
set(CMAKE_C_FLAGS_INIT "-fgnuc-version=4.2.1 -D_X86_=1")
set(CMAKE_CXX_FLAGS_INIT "-fgnuc-version=4.2.1 -D_X86_=1")
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${MORV_WINDOWS_C_HEADERS})
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${MORV_WINDOWS_C_HEADERS})
# No C runtime library is named to the linker (the modules import msvcrt.dll
# through their own import library).
set(CMAKE_MSVC_RUNTIME_LIBRARY "")
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "None: a module names its own imports")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "None: a module names its own imports")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tells morv_add_panel_script and the kit to build native panel DLLs.
set(MORV_WINDOWS_NATIVE ON)
