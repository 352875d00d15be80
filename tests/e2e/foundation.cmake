# End-to-end runs of the start-up code: the real mglauncher.exe, and a probe
# build of the same WinMain whose driver records what it was handed.
if(NOT TARGET mglauncher)
  return()
endif()

add_executable(foundation_runner ${CMAKE_CURRENT_LIST_DIR}/foundation_runner.cpp)
target_link_options(foundation_runner PRIVATE -static)

add_executable(foundation_probe WIN32
  ${MG_SOURCE_DIR}/launcher/main_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/foundation_probe.cpp)
target_link_options(foundation_probe PRIVATE -mwindows -static)
# The real clean-up pass and whatever the progress window's library needs.
target_link_libraries(foundation_probe PRIVATE mg_launcher mg_system mg_resources)
# The prefix gives programs named mglauncher9x.exe the Windows 9x family.
add_custom_command(TARGET foundation_probe POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/probe9x
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:foundation_probe> ${CMAKE_CURRENT_BINARY_DIR}/probe9x/mglauncher9x.exe
  VERBATIM)
# The shipped launcher under that name, copied again on every build: it may
# come from another build tree (MG_SHIPPED_DIR).
add_custom_target(foundation_launcher9x ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/launcher9x
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${MG_LAUNCHER} ${CMAKE_CURRENT_BINARY_DIR}/launcher9x/mglauncher9x.exe
  VERBATIM)
if(NOT MG_SHIPPED_DIR)
  add_dependencies(foundation_launcher9x mglauncher)
endif()

foreach(case exit-no-payload exit-reported-error trace trace-unwritable trace-empty empty-command-line
             huge-command-line split-9x split-nt compat-98 real-9x)
  add_test(NAME e2e.foundation.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/foundation.sh ${case}
            ${MG_LAUNCHER} $<TARGET_FILE:foundation_runner> $<TARGET_FILE:foundation_probe>
            ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(e2e.foundation.${case} PROPERTIES LABELS "wine;e2e" TIMEOUT 300
    FIXTURES_REQUIRED wineprefix ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
endforeach()
