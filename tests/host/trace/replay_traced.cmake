# Plays a scenario with panel-host through the tracing module deployed in
# place of a module, then replays the trace it wrote: against the module
# traced the replay passes; against a module that differs in one command it
# fails at that command, naming both texts, when the session sent it, and
# passes otherwise. With TRACE, that trace is replayed instead. With
# COMPARE, `trace compare` must list exactly the lines of that file (none
# when it is empty): the differences the scenario made on purpose.
#   cmake -DPANEL_HOST=... -DTRACING_MODULE=... -DSCRIPT_MODULE=... -DLAYOUTS=...
#         -DSCENARIO=... -DWORK=folder [-DDIFFERING_MODULE=... -DRECORDED=text
#         -DACTUAL=text] [-DTRACE=file] [-DCOMPARE=file] -P replay_traced.cmake
if(DEFINED TRACE)
  set(traces "${TRACE}")
else()
  include(${CMAKE_CURRENT_LIST_DIR}/../../trace/deploy_traced.cmake)
  execute_process(COMMAND "${PANEL_HOST}" play --check --module "${WORK}/${script_name}" --layouts "${LAYOUTS}"
      "${SCENARIO}" OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "playing through the tracing module: exit status ${status}\n${output}${errors}")
  endif()
  file(GLOB traces "${WORK}/*.trace")
  list(LENGTH traces count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "${count} traces in ${WORK}, want 1")
  endif()
endif()

execute_process(COMMAND "${PANEL_HOST}" trace replay "${traces}" --module "${SCRIPT_MODULE}"
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT output MATCHES "the module sent every recorded command: PASS\n$")
  message(FATAL_ERROR "the replay against the module traced: exit status ${status}\n${output}${errors}")
endif()

if(DEFINED COMPARE)
  execute_process(COMMAND "${PANEL_HOST}" trace compare "${traces}" --layouts "${LAYOUTS}"
      OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
  string(REGEX MATCHALL "\n[^#\n][^\n]*" listed "${output}")
  string(REPLACE "${traces}:" "" listed "${listed}")
  string(REPLACE "\n" "" listed "${listed}")
  file(STRINGS "${COMPARE}" wanted)
  if(NOT listed STREQUAL wanted OR (wanted AND NOT status EQUAL 1) OR (NOT wanted AND NOT status EQUAL 0))
    message(FATAL_ERROR "trace compare: exit status ${status}, want the differences [${wanted}]\n${output}${errors}")
  endif()
endif()

if(NOT DEFINED DIFFERING_MODULE)
  return()
endif()
file(READ "${traces}" trace)
string(FIND "${trace}" "\"${RECORDED}\"" sent)
execute_process(COMMAND "${PANEL_HOST}" trace replay "${traces}" --module "${DIFFERING_MODULE}"
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(sent EQUAL -1)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the session never sent ${RECORDED}, yet its replay failed: exit status ${status}\n"
      "${output}${errors}")
  endif()
  return()
endif()
string(FIND "${output}" "#   recorded: ${RECORDED}\n#   actual:   ${ACTUAL}\n" named)
if(NOT status EQUAL 1 OR named EQUAL -1)
  message(FATAL_ERROR "the replay against a module that sends ${ACTUAL} for ${RECORDED}: exit status ${status}, "
    "want 1 naming both\n${output}${errors}")
endif()
