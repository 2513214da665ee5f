# quorix_folder_library(<target> LIBS <targets...>)
# Builds the folder's library from every .cpp beside it except the *_test.cpp
# files, and one test executable per *_test.cpp, named <target>_<file>.
# New source files are picked up without editing this folder's CMakeLists.
function(quorix_folder_library target)
  cmake_parse_arguments(ARG "" "" "LIBS;TEST_LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(tests)
    list(REMOVE_ITEM sources ${tests})
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${QUORIX_SOURCE_ROOT})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  foreach(test IN LISTS tests)
    get_filename_component(stem ${test} NAME_WE)
    quorix_add_test(${target}_${stem} SOURCES ${test} LIBS ${target} ${ARG_TEST_LIBS})
  endforeach()
endfunction()
