# Helpers that keep the per-folder CMakeLists short.
#
# cq5_library(<target> [DEPS <targets>...] [QT])
#   A static library from every .cpp in the current folder. QT links Qt privately:
#   only platform libraries may pass it, since Qt headers stay inside platform/.
function(cq5_library target)
  cmake_parse_arguments(ARG "QT" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A folder whose first sources are still being written: nothing to build yet.
    message(STATUS "${target}: no sources yet")
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${sources})
  set_property(GLOBAL APPEND PROPERTY CQ5_ALL_LIBS ${target})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  if(ARG_PRIVATE_DEPS)
    target_link_libraries(${target} PRIVATE ${ARG_PRIVATE_DEPS})
  endif()
  if(ARG_QT)
    target_link_libraries(${target} PRIVATE Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport)
  endif()
endfunction()

# cq5_test(<target> DEPS <targets>...)
#   A GoogleTest program from every .cpp in the current folder, registered with CTest.
#   Tests run with Qt's offscreen platform and a private configuration folder.
function(cq5_test target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    message(STATUS "${target}: no tests yet")
    return()
  endif()
  # Every test program gets a scratch folder of its own (tests/TestEnv.cpp).
  add_executable(${target} ${sources} ${PROJECT_SOURCE_DIR}/tests/TestEnv.cpp)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    CQ5_SOURCE_DIR="${PROJECT_SOURCE_DIR}" CQ5_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
  set(env "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/xdg-${target}")
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "${env}")
  # CTest runs each case in a process of its own; running the whole program once more in
  # one process catches state that one case leaves behind for the next (freed controls
  # still reachable, globals not restored).
  add_test(NAME ${target}.all_in_one COMMAND ${target})
  set_tests_properties(${target}.all_in_one PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/xdg-${target}-all")
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/FormResources.cmake)
