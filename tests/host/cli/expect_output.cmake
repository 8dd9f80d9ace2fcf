# Runs a program and compares everything it writes to standard output with a
# file, byte for byte, and its exit code with the expected one.
#   cmake -DEXPECTED=FILE -DEXIT_CODE=N [-DINPUT=FILE] -P expect_output.cmake -- PROGRAM ARGS...
# With the environment variable MORV_UPDATE_EXPECTED set, the output is
# written to FILE instead (review the difference before committing it).
set(command)
set(after_separator FALSE)
foreach(i RANGE ${CMAKE_ARGC})
  if(after_separator)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif("${CMAKE_ARGV${i}}" STREQUAL "--")
    set(after_separator TRUE)
  endif()
endforeach()
if(NOT command)
  message(FATAL_ERROR "no program given after --")
endif()

if(DEFINED INPUT)
  execute_process(COMMAND ${command} INPUT_FILE "${INPUT}" OUTPUT_VARIABLE output RESULT_VARIABLE status)
else()
  execute_process(COMMAND ${command} OUTPUT_VARIABLE output RESULT_VARIABLE status)
endif()

if(DEFINED ENV{MORV_UPDATE_EXPECTED})
  file(WRITE "${EXPECTED}" "${output}")
  message(STATUS "wrote ${EXPECTED}")
endif()
if(NOT "${status}" STREQUAL "${EXIT_CODE}")
  message(FATAL_ERROR "exit status ${status}, expected ${EXIT_CODE}; output:\n${output}")
endif()
file(READ "${EXPECTED}" expected)
if(NOT output STREQUAL expected)
  # The actual output stays in the test's working folder for a closer look.
  get_filename_component(name "${EXPECTED}" NAME)
  set(actual "${CMAKE_CURRENT_BINARY_DIR}/${name}.actual")
  file(WRITE "${actual}" "${output}")
  execute_process(COMMAND diff -u "${EXPECTED}" "${actual}" OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "the output differs from ${EXPECTED} (actual: ${actual}):\n${difference}")
endif()
