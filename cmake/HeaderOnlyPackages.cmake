# The header-only libraries panel-host uses: CLI11, nlohmann-json and (for
# serve) Boost, from Debian's packages. A native build finds their CMake
# packages. A cross build (MinGW) must not search the build machine's
# /usr/include as a whole, whose C library headers would shadow the
# target's, so each library's own folder is linked into a private include
# folder that the imported targets name; Boost only where it is installed.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(nlohmann_json 3 REQUIRED)
  find_package(CLI11 REQUIRED)
  return()
endif()

set(morv_header_only_root ${CMAKE_BINARY_DIR}/header-only-include)
file(MAKE_DIRECTORY ${morv_header_only_root})

# <target> names the private include folder, where <folder> links to the
# library's own (found as morv_<folder>_include).
macro(morv_link_header_folder target folder)
  file(CREATE_LINK ${morv_${folder}_include}/${folder} ${morv_header_only_root}/${folder} SYMBOLIC)
  if(NOT TARGET ${target})
    add_library(${target} INTERFACE IMPORTED)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${morv_header_only_root})
  endif()
endmacro()
foreach(entry "nlohmann_json::nlohmann_json|nlohmann|nlohmann/json.hpp" "CLI11::CLI11|CLI|CLI/CLI.hpp")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 target)
  list(GET entry 1 folder)
  list(GET entry 2 header)
  find_path(morv_${folder}_include ${header} NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  morv_link_header_folder(${target} ${folder})
endforeach()
find_path(morv_boost_include boost/beast/websocket.hpp NO_CMAKE_FIND_ROOT_PATH)
if(morv_boost_include)
  morv_link_header_folder(Boost::headers boost)
endif()
