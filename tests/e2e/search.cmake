# End-to-end runs of the JVM search: the real mglauncher.exe under Wine with
# input files, real registry entries (wine reg add), JVM homes made with the
# java.exe bridge, and drives mapped to test folders.
if(NOT TARGET mglauncher)
  return()
endif()
if(NOT MG_E2E_REAL_JVM)
  return()
endif()

# A java.exe that cancels the search which verifies it.
add_executable(cancel_java ${MG_SOURCE_DIR}/tests/helpers/cancel_java.cpp)
target_link_options(cancel_java PRIVATE -static)

# hints: the build's prefix; walk: a prefix of its own under this build tree
# (made once, about half a minute), whose only fixed drive is the test's folder.
foreach(case hints walk)
  add_test(NAME e2e.search.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/search.sh ${case} $<TARGET_FILE:mglauncher>
            ${MG_HOST_BUILD}/bridge/java.exe.so ${MG_SOURCE_DIR} $<TARGET_FILE:cancel_java>)
  set_tests_properties(e2e.search.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 600
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
