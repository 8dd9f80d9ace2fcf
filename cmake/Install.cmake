# The kit for writing panel scripts, as `cmake --install` lays it out:
#   bin/panel-host                         the host emulator and validator
#   include/morv/                          framework and string library headers
#   lib/libmorv_framework.a, libmorv_string.so
#   lib/morv_script_framework/             the routing panel, panel-host's demo module
#   lib/cmake/morv_script_framework/       the CMake package: imported targets
#                                          morv::framework, morv::strings,
#                                          morv::panel-host and morv_add_panel_script()
#   share/morv_script_framework/layouts/   the routing panel's layout
# and the Debian package made from it (cpack -G DEB).
include(CMakePackageConfigHelpers)

set(morv_package morv_script_framework)
set(morv_package_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/${morv_package})

set(morv_installed_targets morv_string morv_framework)
if(TARGET panel-host)
  list(APPEND morv_installed_targets panel-host)
  # Finds libmorv_string beside the kit's other libraries wherever the kit
  # is installed.
  set_target_properties(panel-host PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()
install(TARGETS ${morv_installed_targets} EXPORT morv_script_framework_targets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS vantry LIBRARY DESTINATION ${MORV_INSTALL_MODULE_DIR})
if(NOT WIN32)
  # The routing panel finds libmorv_string one folder up.
  set_target_properties(vantry PROPERTIES INSTALL_RPATH "$ORIGIN/..")
endif()

file(GLOB morv_public_headers ${PROJECT_SOURCE_DIR}/framework/include/*.h ${PROJECT_SOURCE_DIR}/strings/include/*.h)
install(FILES ${morv_public_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/morv)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/layouts/ DESTINATION ${MORV_INSTALL_LAYOUTS_DIR})

install(EXPORT morv_script_framework_targets
  NAMESPACE morv::
  FILE ${morv_package}Targets.cmake
  DESTINATION ${morv_package_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/${morv_package}Config.cmake.in
  ${PROJECT_BINARY_DIR}/${morv_package}Config.cmake
  INSTALL_DESTINATION ${morv_package_cmake_dir}
  PATH_VARS MORV_INSTALL_LAYOUTS_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/${morv_package}ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
# The native Windows build (32-bit) compiles the kit's sources instead of
# linking its binaries, so their pointer size does not matter to it.
file(APPEND ${PROJECT_BINARY_DIR}/${morv_package}ConfigVersion.cmake
  "\nif(MORV_WINDOWS_NATIVE AND PACKAGE_VERSION_COMPATIBLE)\n  set(PACKAGE_VERSION_UNSUITABLE FALSE)\nendif()\n")
install(FILES
  ${PROJECT_BINARY_DIR}/${morv_package}Config.cmake
  ${PROJECT_BINARY_DIR}/${morv_package}ConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/MorvPanelScript.cmake
  DESTINATION ${morv_package_cmake_dir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/cmake/panel_script DESTINATION ${morv_package_cmake_dir})

set(CPACK_PACKAGE_NAME morv-script-framework)
set(CPACK_PACKAGE_VENDOR "vantry developers")
set(CPACK_PACKAGE_CONTACT "vantry developers <dev@vantry.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Kit for panel scripts: framework, string library, panel-host emulator and validator")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What building a script against the kit needs besides the kit itself.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "cmake (>= 3.25), g++")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ninja-build")
include(CPack)

# What a script's author needs for the native Windows DLL of the script (the
# windows-msvc preset that `panel-host new` writes): the toolchain file, and
# the string library's and the framework's sources, which the script's
# project compiles for that target (MorvWindowsFramework.cmake). The .def
# lists and the runtime are in panel_script/ above.
install(FILES ${PROJECT_SOURCE_DIR}/cmake/toolchains/windows-msvc.cmake
  DESTINATION ${morv_package_cmake_dir}/toolchains)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/strings/src/ DESTINATION ${morv_package_cmake_dir}/sources/strings)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/framework/src/ DESTINATION ${morv_package_cmake_dir}/sources/framework)
file(RELATIVE_PATH MORV_HEADERS_FROM_PACKAGE /prefix/${morv_package_cmake_dir} /prefix/${CMAKE_INSTALL_INCLUDEDIR}/morv)
configure_file(${PROJECT_SOURCE_DIR}/cmake/MorvWindowsFramework.cmake.in
  ${PROJECT_BINARY_DIR}/MorvWindowsFramework.cmake @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/MorvWindowsFramework.cmake DESTINATION ${morv_package_cmake_dir})
