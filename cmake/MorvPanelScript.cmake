# morv_add_panel_script(<name> SOURCES <source>... [FRAMEWORK <target>])
#
# Builds a panel script module: a MODULE library that links the script
# framework (morv::framework unless FRAMEWORK names another variant), with
# hidden visibility and exactly one export, load_morv_client_script. On Linux
# a linker version script enforces the single export; on Windows a .def file
# keeps it undecorated and alone, the module is named <name>.dll and its
# DllMain turns off thread attach calls. The sources define the entry point
# (see script_boundary.h).
#
# Installed on Linux, the module finds libmorv_string.so.1 by a relative run
# path: beside itself ($ORIGIN, as a Windows DLL finds morv_string.dll) or one
# folder up ($ORIGIN/..: a module in lib/<folder>/ of the prefix that holds
# the kit). In the build tree it records the kit's lib folder itself.
function(morv_add_panel_script name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FRAMEWORK" "SOURCES")
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

  add_library(${name} MODULE ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_FRAMEWORK})
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    target_sources(${name} PRIVATE ${files}/module_attach_windows.cpp ${files}/panel_script.def)
    set_target_properties(${name} PROPERTIES PREFIX "")
  elseif(NOT APPLE)
    set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN;$ORIGIN/..")
    # Hidden visibility still leaves template statics and the like in the
    # dynamic symbol table; the version script keeps only the entry point.
    target_link_options(${name} PRIVATE LINKER:--version-script=${files}/panel_script.version)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${files}/panel_script.version)
  endif()
endfunction()
