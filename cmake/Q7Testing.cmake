# q7_add_gtest(NAME SOURCES ... [LIBS ...] [TIMEOUT s] [SERIAL])
# One GoogleTest program; every test case becomes a CTest test run under Wine.
# SERIAL marks programs that use the shared user session (they open windows on the display or
# touch the current user's real settings), so no two of them ever run at the same time.
function(q7_add_gtest name)
  cmake_parse_arguments(T "SERIAL" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  set(props TIMEOUT ${T_TIMEOUT})
  if(T_SERIAL)
    list(APPEND props RESOURCE_LOCK user_session)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES ${props})
endfunction()
