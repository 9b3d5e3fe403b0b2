# End-to-end tests of the desktop program as a process, one CTest test per file,
# run by Node's test runner against the host and library of this build.
find_program(NODE_EXECUTABLE node REQUIRED)
file(GLOB e2e_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/*.test.mjs)
foreach(test_file ${e2e_tests})
  get_filename_component(name ${test_file} NAME_WE)
  add_test(NAME e2e.${name} COMMAND ${NODE_EXECUTABLE} --test ${test_file})
  set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 180 ENVIRONMENT
    "VERHULZEN_HOST=$<TARGET_FILE:serve_host>;VERHULZEN_LIB=$<TARGET_FILE:verhulzen_app>;VERHULZEN_STARTER=$<TARGET_FILE:drovel_verhulzen>;VERHULZEN_PACK=$<TARGET_FILE:verhulzen_pack>")
endforeach()
