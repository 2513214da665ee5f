# quorix_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per call, registered with CTest. Discovery happens
# when ctest runs, so building needs neither a display nor a sanitizer run.
# Tests find committed reference tables through QUORIX_SOURCE_DIR.
# Widget tests set QT_QPA_PLATFORM=offscreen in their own main.
function(quorix_add_test name)
  if(NOT QUORIX_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "NO_GTEST_MAIN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(NOT ARG_NO_GTEST_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE QUORIX_SOURCE_DIR="${QUORIX_SOURCE_ROOT}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
endfunction()
