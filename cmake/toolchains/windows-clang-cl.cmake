# 32-bit Windows in the Microsoft C++ ABI with LLVM's clang-cl and lld-link,
# as the LLVM installer puts them on Windows (C:\Program Files\LLVM\bin) or
# wherever PATH finds them; no Microsoft SDK or C runtime is needed. The
# Windows kit installs this file as toolchains/windows-msvc.cmake: a panel
# script's windows-msvc preset builds its DLL with it, against the kit's
# libraries (lib/*.lib, built in the same ABI). Module code is freestanding:
# it sees clang's own C headers (stdint.h, stddef.h, limits.h...) and, when
# they are installed, the Windows SDK's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(morv_llvm_places "$ENV{ProgramW6432}/LLVM/bin" "$ENV{ProgramFiles}/LLVM/bin" "$ENV{LLVM_ROOT}/bin"
  /usr/lib/llvm-14/bin /usr/lib/llvm/bin)
foreach(tool clang-cl lld-link llvm-lib llvm-rc llvm-mt)
  string(TOUPPER ${tool} name)
  string(REPLACE "-" "_" name ${name})
  find_program(MORV_${name} NAMES ${tool} ${tool}-14 PATHS ${morv_llvm_places})
endforeach()
if(NOT MORV_CLANG_CL OR NOT MORV_LLD_LINK OR NOT MORV_LLVM_LIB)
  message(FATAL_ERROR "the windows-msvc toolchain needs LLVM's clang-cl, lld-link and llvm-lib "
    "(install LLVM for Windows, or put its bin folder on PATH)")
endif()
set(CMAKE_C_COMPILER ${MORV_CLANG_CL})
set(CMAKE_CXX_COMPILER ${MORV_CLANG_CL})
set(CMAKE_C_COMPILER_TARGET i686-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET i686-pc-windows-msvc)
set(CMAKE_LINKER ${MORV_LLD_LINK})
set(CMAKE_AR ${MORV_LLVM_LIB})
if(MORV_LLVM_RC)
  set(CMAKE_RC_COMPILER ${MORV_LLVM_RC})
endif()
if(MORV_LLVM_MT)
  set(CMAKE_MT ${MORV_LLVM_MT})
endif()
# The compiler checks cannot link a program: there is no C runtime to link.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# No C runtime library is named to the compiler or the linker (a module
# imports msvcrt.dll through the kit's import library).
set(CMAKE_MSVC_RUNTIME_LIBRARY "")
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "None: a module names its own imports")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "None: a module names its own imports")
# No manifest: a panel DLL has none.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "/manifest:no")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "/manifest:no")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# Tells morv_add_panel_script and the kit to build native panel DLLs.
set(MORV_WINDOWS_NATIVE ON)
