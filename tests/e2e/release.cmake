# The release files as a vendor gets them: packed from this build's outputs by
# the step scripts/release.sh ends with (scripts/release-pack.sh), with the
# launchers this machine's Wine runs in place of the 32-bit ones
# (release.sh: pack sets up the others, archive runs the launcher).
if(NOT MG_E2E_REAL_JVM OR NOT MG_SHIPPED_DIR)
  return()
endif()
set(release_dir ${CMAKE_BINARY_DIR}/release-test)
set(release_env "WINEPREFIX=${MG_WINEPREFIX}")
add_test(NAME e2e.release.pack
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/release.sh pack ${MG_SOURCE_DIR} ${MG_HOST_BUILD} ${release_dir} ${MG_SHIPPED_DIR})
set_tests_properties(e2e.release.pack PROPERTIES LABELS "e2e;release" TIMEOUT 600
  FIXTURES_SETUP release ENVIRONMENT ${release_env})
foreach(case archive static deb)
  add_test(NAME e2e.release.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/release.sh ${case} ${MG_SOURCE_DIR} ${MG_HOST_BUILD} ${release_dir}
            $<TARGET_FILE:foundation_runner>)
  set_tests_properties(e2e.release.${case} PROPERTIES LABELS "e2e;release" TIMEOUT 300
    FIXTURES_REQUIRED release ENVIRONMENT ${release_env})
endforeach()
set_tests_properties(e2e.release.archive PROPERTIES LABELS "wine;e2e;release"
  FIXTURES_REQUIRED "release;wineprefix;jvmhome")
