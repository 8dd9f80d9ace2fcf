# The kit for writing panel scripts, as `cmake --install` lays it out:
#   bin/panel-host                         the host emulator and validator
#   include/morv/                          the headers a script includes (<morv/...>)
#   lib/libmorv_framework.a, libmorv_string.so.2 (and its .so link)
#   lib/morv_script_framework/             the routing panel, panel-host's demo module,
#                                          and the tracing module libmorv_trace.so
#   lib/cmake/morv_script_framework/       the CMake package: imported targets
#                                          morv::framework, morv::strings,
#                                          morv::panel-host (COMPONENTS framework,
#                                          strings, host) and morv_add_panel_script()
#   share/morv_script_framework/layouts/   the routing panel's layout
#   share/man/man1/panel-host.1            the manual page
#   share/doc/morv-script-framework/       copyright, the formats manual,
#                                          "write your first panel script" and
#                                          "Upgrading a 1.x script"
# and the Debian package made from it (cpack -G DEB).
include(CMakePackageConfigHelpers)

set(morv_package morv_script_framework)
set(morv_package_cmake_dir ${MORV_INSTALL_PACKAGE_DIR})

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
# One folder below lib/, so its run path finds libmorv_string one folder up.
install(TARGETS vantry LIBRARY DESTINATION ${MORV_INSTALL_MODULE_DIR})
# The tracing module, to deploy under a script's name (README.md).
install(TARGETS morv_trace LIBRARY DESTINATION ${MORV_INSTALL_MODULE_DIR})

include(${CMAKE_CURRENT_LIST_DIR}/AuthorHeaders.cmake)
install(FILES ${morv_author_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/morv)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/layouts/ DESTINATION ${MORV_INSTALL_LAYOUTS_DIR})

install(EXPORT morv_script_framework_targets
  NAMESPACE morv::
  FILE ${morv_package}Targets.cmake
  DESTINATION ${morv_package_cmake_dir})
include(${CMAKE_CURRENT_LIST_DIR}/PackageConfig.cmake)
# The native Windows build (32-bit) compiles the kit's sources instead of
# linking its binaries, so their pointer size does not matter to it.
file(APPEND ${PROJECT_BINARY_DIR}/${morv_package}ConfigVersion.cmake
  "\nif(MORV_WINDOWS_NATIVE AND PACKAGE_VERSION_COMPATIBLE)\n  set(PACKAGE_VERSION_UNSUITABLE FALSE)\nendif()\n")

# The documentation travels with the kit; panel-host prints the same manuals
# (`panel-host help formats|script|upgrade`).
set(morv_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/morv-script-framework)
install(FILES ${PROJECT_SOURCE_DIR}/docs/copyright ${PROJECT_SOURCE_DIR}/docs/first-panel-script.md
  ${PROJECT_SOURCE_DIR}/docs/upgrading.md
  DESTINATION ${morv_doc_dir})
if(TARGET panel-host)
  install(FILES ${PROJECT_BINARY_DIR}/docs/formats.md DESTINATION ${morv_doc_dir})
endif()
if(TARGET panel_host_man_page)
  install(FILES ${PROJECT_BINARY_DIR}/docs/panel-host.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
# The package's change log, compressed as Debian wants it (gzip -9n: no name
# or time stamp, so the package builds the same twice).
find_program(MORV_GZIP gzip)
if(MORV_GZIP)
  configure_file(${PROJECT_SOURCE_DIR}/docs/changelog.in ${PROJECT_BINARY_DIR}/docs/changelog @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/docs/changelog.gz
    COMMAND ${MORV_GZIP} -9nkf ${PROJECT_BINARY_DIR}/docs/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/docs/changelog
    VERBATIM)
  add_custom_target(morv_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/docs/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/docs/changelog.gz DESTINATION ${morv_doc_dir})
endif()

set(CPACK_PACKAGE_NAME morv-script-framework)
set(CPACK_PACKAGE_VENDOR "vantry developers")
set(CPACK_PACKAGE_CONTACT "vantry developers <dev@vantry.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "kit for writing and testing panel scripts")
set(CPACK_PACKAGE_DESCRIPTION "The script framework (static library and headers), the string library
libmorv_string, panel-host (an emulated operator-panel host that plays
scenarios, validates modules and starts new script projects) and a CMake
package for building panel script modules. See man panel-host.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libmorv_string.so.2 as Debian wants a shared library shipped: a shlibs
# file, the ldconfig trigger, stripped binaries. The shlibs file names the
# string library alone: CPack's own (CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS)
# would look at every shared object and warn for the two loadable modules
# (vantry, the tracing module), which have no SONAME, as modules that are
# loaded by path, never linked, need none.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
get_target_property(morv_string_soversion morv_string SOVERSION)
if(morv_string_soversion)
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/debian/shlibs
    CONTENT "libmorv_string ${morv_string_soversion} morv-script-framework (= ${PROJECT_VERSION})\n")
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/shlibs)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
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
# The debug output seam is the framework's own, not a script author's header.
install(FILES ${PROJECT_SOURCE_DIR}/framework/include/debug_output.h DESTINATION ${morv_package_cmake_dir}/sources/framework)
file(RELATIVE_PATH MORV_HEADERS_FROM_PACKAGE /prefix/${morv_package_cmake_dir} /prefix/${CMAKE_INSTALL_INCLUDEDIR}/morv)
configure_file(${PROJECT_SOURCE_DIR}/cmake/MorvWindowsFramework.cmake.in
  ${PROJECT_BINARY_DIR}/MorvWindowsFramework.cmake @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/MorvWindowsFramework.cmake DESTINATION ${morv_package_cmake_dir})
