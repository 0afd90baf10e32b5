# snippary_add_test(NAME SOURCES... LIBS ...): one Qt Test executable, run headless
# with a pinned locale and its own temporary home.
function(snippary_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE snippary_policy Qt6::Test snippary_testsupport ${T_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE SNIPPARY_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8;TZ=UTC;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/xdg-config-${name};XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/xdg-data-${name};ASAN_OPTIONS=detect_leaks=0;${T_ENV}")
endfunction()
