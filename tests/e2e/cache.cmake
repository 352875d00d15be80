# End-to-end runs of the payload cache (CACHE_FOLDER): launchers packed by
# mgpack.exe from the real mglauncher.exe, printargs.jar on the java.exe
# bridge (jvmhome fixture), our small JVM installer for the install case.
# foundation_runner and launchops_installer are defined by files included
# after this one (foundation.cmake, examples/), hence not tested here.
if(NOT TARGET mglauncher OR NOT TARGET mgpack)
  return()
endif()
if(NOT MG_E2E_REAL_JVM)
  return()
endif()

foreach(case together truncated read-only repack clearcache no-tag install)
  add_test(NAME e2e.cache.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/cache.sh ${case} ${MG_LAUNCHER} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:foundation_runner> $<TARGET_FILE:launchops_installer>)
  set_tests_properties(e2e.cache.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
