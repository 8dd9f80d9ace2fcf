# Build options shared by every target of the project. Presets choose the
# values; targets link the interface libraries below instead of setting flags.

option(MORV_WARNINGS_AS_ERRORS "Treat compiler warnings in our own code as errors" ON)
option(MORV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(MORV_SANITIZE_THREAD "Build with ThreadSanitizer (the tsan preset: the tracing module's threads)" OFF)
option(MORV_BUILD_HOST "Build the panel-host emulator" ON)
option(MORV_BUILD_FUZZERS "Build the libFuzzer targets (clang only)" OFF)
option(MORV_BUILD_BENCH "Build the benchmark program bench/vantry_bench" OFF)
option(MORV_COVERAGE "Build with clang's source-based coverage (scripts/coverage)" OFF)
option(MORV_GTEST_FROM_SOURCE "Build GoogleTest from /usr/src/googletest instead of the installed one" OFF)

# Compiles go through ccache when it is installed: the test command builds
# several presets, and repeated runs rebuild little.
option(MORV_USE_CCACHE "Compile through ccache when it is installed" ON)
find_program(MORV_CCACHE ccache)
if(MORV_USE_CCACHE AND MORV_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${MORV_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${MORV_CCACHE})
endif()

# lld links the test programs in a fraction of the time ld.bfd takes.
find_program(MORV_LLD ld.lld)
if(MORV_LLD AND NOT WIN32)
  add_link_options(-fuse-ld=lld)
endif()

add_library(morv_warnings INTERFACE)
if(MSVC)
  target_compile_options(morv_warnings INTERFACE /W4 $<$<BOOL:${MORV_WARNINGS_AS_ERRORS}>:/WX>)
else()
  target_compile_options(morv_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual
    $<$<BOOL:${MORV_WARNINGS_AS_ERRORS}>:-Werror>)
endif()

# Coverage: the compiler's own instrumentation flags instead of the driver's
# -fprofile-instr-generate, since ccache keys a compile that names that flag
# by its folder (the flag may name where profiles go), and a fresh clone
# would reuse no object. Nothing of the folder is compiled in: paths are
# relative to the build folder, and the tests say where profiles go
# (LLVM_PROFILE_FILE). The link brings in the profile runtime.
if(MORV_COVERAGE)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "MORV_COVERAGE needs clang; use the coverage preset")
  endif()
  add_compile_options("SHELL:-Xclang -fprofile-instrument=clang" "SHELL:-Xclang -fcoverage-mapping"
    -ffile-compilation-dir=.)
  # Valgrind memcheck runs on this build too, and reads DWARF 4, not clang's
  # default 5.
  add_compile_options(-gdwarf-4)
  add_compile_definitions(MORV_COVERAGE_BUILD)
  add_link_options(-fprofile-instr-generate)
endif()

# Sanitizer flags travel through the build options (compile and link) so that
# every target, GoogleTest included, is instrumented the same way.
if(MORV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(MORV_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
