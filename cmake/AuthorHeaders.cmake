# What a script author includes, and what those headers include, as the
# kits install them (include/morv/); the host's and the tests' helpers stay
# in the source tree.
set(morv_author_headers
  framework/include/boundary_abi.h
  framework/include/decode_morv_string.h
  framework/include/host_records.h
  framework/include/morv_client_callback.h
  framework/include/morv_script_helper.h
  framework/include/notify_codes.h
  framework/include/notify_records.h
  framework/include/parsed_message.h
  framework/include/script_boundary.h
  framework/include/script_host.h
  strings/include/morv_string.h
  strings/include/morv_string_export.h
  strings/include/morv_stringlist.h)
list(TRANSFORM morv_author_headers PREPEND ${PROJECT_SOURCE_DIR}/)
