# End-to-end run of the verify cache: VERIFY_CACHE in a JVM file, the real
# launcher under Wine verifying a JVM home of its own (the java.exe bridge).
if(NOT TARGET mglauncher)
  return()
endif()
find_program(MG_WINEGXX NAMES wineg++)
if(NOT (MG_WINEGXX AND MG_HOST_BUILD))
  return()
endif()
add_test(NAME e2e.verifycache
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/verifycache.sh $<TARGET_FILE:mglauncher>
          ${MG_HOST_BUILD}/bridge/java.exe.so ${MG_SOURCE_DIR})
set_tests_properties(e2e.verifycache PROPERTIES LABELS "wine;e2e" TIMEOUT 600
  FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
