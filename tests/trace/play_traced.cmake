# Plays a scenario with panel-host through the tracing module deployed in
# place of a script, and compares the transcript with the one the script
# gives alone. The tracing module's announcement of its trace is the only
# line allowed in addition; the trace must be there, whole.
#   cmake -DPANEL_HOST=... -DTRACING_MODULE=... -DSCRIPT_MODULE=... -DLAYOUTS=...
#         -DSCENARIO=... -DEXPECTED=... -DWORK=folder [-DSMALL_DISK=SIZE]
#         -P play_traced.cmake
# With SMALL_DISK the trace goes to a tmpfs of that size (mounted in a mount
# namespace of the run's own), which fills up during the scenario: the
# transcript must still be the usual one, the debug output must say why the
# trace stopped, and the trace holds what fitted. Prints "no tmpfs here" and
# passes when no such mount can be made (the test then counts as skipped).
include(${CMAKE_CURRENT_LIST_DIR}/deploy_traced.cmake)
set(play "${PANEL_HOST}" play --check --module "${WORK}/${script_name}" --layouts "${LAYOUTS}" "${SCENARIO}")

# With -DVALIDATE=ON (no SCENARIO, EXPECTED) it runs panel-host validate on
# the deployed tracing module instead: every check must pass through it, and
# each process that loaded it must have written a trace.
if(VALIDATE)
  execute_process(COMMAND "${PANEL_HOST}" validate --layouts "${LAYOUTS}" "${WORK}/${script_name}"
    OUTPUT_VARIABLE output RESULT_VARIABLE status)
  file(GLOB traces "${WORK}/*.trace")
  if(NOT status EQUAL 0 OR NOT traces)
    message(FATAL_ERROR "exit status ${status}, traces [${traces}]; output:\n${output}")
  endif()
  foreach(trace IN LISTS traces)
    file(STRINGS "${trace}" first LIMIT_COUNT 1)
    if(NOT first STREQUAL "morv-trace 1")
      message(FATAL_ERROR "${trace} does not start with \"morv-trace 1\"")
    endif()
  endforeach()
  return()
endif()

if(DEFINED SMALL_DISK)
  file(MAKE_DIRECTORY "${WORK}/small" "${WORK}/kept")
  file(WRITE "${WORK}/${script_stem}.trace.conf" "folder=${WORK}/small\n")
  # The mount lives as long as the namespace: the trace is copied out first.
  execute_process(COMMAND unshare --mount sh -c
      "mount -t tmpfs -o size=${SMALL_DISK} tmpfs \"$0\" 2>/dev/null || { echo 'no tmpfs here'; exit 0; }; \"$@\"; status=$?; cp \"$0\"/*.trace \"$0/../kept/\"; exit $status"
      "${WORK}/small" ${play}
    OUTPUT_VARIABLE output RESULT_VARIABLE status)
  if(output MATCHES "^no tmpfs here")
    message("no tmpfs here")
    return()
  endif()
  set(trace_folder "${WORK}/kept")
else()
  execute_process(COMMAND ${play} OUTPUT_VARIABLE output RESULT_VARIABLE status)
  set(trace_folder "${WORK}")
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}; output:\n${output}")
endif()

# The tracing module's own lines of debug output, each once.
set(own_lines "tracing to ")
if(DEFINED SMALL_DISK)
  list(APPEND own_lines "the trace stopped: cannot write: No space left on device")
endif()
foreach(line IN LISTS own_lines)
  string(REGEX MATCHALL "[^\n]*debug: morv trace: ${line}[^\n]*\n" found "${output}")
  list(LENGTH found count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "${count} debug lines \"morv trace: ${line}...\", want 1; output:\n${output}")
  endif()
  string(REGEX REPLACE "[^\n]*debug: morv trace: ${line}[^\n]*\n" "" output "${output}")
endforeach()
file(READ "${EXPECTED}" expected)
if(NOT output STREQUAL expected)
  file(WRITE "${WORK}/transcript.actual" "${output}")
  execute_process(COMMAND diff -u "${EXPECTED}" "${WORK}/transcript.actual" OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "the transcript through the tracing module differs:\n${difference}")
endif()

file(GLOB traces "${trace_folder}/*.trace")
list(LENGTH traces count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${count} traces in ${trace_folder}, want 1")
endif()
file(READ "${traces}" trace)
if(NOT trace MATCHES "^morv-trace 1\n")
  message(FATAL_ERROR "${traces} does not start with \"morv-trace 1\"")
endif()
if(NOT DEFINED SMALL_DISK AND NOT trace MATCHES " 0 unload\n$")
  message(FATAL_ERROR "${traces} does not end with the unload line")
endif()
if(DEFINED SMALL_DISK AND trace MATCHES " 0 unload\n$")
  message(FATAL_ERROR "${traces} went on after the disk was full")
endif()
