# The launcher executable. The driver's developer lists further launcher
# sources in MG_LAUNCHER_EXTRA_SOURCES (launcher/driver.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/driver.cmake OPTIONAL)

set(MG_LAUNCHER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/main_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_launcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmdline_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/runtime_trims.cpp)

set(MG_LAUNCHER_LIBS mg_ui mg_text mg_base mg_resources comctl32 shell32 ole32)

add_executable(mglauncher WIN32 ${MG_LAUNCHER_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
  ${MG_LAUNCHER_EXTRA_SOURCES})
set_target_properties(mglauncher PROPERTIES OUTPUT_NAME mglauncher)
target_link_options(mglauncher PRIVATE -mwindows -static)
target_link_libraries(mglauncher PRIVATE ${MG_LAUNCHER_LIBS})

# The same launcher for the console subsystem, for command-line programs: it
# differs only in its front (launcher/front.h), selected at start-up.
add_executable(mglauncher-console ${MG_LAUNCHER_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
  ${MG_LAUNCHER_EXTRA_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/console_front_win.cpp)
target_compile_definitions(mglauncher-console PRIVATE MG_CONSOLE_LAUNCHER)
target_link_options(mglauncher-console PRIVATE -mconsole -static)
target_link_libraries(mglauncher-console PRIVATE ${MG_LAUNCHER_LIBS})

# launcher/ is configured before the layers above it exist: link those once
# the whole tree is known. The archives refer to each other in both
# directions (the driver calls the layers, the layers call the progress
# window), hence the group.
function(mg_link_launcher_layers)
  set(layers)
  foreach(lib mg_launch mg_jvm mg_instructions mg_payload)
    if(TARGET ${lib})
      list(APPEND layers ${lib})
    endif()
  endforeach()
  foreach(target mglauncher mglauncher-console)
    target_link_libraries(${target} PRIVATE -Wl,--start-group ${layers} mg_ui mg_text mg_base -Wl,--end-group)
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${MG_SOURCE_DIR} CALL mg_link_launcher_layers)

# Stripped copies, the size that ships.
foreach(target mglauncher mglauncher-console)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND i686-w64-mingw32-strip -o $<TARGET_FILE_DIR:${target}>/${target}-stripped.exe $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE_DIR:${target}>/${target}-stripped.exe
            -P ${CMAKE_CURRENT_LIST_DIR}/print_size.cmake
    VERBATIM)
endforeach()
