# Plays a scenario with panel-host through the tracing module deployed in
# place of a script, and compares the transcript with the one the script
# gives alone. The tracing module's one announcement of its trace is the only
# line allowed in addition; the trace must be there, whole.
#   cmake -DPANEL_HOST=... -DTRACING_MODULE=... -DSCRIPT_MODULE=... -DLAYOUTS=...
#         -DSCENARIO=... -DEXPECTED=... -DWORK=folder -P play_traced.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
get_filename_component(script_name "${SCRIPT_MODULE}" NAME)
get_filename_component(script_stem "${SCRIPT_MODULE}" NAME_WLE)
get_filename_component(script_extension "${SCRIPT_MODULE}" LAST_EXT)
file(COPY_FILE "${TRACING_MODULE}" "${WORK}/${script_name}")
file(COPY_FILE "${SCRIPT_MODULE}" "${WORK}/${script_stem}.traced${script_extension}")

execute_process(COMMAND "${PANEL_HOST}" play --check --module "${WORK}/${script_name}" --layouts "${LAYOUTS}" "${SCENARIO}"
  OUTPUT_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}; output:\n${output}")
endif()

string(REGEX MATCHALL "[^\n]*debug: morv trace: tracing to [^\n]*\n" announcements "${output}")
list(LENGTH announcements count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${count} announcements of the trace, want 1; output:\n${output}")
endif()
string(REGEX REPLACE "[^\n]*debug: morv trace: tracing to [^\n]*\n" "" output "${output}")
file(READ "${EXPECTED}" expected)
if(NOT output STREQUAL expected)
  file(WRITE "${WORK}/transcript.actual" "${output}")
  execute_process(COMMAND diff -u "${EXPECTED}" "${WORK}/transcript.actual" OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "the transcript through the tracing module differs:\n${difference}")
endif()

file(GLOB traces "${WORK}/*.trace")
list(LENGTH traces count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${count} traces in ${WORK}, want 1")
endif()
file(READ "${traces}" trace)
if(NOT trace MATCHES "^morv-trace 1\n" OR NOT trace MATCHES " 0 unload\n$")
  message(FATAL_ERROR "${traces} does not start with \"morv-trace 1\" and end with the unload line")
endif()
