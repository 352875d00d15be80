# End-to-end runs of the install and launch operations: launchers packed by
# mgpack.exe from the real mglauncher.exe, our small JVM installer
# (examples/), the java.exe bridge and printargs.jar (jvmhome fixture).
# foundation_runner (foundation.cmake) answers any message box and reports it.
if(NOT TARGET mglauncher OR NOT TARGET mgpack OR NOT TARGET foundation_runner OR NOT TARGET launchops_installer)
  return()
endif()
if(NOT MG_E2E_REAL_JVM)
  return()
endif()

foreach(case install-launch install-action install-silent-choose no-installer embedded-launcher)
  add_test(NAME e2e.launchops.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/launchops.sh ${case} ${MG_LAUNCHER} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:foundation_runner> $<TARGET_FILE:launchops_installer>)
  set_tests_properties(e2e.launchops.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()

# The vendor's guide (docs/vendor-guide.md) as written: its program and launch
# script are the sample's files, its mgpack commands are run from the guide's
# text, and the launcher they make runs the sample application.
foreach(case find install)
  add_test(NAME e2e.guide.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/guide.sh ${case} ${MG_LAUNCHER} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:foundation_runner> $<TARGET_FILE:launchops_installer> ${MG_SOURCE_DIR} ${MG_HOST_BUILD})
  set_tests_properties(e2e.guide.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
