# End-to-end runs of child processes and JVM verification: the real
# mglauncher.exe under Wine with an input file; the helper child stands in
# for a JVM installer, the java.exe bridge (jvmhome fixture) for a JVM.
if(NOT TARGET mglauncher OR NOT TARGET proc_child)
  return()
endif()

set(proc_cases install-waits install-fails)
set(proc_fixtures wineprefix)
if(MG_E2E_REAL_JVM)
  list(APPEND proc_cases verify-action)
  set(proc_fixtures "wineprefix;jvmhome")
endif()
foreach(case ${proc_cases})
  add_test(NAME e2e.proc.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/proc.sh ${case} ${MG_LAUNCHER} $<TARGET_FILE:proc_child>)
  set_tests_properties(e2e.proc.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED "${proc_fixtures}" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}" SKIP_RETURN_CODE 77)
endforeach()
