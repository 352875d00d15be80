# mgpack.exe given damaged icons and stubs under Wine: a message and exit
# status 1, never an abort (mgpack.sh; with the i686 test build, the 32-bit
# mgpack.exe).
if(NOT TARGET mgpack)
  return()
endif()
# The 32-bit mgpack.exe that ships is the shipped build's; the test build's
# own stands in for the 64-bit flavour, which ships none.
set(mgpack_exe $<TARGET_FILE:mgpack>)
if(MG_SHIPPED_DIR AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(mgpack_exe ${MG_SHIPPED_DIR}/../tools/mgpack.exe)
endif()
foreach(case damaged-icon damaged-stub)
  add_test(NAME e2e.mgpack.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/mgpack.sh ${case} ${mgpack_exe} ${MG_LAUNCHER})
  set_tests_properties(e2e.mgpack.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
