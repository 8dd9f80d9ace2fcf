# Plays a scenario with panel-host through the tracing module deployed in
# place of a script, and checks what matters of it: the transcript is the
# one the script gives alone but for the tracing module's own debug lines
# (where it looked for its settings, where it traces, why it stopped), and
# the trace reads in panel-host, whole, with every command the transcript
# shows, in the same order.
#   cmake -DPANEL_HOST=... -DTRACING_MODULE=... -DSCRIPT_MODULE=... -DLAYOUTS=...
#         -DSCENARIO=... -DEXPECTED=... -DWORK=folder [-DSMALL_DISK=SIZE]
#         -P play_traced.cmake
# With SMALL_DISK the trace goes to a tmpfs of that size (mounted in a mount
# namespace of the run's own), which fills up during the scenario: the
# transcript must still be the usual one, the debug output must say why the
# trace stopped, and the trace reads up to its stop, its commands the first
# of the transcript's. Prints "no tmpfs here" and passes when no such mount
# can be made (the test then counts as skipped).
include(${CMAKE_CURRENT_LIST_DIR}/deploy_traced.cmake)
set(play "${PANEL_HOST}" play --check --module "${WORK}/${script_name}" --layouts "${LAYOUTS}" "${SCENARIO}")

# The commands of a trace, in order, as `trace show` prints them.
function(trace_commands trace result)
  execute_process(COMMAND "${PANEL_HOST}" trace show "${trace}"
    OUTPUT_VARIABLE shown ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${trace} does not read: ${errors}")
  endif()
  string(REGEX MATCHALL "\n *send\\(0\\) [^\n]*" commands "${shown}")
  string(REGEX REPLACE "\n *" "" commands "${commands}")
  set(${result} "${commands}" PARENT_SCOPE)
endfunction()

# With -DVALIDATE=ON (no SCENARIO, EXPECTED) it runs panel-host validate on
# the deployed tracing module instead: every check must pass through it, the
# traces of the checks' processes go to the one folder validate names, and
# each of them reads.
if(VALIDATE)
  execute_process(COMMAND "${PANEL_HOST}" validate --layouts "${LAYOUTS}" "${WORK}/${script_name}"
    OUTPUT_VARIABLE output RESULT_VARIABLE status)
  file(GLOB beside "${WORK}/*.trace")
  if(NOT status EQUAL 0 OR beside OR NOT output MATCHES "\ntraces: ([0-9]+) in ([^\n]*) \\(the tracing module's")
    message(FATAL_ERROR "exit status ${status}, traces beside the module [${beside}]; output:\n${output}")
  endif()
  set(count ${CMAKE_MATCH_1})
  file(GLOB traces "${CMAKE_MATCH_2}/*.trace")
  list(LENGTH traces found)
  if(NOT found EQUAL count OR count LESS 20)
    message(FATAL_ERROR "validate reported ${count} traces, the folder holds ${found}")
  endif()
  foreach(trace IN LISTS traces)
    trace_commands("${trace}" commands)
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
set(own_lines "settings: ${WORK}/${script_stem}.trace.conf " "tracing to ")
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
if(NOT DEFINED SMALL_DISK AND NOT trace MATCHES " 0 unload\n$")
  message(FATAL_ERROR "${traces} does not end with the unload line")
endif()
if(DEFINED SMALL_DISK AND NOT trace MATCHES " 0 stop \"cannot write: No space left on device\"\n$")
  message(FATAL_ERROR "${traces} does not end with the stop of a full disk")
endif()
# Every command of the transcript, in order (the trace's own path names
# aside); a trace the disk stopped holds the first of them. `trace show`
# prints each instance whole, the transcript in the order of the session:
# with several instances, only the commands are compared, not their order.
trace_commands("${traces}" recorded)
string(REGEX MATCHALL "\n *send\\(0\\) [^\n]*" sent "${expected}")
string(REGEX REPLACE "\n *" "" sent "${sent}")
if(expected MATCHES "\n> @2 ")
  list(SORT recorded)
  list(SORT sent)
endif()
list(LENGTH recorded recorded_count)
list(LENGTH sent sent_count)
if((recorded_count EQUAL 0 AND NOT sent_count EQUAL 0) OR recorded_count GREATER sent_count OR
   (NOT DEFINED SMALL_DISK AND NOT recorded_count EQUAL sent_count))
  message(FATAL_ERROR "${traces} holds ${recorded_count} commands, the transcript ${sent_count}")
endif()
if(recorded_count EQUAL 0)
  return()
endif()
math(EXPR last "${recorded_count} - 1")
foreach(i RANGE ${last})
  list(GET recorded ${i} one)
  list(GET sent ${i} other)
  # Replies aside; where the transcript writes the layout folder as
  # ${layouts}, the trace has the folder the scenario chose.
  string(REGEX REPLACE " -> .*" "" one "${one}")
  string(REGEX REPLACE " -> .*" "" other "${other}")
  string(REGEX REPLACE "([][()+*.?^$|\\{}])" "\\\\\\1" pattern "${other}")
  string(REPLACE "\\$\\{layouts\\}" "[^']*" pattern "${pattern}")
  if(NOT one MATCHES "^${pattern}$")
    message(FATAL_ERROR "command ${i} of ${traces} is \"${one}\", the transcript's \"${other}\"")
  endif()
endforeach()
