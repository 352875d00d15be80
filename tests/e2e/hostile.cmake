# Damaged and hostile launcher files, made by tests/hostile/make_corpus.py and
# run by the real launcher under Wine. foundation_runner (foundation.cmake)
# answers any message box and bounds every run.
if(NOT TARGET mglauncher OR NOT TARGET foundation_runner)
  return()
endif()
find_program(MG_PYTHON3 python3)
if(NOT MG_PYTHON3)
  return()
endif()

add_test(NAME e2e.hostile
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/hostile.sh ${MG_LAUNCHER} $<TARGET_FILE:foundation_runner>
          ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(e2e.hostile PROPERTIES LABELS "wine;e2e" TIMEOUT 1800
  FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")

# One hostile launcher on its own (a name that climbs out of the extraction
# folder): what the emulated machine's chosen cases run of the above, which
# takes too long there as a whole.
add_test(NAME e2e.hostile.traversal
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/hostile.sh ${MG_LAUNCHER} $<TARGET_FILE:foundation_runner>
          ${CMAKE_CURRENT_BINARY_DIR}/hostile-one name-backslash)
set_tests_properties(e2e.hostile.traversal PROPERTIES LABELS "wine;e2e" TIMEOUT 300
  FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
set_tests_properties(e2e.hostile e2e.hostile.traversal PROPERTIES RESOURCE_LOCK mgtest-hostile)
