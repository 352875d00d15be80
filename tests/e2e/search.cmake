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

# hints, views: the build's prefix; walk: a prefix of its own under this
# build tree (made once, about half a minute), whose only fixed drive is the
# test's folder. views writes JavaSoft keys in both registry views.
foreach(case hints walk views)
  add_test(NAME e2e.search.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/search.sh ${case} ${MG_LAUNCHER}
            ${MG_HOST_BUILD}/bridge/java.exe.so ${MG_SOURCE_DIR} $<TARGET_FILE:cancel_java>)
  set_tests_properties(e2e.search.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 600
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}"
    RESOURCE_LOCK vendor-registry)
endforeach()

# The verify cache: a JVM home of its own in the build's prefix.
add_test(NAME e2e.verifycache
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/verifycache.sh ${MG_LAUNCHER}
          ${MG_HOST_BUILD}/bridge/java.exe.so ${MG_SOURCE_DIR})
set_tests_properties(e2e.verifycache PROPERTIES LABELS "wine;e2e" TIMEOUT 600
  FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}"
  RESOURCE_LOCK vendor-registry)

# The ready JVM files against the registry values and folders that the Java
# installers leave (the distribution table of docs/vendor-guide.md). It writes
# the vendors' keys of the machine-wide registry, which the cases above read
# too: hence the lock.
add_test(NAME e2e.jvmfiles
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/jvmfiles.sh ${MG_LAUNCHER}
          ${MG_HOST_BUILD}/bridge/java.exe.so ${MG_SOURCE_DIR})
set_tests_properties(e2e.jvmfiles PROPERTIES LABELS "wine;e2e" TIMEOUT 1800
  FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}"
  RESOURCE_LOCK vendor-registry)
