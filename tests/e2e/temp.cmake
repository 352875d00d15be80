# End-to-end runs of temporary items, extraction and self-removal: the real
# mglauncher.exe (and mgpack.exe to build a payload) under Wine.
if(NOT TARGET mglauncher OR NOT TARGET mgpack OR NOT TARGET extract_tests_win)
  return()
endif()

# Waits for a program and reports its exit code, time and peak memory (also
# used by bench/extract.sh).
add_executable(temp_run ${MG_SOURCE_DIR}/tests/helpers/temp_run.cpp)
target_link_libraries(temp_run PRIVATE psapi)

foreach(case self-nt self-9x extract small-drive)
  add_test(NAME e2e.temp.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/temp.sh ${case} ${MG_LAUNCHER} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:extract_tests_win> $<TARGET_FILE:temp_run> ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(e2e.temp.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}" SKIP_RETURN_CODE 77)
endforeach()
# Both cases edit the prefix's WinInit.Ini or its drive letters.
set_tests_properties(e2e.temp.self-9x e2e.temp.small-drive PROPERTIES RUN_SERIAL ON)
