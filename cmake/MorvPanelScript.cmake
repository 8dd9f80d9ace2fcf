# morv_add_panel_script(<name> SOURCES <source>... [FRAMEWORK <target>] [ATTACH <source>])
#
# Builds a panel script module: a MODULE library that links the script
# framework (morv::framework unless FRAMEWORK names another variant), with
# hidden visibility and exactly one export, load_morv_client_script. On Linux
# a linker version script enforces the single export; on Windows a .def file
# (MinGW) or a written-out export table (native) keeps it undecorated and
# alone, the module is named <name>.dll and its DllMain turns off thread
# attach calls. With the windows-msvc toolchain
# (MORV_WINDOWS_NATIVE) the DLL is native to the Microsoft C++ ABI. The
# sources define the entry point (see script_boundary.h). ATTACH names a
# DllMain of the module's own in place of the default one.
#
# A kit whose libraries are built for the native target (the Windows kit)
# names its own import libraries, runtime and default DllMain
# (MORV_WINDOWS_IMPORT_LIBRARIES, MORV_WINDOWS_NATIVE_RUNTIME,
# MORV_WINDOWS_DEFAULT_ATTACH) instead of having them made from the files
# beside this one.
#
# Installed on Linux, the module finds libmorv_string.so.2 by a relative run
# path: beside itself ($ORIGIN, as a Windows DLL finds morv_string.dll) or one
# folder up ($ORIGIN/..: a module in lib/<folder>/ of the prefix that holds
# the kit). In the build tree it records the kit's lib folder itself.

# The C++ standard library's headers, which module code may not include.
set(MORV_CXX_LIBRARY_HEADERS
  algorithm any array atomic barrier bit bitset charconv chrono codecvt compare complex concepts
  condition_variable coroutine deque exception execution expected filesystem format forward_list
  fstream functional future initializer_list iomanip ios iosfwd iostream istream iterator latch
  limits list locale map memory memory_resource mutex new numbers numeric optional ostream print
  queue random ranges ratio regex scoped_allocator semaphore set shared_mutex source_location span
  sstream stack stdexcept stop_token streambuf string string_view strstream syncstream
  system_error thread tuple type_traits typeindex typeinfo unordered_map unordered_set utility
  valarray variant vector version
  cassert ccomplex cctype cerrno cfenv cfloat cinttypes ciso646 climits clocale cmath csetjmp
  csignal cstdalign cstdarg cstdbool cstddef cstdint cstdio cstdlib cstring ctgmath ctime cuchar
  cwchar cwctype)
# The kit's headers, which 1.x scripts included without the morv/ folder.
set(MORV_FLAT_HEADERS
  boundary_abi.h decode_morv_string.h host_records.h morv_client_callback.h morv_script_helper.h
  morv_string.h morv_string_export.h morv_stringlist.h notify_codes.h notify_records.h
  parsed_message.h script_boundary.h script_host.h)

# morv_freestanding_guards(<variable>)
#
# Writes, once per build tree, a folder of guard headers named as the
# headers above, each of which stops the compile with the rule it breaks,
# and sets <variable> to it. Searched after every other folder, a guard is
# reached only when nothing else of that name is found: a C++ library
# header under -nostdinc++, or the 1.x spelling of a kit header.
function(morv_freestanding_guards variable)
  set(dir ${CMAKE_BINARY_DIR}/morv_freestanding_guards)
  set(${variable} ${dir} PARENT_SCOPE)
  get_property(written GLOBAL PROPERTY MORV_FREESTANDING_GUARDS_WRITTEN)
  if(written)
    return()
  endif()
  set_property(GLOBAL PROPERTY MORV_FREESTANDING_GUARDS_WRITTEN ON)
  set(notes "see 'Upgrading a 1.x script' (panel-host help upgrade, or share/doc/morv-script-framework/upgrading.md in the kit)")
  foreach(header ${MORV_CXX_LIBRARY_HEADERS})
    file(CONFIGURE OUTPUT ${dir}/${header} CONTENT
      "#error \"<${header}>: module code is freestanding: C headers only (<string.h>, <stdint.h>...), no C++ library header, no std::, no exceptions; ${notes}\"\n" @ONLY)
  endforeach()
  foreach(header ${MORV_FLAT_HEADERS})
    file(CONFIGURE OUTPUT ${dir}/${header} CONTENT
      "#error \"\\\"${header}\\\" is the 1.x spelling: include <morv/${header}>; ${notes}\"\n" @ONLY)
  endforeach()
endfunction()

# morv_module_code(<target>)
#
# Module code (the string library, the framework, every panel script) is
# freestanding C++: C headers only, no C++ standard library headers (the
# compiler is told not to look for them) and no exceptions, in every build, so
# that a module carries no C++ runtime into the host's process. A C++ library
# header or a kit header in its 1.x spelling stops the compile with a message
# that names the rule (morv_freestanding_guards).
function(morv_module_code target)
  if(MSVC)
    # clang-cl (the Windows kit's toolchain): no exceptions, RTTI, stack
    # cookies or sized deallocation, which all need a C runtime; no C++
    # library either, as far as the compiler lets it be left out.
    morv_freestanding_guards(guards)
    target_compile_options(${target} PRIVATE /EHs-c- /GR- /GS- /Zc:sizedDealloc-
      $<$<COMPILE_LANGUAGE:CXX>:/clang:-nostdinc++ /clang:-idirafter${guards}>)
  else()
    morv_freestanding_guards(guards)
    target_compile_options(${target} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -nostdinc++ -idirafter${guards}>)
  endif()
  if(MORV_WINDOWS_NATIVE)
    # No C runtime start-up runs in a native DLL: an object that needs
    # dynamic initialisation or an exit-time destructor fails the build
    # (function-local ones fail the link, as their guard functions are
    # absent). No RTTI either: type_info lives in the C++ runtime.
    target_compile_options(${target} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:$<$<NOT:$<BOOL:${MSVC}>>:-fno-rtti> -Werror=global-constructors
      -Werror=exit-time-destructors>)
  endif()
