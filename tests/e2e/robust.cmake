# End-to-end runs of the launch against applications that behave like real
# ones at the edges: links in their folders, output that outlives the
# launcher or floods it, long class paths, odd folder names, a failed start,
# class-path archives extracted into a folder with a blank.
# The real mglauncher.exe packed by mgpack.exe, the java.exe bridge (jvmhome
# fixture) and tests/helpers/Robust.java, compiled by the host's javac; the
# two-archive application is the host build's classpath-app.jar and
# classpath-lib.jar (java/testapp).
if(NOT TARGET mglauncher OR NOT TARGET mgpack OR NOT TARGET foundation_runner)
  return()
endif()
find_program(MG_WINEGXX NAMES wineg++)
find_program(MG_JAVAC NAMES javac)
if(NOT (MG_WINEGXX AND MG_HOST_BUILD AND MG_JAVAC))
  return()
endif()

foreach(case links outlive flood argfile envcp folders wrongmain classpath-blank)
  add_test(NAME e2e.robust.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/robust.sh ${case} ${MG_LAUNCHER} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:foundation_runner> ${MG_HOST_BUILD})
  set_tests_properties(e2e.robust.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 600
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
