# q7_add_gtest(NAME SOURCES ... [LIBS ...] [TIMEOUT s] [SERIAL] [LOCKS name ...])
# One GoogleTest program; every test case becomes a CTest test run under Wine.
# SERIAL marks programs that open windows, so they never share the display with another;
# LOCKS names further shared resources (q7_settings_registry: the camera settings key).
function(q7_add_gtest name)
  cmake_parse_arguments(T "SERIAL" "TIMEOUT" "SOURCES;LIBS;LOCKS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  set(locks ${T_LOCKS})
  if(T_SERIAL)
    list(APPEND locks display)
  endif()
  set(props TIMEOUT ${T_TIMEOUT})
  if(locks)
    list(JOIN locks "\;" lock_list)
    list(APPEND props RESOURCE_LOCK "${lock_list}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES ${props})
endfunction()
