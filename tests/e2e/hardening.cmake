# End-to-end runs of the process hardening: the DLL search restriction (a
# planted DLL beside the program or in its current directory) and the
# self-removal batch file under a folder whose name cmd gives a meaning.
if(NOT TARGET mglauncher OR NOT TARGET foundation_runner)
  return()
endif()

add_library(planted_dll SHARED ${MG_SOURCE_DIR}/tests/helpers/planted_dll.cpp)
set_target_properties(planted_dll PROPERTIES OUTPUT_NAME mgplanted PREFIX "")
target_link_options(planted_dll PRIVATE -static)
add_executable(hardening_probe ${MG_SOURCE_DIR}/tests/helpers/hardening_probe.cpp)
target_include_directories(hardening_probe PRIVATE ${MG_SOURCE_DIR})
target_link_options(hardening_probe PRIVATE -static)

foreach(case dll-probe dll-launcher batch-chars)
  add_test(NAME e2e.hardening.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/hardening.sh ${case} ${MG_LAUNCHER}
            $<TARGET_FILE:foundation_runner> $<TARGET_FILE:planted_dll> $<TARGET_FILE:hardening_probe>)
  set_tests_properties(e2e.hardening.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
