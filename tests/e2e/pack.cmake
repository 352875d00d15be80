# End-to-end runs of the launcher file and the driver: launchers built by
# mgpack.exe from the real mglauncher.exe, run under Wine with -mg:log.
# foundation_runner (foundation.cmake) answers any message box and reports it.
if(NOT TARGET mglauncher OR NOT TARGET mgpack OR NOT TARGET foundation_runner)
  return()
endif()

set(cases records no-index index-errors log-missing-value version input-quoted input-without-logfile
          input-action option-order tempdir-missing extract)
# mgpack check on the real launcher, by the host's mgpack and mgpack.exe alike.
if(MG_HOST_BUILD)
  list(APPEND cases check)
endif()
# The check compares the mgpack.exe that ships (the shipped build's, in the
# 32-bit flavour) with the host's.
set(check_mgpack $<TARGET_FILE:mgpack>)
if(MG_SHIPPED_DIR AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(check_mgpack ${MG_SHIPPED_DIR}/../tools/mgpack.exe)
endif()
foreach(case ${cases})
  set(mgpack_exe $<TARGET_FILE:mgpack>)
  if(case STREQUAL "check")
    set(mgpack_exe ${check_mgpack})
  endif()
  add_test(NAME e2e.pack.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/pack.sh ${case} ${MG_LAUNCHER} ${mgpack_exe}
            $<TARGET_FILE:foundation_runner> ${MG_SOURCE_DIR} ${MG_HOST_BUILD}/tools/mgpack)
  set_tests_properties(e2e.pack.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
