# End-to-end runs of what an end user is told when the application cannot
# start: no JVM (or too old a one), a failed start-up with the window gone,
# the console launcher without a display. The shipped launchers packed by
# mgpack.exe, the java.exe bridge (jvmhome fixture), foundation_runner.
if(NOT TARGET mglauncher OR NOT TARGET mglauncher-console OR NOT TARGET mgpack OR NOT TARGET foundation_runner
   OR NOT MG_E2E_REAL_JVM)
  return()
endif()

foreach(case no-jvm java17 open console wrong-main wrong-main-silent no-display)
  add_test(NAME e2e.tell.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/tell.sh ${case} ${MG_LAUNCHER} ${MG_LAUNCHER_CONSOLE} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:foundation_runner> ${MG_SOURCE_DIR} ${MG_HOST_BUILD})
  set_tests_properties(e2e.tell.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
