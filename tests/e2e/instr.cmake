# End-to-end runs of the instructions interpreter inside the real launcher.
# foundation_runner (foundation.cmake) answers any message box and reports it.
if(NOT TARGET mglauncher OR NOT TARGET mgpack OR NOT TARGET foundation_runner)
  return()
endif()

foreach(case line-number jumps runaway)
  add_test(NAME e2e.instr.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/instr.sh ${case} ${MG_LAUNCHER} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:foundation_runner>)
  set_tests_properties(e2e.instr.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
