# End-to-end runs of faults around the launcher: a misbehaving java.exe, a
# full and a read-only temporary drive. common.sh holds the shared prelude.
if(NOT TARGET mglauncher OR NOT TARGET mgpack)
  return()
endif()

# A java.exe whose misbehaviour the test picks through the environment.
add_executable(fault_java ${MG_SOURCE_DIR}/tests/helpers/fault_java.cpp)
target_link_options(fault_java PRIVATE -static)

foreach(case jvm app full-disk read-only)
  add_test(NAME e2e.faults.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/faults.sh ${case} ${MG_LAUNCHER} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:fault_java> ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(e2e.faults.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 600
    FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}" SKIP_RETURN_CODE 77)
endforeach()
# Both map drive letters of the shared prefix.
set_tests_properties(e2e.faults.full-disk e2e.faults.read-only PROPERTIES RUN_SERIAL ON)
