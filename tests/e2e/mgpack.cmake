# mgpack.exe given damaged icons and stubs under Wine: a message and exit
# status 1, never an abort (mgpack.sh; with the i686 test build, the 32-bit
# mgpack.exe).
if(NOT TARGET mgpack)
  return()
endif()
foreach(case damaged-icon damaged-stub)
  add_test(NAME e2e.mgpack.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/mgpack.sh ${case} $<TARGET_FILE:mgpack> ${MG_LAUNCHER})
  set_tests_properties(e2e.mgpack.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
