# Windows-side tests run under Wine. The test runner (scripts/test.sh) makes
# the prefix with tests/e2e/prefix.sh and exports its environment before ctest.
# On a Windows host the test programs run directly.
set(KESTRUM_WINE_RUN ${CMAKE_SOURCE_DIR}/tests/e2e/wine-run.sh)

# kestrum_add_wine_test(TARGET [TIMEOUT seconds]): a GoogleTest exe as one ctest test.
function(kestrum_add_wine_test target)
  cmake_parse_arguments(ARG "" "TIMEOUT" "" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(CMAKE_HOST_WIN32)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  else()
    add_test(NAME ${target} COMMAND ${KESTRUM_WINE_RUN} $<TARGET_FILE:${target}>)
    set_tests_properties(${target} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS wine
                         ENVIRONMENT "KESTRUM_WINE_TIMEOUT=${ARG_TIMEOUT}")
  endif()
endfunction()
