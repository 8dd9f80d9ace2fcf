# The kit's CMake package, as both kits install it (Install.cmake for Linux,
# InstallWindows.cmake for the Windows archive): its config and version
# files, morv_add_panel_script with its files, and the files in
# morv_package_extra_files, into morv_package_cmake_dir.
include(CMakePackageConfigHelpers)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/morv_script_frameworkConfig.cmake.in
  ${PROJECT_BINARY_DIR}/morv_script_frameworkConfig.cmake
  INSTALL_DESTINATION ${morv_package_cmake_dir}
  PATH_VARS MORV_INSTALL_LAYOUTS_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/morv_script_frameworkConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/morv_script_frameworkConfig.cmake
  ${PROJECT_BINARY_DIR}/morv_script_frameworkConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/MorvPanelScript.cmake
  ${morv_package_extra_files}
  DESTINATION ${morv_package_cmake_dir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/cmake/panel_script DESTINATION ${morv_package_cmake_dir})
