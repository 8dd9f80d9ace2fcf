# Batched compiles ("unity builds") for host code and its tests. Each
# generated source includes several of a target's sources, so the headers
# they share (the standard library, GoogleTest, nlohmann-json, CLI11) are
# parsed, and their inline functions and templates compiled, once per batch
# instead of once per source: host code and its tests compile in about half
# the time.
#
# CMake's own unity build includes each source by its absolute path, which
# then reaches the preprocessed text and __FILE__, and ccache could reuse
# nothing in a fresh clone. Here a batch includes its sources by their paths
# within the project, found through -iquote on the project's root (a path
# ccache makes relative), so every checkout compiles the same text. CMake 4.0
# offers that for its own unity build with UNITY_BUILD_RELOCATABLE (includes
# relative to the build or source tree where it can); we require CMake 3.25,
# what Debian bookworm ships, so this module stays until 4.0 is the oldest
# CMake we support. Even then CMake fills its batches by position
# (UNITY_BUILD_BATCH_SIZE) or by groups named by hand (UNITY_BUILD_MODE
# GROUP), not as below.
#
# Which batch a source goes to must not depend on the sources before it, or
# adding one source would move every later one into another batch and the
# compiler cache would miss them all. The sources are taken in the order of
# their paths, and a source starts a new batch when a hash of its path says
# so (one path in MORV_UNITY_BATCH_SIZE, on average), or when the batch is
# already twice that size. Adding a source so changes the one batch it joins
# (or splits one in two); each batch file is named after its first source.
#
# Editors and clang-tidy still find each source in compile_commands.json:
# the batched sources are also the sources of an object library that is not
# built by default (<target>_each), with the target's include folders,
# definitions and options.
#
# Sources of a target must also compile together: no two of them may define
# the same name in an unnamed namespace. A source that cannot, or that is
# slow enough to be worth a core of its own, sets CMake's
# SKIP_UNITY_BUILD_INCLUSION and is compiled alone.
option(MORV_UNITY_BUILD "Compile host code and its tests in batches of sources" ON)
set(MORV_UNITY_BATCH_SIZE 16 CACHE STRING "Sources per batch of a unity build")
if(NOT MORV_UNITY_BATCH_SIZE MATCHES "^[1-9][0-9]*$")
  message(FATAL_ERROR "MORV_UNITY_BATCH_SIZE must be a whole number above 0, not '${MORV_UNITY_BATCH_SIZE}'")
endif()

# morv_unity_build(<target>): compiles the target's own C++ sources (not the
# generated ones) in batches, once the directory has added all its sources.
function(morv_unity_build target)
  if(MORV_UNITY_BUILD AND NOT MSVC)
    # A deferred call reads its variables when it runs: the name goes in now.
    cmake_language(EVAL CODE "cmake_language(DEFER CALL morv_write_unity_batches [[${target}]])")
  endif()
endfunction()

function(morv_write_unity_batches target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(batched)
  set(included)
  foreach(source IN LISTS sources)
    if(source MATCHES "\\$<" OR NOT source MATCHES "\\.cpp$")
      continue()
    endif()
    get_filename_component(source ${source} ABSOLUTE BASE_DIR ${source_dir})
    # A source may ask to be compiled alone, with CMake's own property.
    get_source_file_property(alone ${source} TARGET_DIRECTORY ${target} SKIP_UNITY_BUILD_INCLUSION)
    if(alone)
      continue()
    endif()
    # Generated sources (build paths, embedded texts) differ between
    # checkouts or builds and are compiled alone.
    file(RELATIVE_PATH within_build ${CMAKE_BINARY_DIR} ${source})
    file(RELATIVE_PATH within_project ${PROJECT_SOURCE_DIR} ${source})
    if(within_build MATCHES "^\\.\\./" AND NOT within_project MATCHES "^\\.\\./")
      list(APPEND batched ${source})
      list(APPEND included ${within_project})
    endif()
  endforeach()
  list(LENGTH batched count)
  if(count LESS 2)
    return()
  endif()

  set(batch_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_batches)
  math(EXPR longest "${MORV_UNITY_BATCH_SIZE} * 2")
  list(SORT included)
  set(text "")
  set(batch_files)
  foreach(within_project IN LISTS included)
    string(SHA1 digest "${within_project}")
    string(SUBSTRING "${digest}" 0 7 digest_head)
    math(EXPR cut "0x${digest_head} % ${MORV_UNITY_BATCH_SIZE}")
    if(NOT text STREQUAL "" AND (cut EQUAL 0 OR in_batch EQUAL longest))
      morv_write_unity_batch("${batch_dir}" "${first}" "${text}" batch_files)
      set(text "")
    endif()
    if(text STREQUAL "")
      set(first ${within_project})
      set(in_batch 0)
    endif()
    string(APPEND text "#include \"${within_project}\"\n")
    math(EXPR in_batch "${in_batch} + 1")
  endforeach()
  morv_write_unity_batch("${batch_dir}" "${first}" "${text}" batch_files)
  # Batches left from an earlier configure would still name sources that
  # are now compiled elsewhere.
  file(GLOB old_batches ${batch_dir}/batch_*.cpp)
  list(REMOVE_ITEM old_batches ${batch_files})
  if(old_batches)
    file(REMOVE ${old_batches})
  endif()

  # The target compiles the batches in place of the batched sources.
  get_target_property(sources ${target} SOURCES)
  set(kept)
  foreach(source IN LISTS sources)
    get_filename_component(absolute ${source} ABSOLUTE BASE_DIR ${source_dir})
    if(source MATCHES "\\$<" OR NOT absolute IN_LIST batched)
      list(APPEND kept ${source})
    endif()
  endforeach()
  set_property(TARGET ${target} PROPERTY SOURCES ${kept} ${batch_files})
  target_compile_options(${target} PRIVATE "SHELL:-iquote ${PROJECT_SOURCE_DIR}")

  # Each batched source on its own, for compile_commands.json only.
  add_library(${target}_each OBJECT EXCLUDE_FROM_ALL ${batched})
  foreach(property IN ITEMS INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
    set_property(TARGET ${target}_each PROPERTY ${property} "$<TARGET_PROPERTY:${target},${property}>")
  endforeach()
endfunction()

# Writes one batch, named after its first source, and adds it to `files`.
function(morv_write_unity_batch batch_dir first text files)
  string(SHA1 name "${first}")
  string(SUBSTRING "${name}" 0 12 name)
  set(batch_file ${batch_dir}/batch_${name}.cpp)
  file(CONFIGURE OUTPUT ${batch_file} CONTENT "// Generated by morv_unity_build.\n${text}" @ONLY)
  set(${files} ${${files}} ${batch_file} PARENT_SCOPE)
endfunction()
