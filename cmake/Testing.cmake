find_package(GTest REQUIRED)
include(GoogleTest)

# add_unit_test(name LABEL unit|gui|e2e SOURCES ... LIBS ...)
# One GoogleTest executable; its cases are discovered when ctest runs, so GUI
# tests never start a window at build time.
function(add_unit_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    MK843NB_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures"
    MK843NB_BIN_DIR="${PROJECT_BINARY_DIR}")
  set(env "QT_QPA_PLATFORM=offscreen")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS "${T_LABEL}" ENVIRONMENT "${env}")
  # Pager backups and inventory records of the tests go to the build tree,
  # never to the user's data folder. Set once the tests are discovered: a list
  # would not pass through PROPERTIES.
  set(data "MK843NB_BACKUP_DIR=set:${PROJECT_BINARY_DIR}/test-backups")
  string(APPEND data ";MK843NB_INVENTORY=set:${PROJECT_BINARY_DIR}/test-inventory.sqlite")
  set(data_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_data.cmake")
  file(WRITE "${data_file}"
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT_MODIFICATION \"${data}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${data_file}")
endfunction()
