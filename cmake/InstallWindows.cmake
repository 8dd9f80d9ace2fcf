# The Windows archive (scripts/package-windows: vantry-<version>-win32.zip),
# as `cmake --install` of the two Windows builds lays it out in one folder:
#   panel-host.exe                 (mingw-x86) every subcommand, its runtime linked in
#   vantry.dll, morv_trace.dll     (windows-msvc) the native panel DLL to deploy, the tracing DLL
#   layouts\, scenarios\           the routing panel's layout, example scenarios
#   README.txt, docs\              the manuals as text files
#   include\morv\                  the headers a script includes
#   lib\*.lib                      (windows-msvc) the string library, the framework, a native
#                                  DLL's runtime and DllMain, and the import libraries of
#                                  KERNEL32.dll and msvcrt.dll, in the Microsoft C++ ABI
#   lib\cmake\morv_script_framework\  the CMake package, morv_add_panel_script and the
#                                  windows-msvc toolchain (clang-cl and lld-link)
# panel-host.exe finds vantry.dll and layouts\ beside itself, and `panel-host
# new` the kit's folder.

if(MORV_WINDOWS_NATIVE)
  # The native DLLs, and what a script's own native DLL links.
  install(TARGETS vantry morv_trace LIBRARY DESTINATION ${MORV_INSTALL_MODULE_DIR})
  add_library(morv_native_runtime STATIC ${PROJECT_SOURCE_DIR}/cmake/panel_script/windows_native/native_runtime.cpp)
  add_library(morv_module_attach STATIC ${PROJECT_SOURCE_DIR}/cmake/panel_script/module_attach_windows.cpp)
  foreach(runtime morv_native_runtime morv_module_attach)
    target_link_libraries(${runtime} PRIVATE morv_warnings)
    morv_module_code(${runtime})
  endforeach()
  install(TARGETS morv_string morv_framework morv_native_runtime morv_module_attach
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${CMAKE_BINARY_DIR}/morv_windows_imports/kernel32.lib ${CMAKE_BINARY_DIR}/morv_windows_imports/msvcrt.lib
    DESTINATION ${CMAKE_INSTALL_LIBDIR})
  return()
endif()

set(morv_package_cmake_dir ${MORV_INSTALL_PACKAGE_DIR})

install(TARGETS panel-host RUNTIME DESTINATION ${MORV_INSTALL_BIN_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/layouts/ DESTINATION ${MORV_INSTALL_LAYOUTS_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tests/host/scenarios/ DESTINATION scenarios)
include(${CMAKE_CURRENT_LIST_DIR}/AuthorHeaders.cmake)
install(FILES ${morv_author_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/morv)

# The package: the same config as the Linux kit's, which takes the
# libraries of lib\ through MorvWindowsKit.cmake.
set(morv_package_extra_files ${PROJECT_SOURCE_DIR}/cmake/MorvWindowsKit.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/PackageConfig.cmake)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/toolchains/windows-clang-cl.cmake
  DESTINATION ${morv_package_cmake_dir}/toolchains RENAME windows-msvc.cmake)

# The manuals as text files with Windows line ends: the README at the top,
# the rest in docs\ (panel-host help prints the formats, the first script
# and the upgrade notes too).
set(morv_windows_docs
  README.txt ${PROJECT_SOURCE_DIR}/README.md
  docs/panel-host.txt ${PROJECT_SOURCE_DIR}/host/README.md
  docs/formats.txt ${PROJECT_BINARY_DIR}/docs/formats.md
  docs/validator.txt ${PROJECT_SOURCE_DIR}/host/validator/README.md
  docs/first-panel-script.txt ${PROJECT_SOURCE_DIR}/docs/first-panel-script.md
  docs/upgrading.txt ${PROJECT_SOURCE_DIR}/docs/upgrading.md
  docs/changelog.txt ${PROJECT_BINARY_DIR}/docs/changelog
  docs/copyright.txt ${PROJECT_SOURCE_DIR}/docs/copyright)
configure_file(${PROJECT_SOURCE_DIR}/docs/changelog.in ${PROJECT_BINARY_DIR}/docs/changelog @ONLY)
set(morv_windows_doc_files)
while(morv_windows_docs)
  list(POP_FRONT morv_windows_docs name source)
  set(text ${PROJECT_BINARY_DIR}/windows-docs/${name})
  add_custom_command(OUTPUT ${text}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${source} -DTEXT=${text} -P ${PROJECT_SOURCE_DIR}/cmake/WindowsText.cmake
    DEPENDS ${source} ${PROJECT_SOURCE_DIR}/cmake/WindowsText.cmake
    COMMENT "Writing ${name}")
  list(APPEND morv_windows_doc_files ${text})
  get_filename_component(folder ${name} DIRECTORY)
  install(FILES ${text} DESTINATION ./${folder})
endwhile()
add_custom_target(morv_windows_docs ALL DEPENDS ${morv_windows_doc_files})
install(FILES ${PROJECT_SOURCE_DIR}/docs/serve.png DESTINATION docs)
