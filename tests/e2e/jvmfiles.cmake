# The ready JVM files against the registry values and folders that the Java
# installers leave (the distribution table of docs/vendor-guide.md), under Wine
# with the java.exe bridge.
if(NOT TARGET mglauncher)
  return()
endif()
find_program(MG_WINEGXX NAMES wineg++)
if(NOT (MG_WINEGXX AND MG_HOST_BUILD))
  return()
endif()
add_test(NAME e2e.jvmfiles
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/jvmfiles.sh $<TARGET_FILE:mglauncher>
          ${MG_HOST_BUILD}/bridge/java.exe.so ${MG_SOURCE_DIR})
# It writes the vendors' keys of the machine-wide registry, which the search
# tests read too.
set_tests_properties(e2e.jvmfiles PROPERTIES LABELS "wine;e2e" TIMEOUT 900
  FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}"
  RESOURCE_LOCK vendor-registry)
