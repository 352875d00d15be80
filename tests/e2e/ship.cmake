# End-to-end runs of a launcher made ready to ship: signed with osslsigncode,
# branded by mgpack (Linux and Windows builds compared), and run from folders
# and with arguments outside the system's code page. Launchers are packed
# from the real mglauncher.exe and run the sample with the java.exe bridge.
if(NOT TARGET mglauncher OR NOT TARGET mgpack OR NOT TARGET foundation_runner)
  return()
endif()
find_program(MG_WINEGXX NAMES wineg++)
if(NOT (MG_WINEGXX AND MG_HOST_BUILD))
  return()
endif()

add_executable(branding_probe ${MG_SOURCE_DIR}/tests/helpers/branding_probe.cpp)
target_link_libraries(branding_probe PRIVATE version)
target_link_options(branding_probe PRIVATE -static)

foreach(case signed branding paths)
  add_test(NAME e2e.ship.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/ship.sh ${case} ${MG_LAUNCHER} $<TARGET_FILE:mgpack>
            $<TARGET_FILE:foundation_runner> ${MG_SOURCE_DIR} ${MG_HOST_BUILD} $<TARGET_FILE:branding_probe>)
  set_tests_properties(e2e.ship.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED "wineprefix;jvmhome" ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
