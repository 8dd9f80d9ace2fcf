# The validator's test modules: a sound panel, and variants that each break
# one rule (one source each, beside this file), as MODULE libraries named
# after their sources; validator_test_modules lists them. Built for Linux
# by tests/host/validator and for Windows by tests/windows.
set(validator_test_modules
  sound_module
  counts_across_objects
  crashes_on_unknown_code
  crashes_out_of_range
  creates_no_object
  creates_one_object
  entry_with_cpp_linkage
  exports_second_symbol
  gives_back_twice
  hangs_on_foreign_timer
  keeps_reading_reply
  never_sends_as
  reads_null_release
  reads_null_reply
  reads_timer_payload
  sends_as_twice
  sends_code_seven
  sends_from_own_thread
  sends_unparsable_command
  static_query_reply
  trusts_reply_format
  uses_null_host)

find_package(Threads REQUIRED)
add_library(validator_sound_panel STATIC ${CMAKE_CURRENT_LIST_DIR}/sound_panel.cpp)
target_include_directories(validator_sound_panel PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(validator_sound_panel PUBLIC morv_framework morv_string Threads::Threads PRIVATE morv_warnings)
set_target_properties(validator_sound_panel PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

foreach(module ${validator_test_modules})
  add_library(${module} MODULE ${CMAKE_CURRENT_LIST_DIR}/${module}.cpp)
  target_link_libraries(${module} PRIVATE validator_sound_panel morv_warnings)
  set_target_properties(${module} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    set_target_properties(${module} PROPERTIES PREFIX "")
  elseif(NOT APPLE AND NOT module STREQUAL "exports_second_symbol")
    # Like the routing panel, every module but one keeps only its entry
    # point in the dynamic symbol table.
    target_link_options(${module} PRIVATE LINKER:--version-script=${PROJECT_SOURCE_DIR}/cmake/panel_script/panel_script.version)
  endif()
endforeach()
