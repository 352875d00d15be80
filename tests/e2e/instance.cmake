# End-to-end runs of SINGLE_INSTANCE and %MAXHEAP%: launchers packed by
# mgpack.exe from the real mglauncher.exe. The single-instance cases run a
# stand-in application with a window (instance_app) and read the foreground
# window with foreground_probe; the heap cases run printargs.jar on the
# java.exe bridge (jvmhome fixture).
if(NOT TARGET mglauncher OR NOT TARGET mgpack OR NOT TARGET foundation_runner)
  return()
endif()

add_executable(instance_app WIN32 ${MG_SOURCE_DIR}/tests/helpers/instance_app.cpp)
target_link_options(instance_app PRIVATE -static -mwindows)
add_executable(foreground_probe ${MG_SOURCE_DIR}/tests/helpers/foreground_probe.cpp)
target_link_options(foreground_probe PRIVATE -static)

set(cases second-launch after-end after-kill same-instant console)
if(MG_E2E_REAL_JVM)
  list(APPEND cases heap heap-32-bit)
endif()
foreach(case ${cases})
  add_test(NAME e2e.instance.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/instance.sh ${case} ${MG_LAUNCHER} ${MG_LAUNCHER_CONSOLE} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:foundation_runner> $<TARGET_FILE:instance_app> $<TARGET_FILE:foreground_probe>)
  set_tests_properties(e2e.instance.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED "wineprefix" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
if(MG_E2E_REAL_JVM)
  set_tests_properties(e2e.instance.heap e2e.instance.heap-32-bit PROPERTIES FIXTURES_REQUIRED "wineprefix;jvmhome")
endif()