endfunction()

# The import libraries of a native Windows panel DLL, made once per build
# tree with llvm-dlltool from the .def lists beside this file: the target
# morv_windows_imports.
function(morv_windows_native_imports)
  if(TARGET morv_windows_imports)
    return()
  endif()
  if(MORV_WINDOWS_IMPORT_LIBRARIES)
    add_library(morv_windows_imports INTERFACE)
    target_link_libraries(morv_windows_imports INTERFACE ${MORV_WINDOWS_IMPORT_LIBRARIES})
    return()
  endif()
  find_program(MORV_DLLTOOL llvm-dlltool REQUIRED)
  set(lists ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/panel_script/windows_native)
  set(dir ${CMAKE_BINARY_DIR}/morv_windows_imports)
  set(libraries)
  foreach(dll kernel32 msvcrt)
    add_custom_command(OUTPUT ${dir}/${dll}.lib
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${MORV_DLLTOOL} -m i386 -k -d ${lists}/${dll}.def -l ${dir}/${dll}.lib
      DEPENDS ${lists}/${dll}.def
      COMMENT "Import library of ${dll}.dll")
    list(APPEND libraries ${dir}/${dll}.lib)
  endforeach()
  add_custom_target(morv_windows_import_libraries DEPENDS ${libraries})
  add_library(morv_windows_imports INTERFACE)
  target_link_libraries(morv_windows_imports INTERFACE ${libraries})
  add_dependencies(morv_windows_imports morv_windows_import_libraries)
endfunction()

# morv_windows_native_export_table(<target> <template>)
#
# The export table of a native panel DLL as a source of its own, made from
# the template with the DLL's file name (the linker's own table is not laid
# out as Microsoft's linker lays it; see the template).
function(morv_windows_native_export_table target template)
  file(READ ${template} text)
  set(MORV_EXPORT_TABLE_DLL "$<TARGET_FILE_NAME:${target}>")
  string(CONFIGURE "${text}" text @ONLY)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_export_table.cpp)
  file(GENERATE OUTPUT ${source} CONTENT "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${template})
  target_sources(${target} PRIVATE ${source})
endfunction()

function(morv_add_panel_script name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FRAMEWORK;ATTACH" "SOURCES")
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "morv_add_panel_script(${name}): no SOURCES given")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "morv_add_panel_script(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_FRAMEWORK)
    set(arg_FRAMEWORK morv::framework)
  endif()
  set(files ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/panel_script)
  if(NOT arg_ATTACH AND NOT MORV_WINDOWS_DEFAULT_ATTACH)
    set(arg_ATTACH ${files}/module_attach_windows.cpp)
  endif()

  add_library(${name} MODULE ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_FRAMEWORK})
  morv_module_code(${name})
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(MORV_WINDOWS_NATIVE)
    # A native DLL in the Microsoft C++ ABI: DllMain is the entry point (no C
    # runtime start-up), our own runtime and import libraries, nothing else
    # linked; a SafeSEH load configuration.
    morv_windows_native_imports()
    morv_windows_native_export_table(${name} ${files}/windows_native/export_table.cpp.in)
    if(MORV_WINDOWS_NATIVE_RUNTIME)
      # Built already: the linker takes the load configuration by name.
      target_link_libraries(${name} PRIVATE ${MORV_WINDOWS_NATIVE_RUNTIME})
      target_link_options(${name} PRIVATE LINKER:/include:__load_config_used)
    else()
      target_sources(${name} PRIVATE ${files}/windows_native/native_runtime.cpp)
    endif()
    if(NOT arg_ATTACH AND MORV_WINDOWS_DEFAULT_ATTACH)
      target_link_libraries(${name} PRIVATE ${MORV_WINDOWS_DEFAULT_ATTACH})
    else()
      target_sources(${name} PRIVATE ${arg_ATTACH})
    endif()
    target_link_libraries(${name} PRIVATE morv_windows_imports)
    target_link_options(${name} PRIVATE
      LINKER:/nodefaultlib LINKER:/entry:DllMain LINKER:/safeseh LINKER:/opt:ref LINKER:/opt:icf)
    set_target_properties(${name} PROPERTIES PREFIX "")
  elseif(WIN32)
    target_sources(${name} PRIVATE ${arg_ATTACH} ${files}/panel_script.def)
    set_target_properties(${name} PROPERTIES PREFIX "")
  elseif(NOT APPLE)
    set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN;$ORIGIN/..")
    # Hidden visibility still leaves template statics and the like in the
    # dynamic symbol table; the version script keeps only the entry point.
    target_link_options(${name} PRIVATE LINKER:--version-script=${files}/panel_script.version)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${files}/panel_script.version)
  endif()
endfunction()
