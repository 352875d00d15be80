# End-to-end runs of the console launcher (mglauncher-console.exe) from
# cmd.exe: standard handles, exit codes and Ctrl+C, with the java.exe bridge.
if(NOT TARGET mglauncher-console OR NOT TARGET mgpack OR NOT MG_E2E_REAL_JVM)
  return()
endif()

add_executable(console_ctrl_c ${CMAKE_CURRENT_LIST_DIR}/console_ctrl_c.cpp)
target_link_options(console_ctrl_c PRIVATE -static)

foreach(case pipe no-jvm ctrl-c)
  add_test(NAME e2e.console.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/console.sh ${case} ${MG_LAUNCHER_CONSOLE} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:console_ctrl_c> ${MG_SOURCE_DIR} ${MG_HOST_BUILD})
  set_tests_properties(e2e.console.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
