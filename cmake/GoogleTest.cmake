# GoogleTest: the installed package for native builds, the Debian source tree
# for builds whose architecture differs from the installed libraries (-m32).
if(MORV_GTEST_FROM_SOURCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# The name of every test in CTest starts with its folder under tests/, with
# dots for slashes ("host.core."), so `ctest -R '^host\.serve\.'` picks a
# component's tests. morv_test_prefix(VAR) gives that prefix for add_test.
function(morv_test_prefix var)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "." prefix "${folder}")
  set(${var} "${prefix}." PARENT_SCOPE)
endfunction()

# Registers a GoogleTest program's tests as <prefix><Suite>.<Case>, with
# parameters shown by their index, so a name never holds an address.
function(morv_discover_tests target)
  morv_test_prefix(prefix)
  gtest_discover_tests(${target} TEST_PREFIX "${prefix}" NO_PRETTY_VALUES DISCOVERY_TIMEOUT 60)
endfunction()
