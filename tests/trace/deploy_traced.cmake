# Included by the scripts that play through the tracing module: makes WORK
# afresh and deploys TRACING_MODULE there under the file name of
# SCRIPT_MODULE, with the script beside it as <stem>.traced<ext>, as in a
# real host. Sets script_name and script_stem.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
get_filename_component(script_name "${SCRIPT_MODULE}" NAME)
get_filename_component(script_stem "${SCRIPT_MODULE}" NAME_WLE)
get_filename_component(script_extension "${SCRIPT_MODULE}" LAST_EXT)
file(COPY_FILE "${TRACING_MODULE}" "${WORK}/${script_name}")
file(COPY_FILE "${SCRIPT_MODULE}" "${WORK}/${script_stem}.traced${script_extension}")
