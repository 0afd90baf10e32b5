# snippary_add_test(NAME [SERVER] SOURCES... LIBS ...): one Qt Test executable, run headless
# with a pinned locale and its own temporary home. SERVER: it also uses the tests'
# own PostgreSQL server (tests/support/pgserver), whose socket folder it is told
# in SNIPPARY_TEST_PGHOST.
function(snippary_add_test name)
  cmake_parse_arguments(T "SERVER" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE snippary_policy Qt6::Test snippary_testsupport ${T_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE SNIPPARY_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8;TZ=UTC;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/xdg-config-${name};XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/xdg-data-${name};ASAN_OPTIONS=detect_leaks=0;${T_ENV}")
  if(T_SERVER)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED pgserver)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "SNIPPARY_TEST_PGHOST=${SNIPPARY_TEST_PGHOST}")
  endif()
endfunction()
