# The Windows kit's own libraries (lib\, 32-bit, Microsoft C++ ABI), as the
# Windows archive installs them beside this file's package: morv::strings,
# morv::framework, morv::panel-host (panel-host.exe) and what
# morv_add_panel_script links into a native DLL. They are built for the one
# target the kit serves, so a project uses its windows-msvc toolchain.
if(NOT MORV_WINDOWS_NATIVE)
  message(FATAL_ERROR "this kit builds native 32-bit Windows DLLs: configure with its windows-msvc toolchain "
    "(${CMAKE_CURRENT_LIST_DIR}/toolchains/windows-msvc.cmake; the windows-msvc preset of a project from "
    "panel-host new uses it)")
endif()
get_filename_component(morv_kit_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(NOT TARGET morv::strings)
  add_library(morv::strings STATIC IMPORTED)
  set_target_properties(morv::strings PROPERTIES
    IMPORTED_LOCATION ${morv_kit_prefix}/lib/morv_string.lib
    INTERFACE_INCLUDE_DIRECTORIES ${morv_kit_prefix}/include
    INTERFACE_COMPILE_DEFINITIONS MORV_STRING_STATIC)
  add_library(morv::framework STATIC IMPORTED)
  set_target_properties(morv::framework PROPERTIES
    IMPORTED_LOCATION ${morv_kit_prefix}/lib/morv_framework.lib
    INTERFACE_INCLUDE_DIRECTORIES ${morv_kit_prefix}/include
    INTERFACE_LINK_LIBRARIES morv::strings
    INTERFACE_COMPILE_FEATURES cxx_std_17)
  add_executable(morv::panel-host IMPORTED)
  set_target_properties(morv::panel-host PROPERTIES IMPORTED_LOCATION ${morv_kit_prefix}/panel-host.exe)
endif()

# What morv_add_panel_script links instead of compiling and making it.
set(MORV_WINDOWS_IMPORT_LIBRARIES ${morv_kit_prefix}/lib/kernel32.lib ${morv_kit_prefix}/lib/msvcrt.lib)
set(MORV_WINDOWS_NATIVE_RUNTIME ${morv_kit_prefix}/lib/morv_native_runtime.lib)
set(MORV_WINDOWS_DEFAULT_ATTACH ${morv_kit_prefix}/lib/morv_module_attach.lib)
