# End-to-end runs of the JVM search: the real mglauncher.exe under Wine with
# input files, real registry entries (wine reg add), JVM homes made with the
# java.exe bridge, and drives mapped to test folders.
if(NOT TARGET mglauncher)
  return()
endif()
find_program(MG_WINEGXX NAMES wineg++)
if(NOT (MG_WINEGXX AND MG_HOST_BUILD))
  return()
endif()
# The walk case (a prefix of its own whose only fixed drive is K:) still
# walks C: and Z: there: the drive-type setting does not take; not registered
# until it does.
foreach(case hints)
  add_test(NAME e2e.search.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/search.sh ${case} $<TARGET_FILE:mglauncher>
            ${MG_HOST_BUILD}/bridge/java.exe.so ${MG_SOURCE_DIR})
  set_tests_properties(e2e.search.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 600
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
