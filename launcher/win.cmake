# The launcher executable. The driver's developer lists further launcher
# sources in MG_LAUNCHER_EXTRA_SOURCES (launcher/driver.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/driver.cmake OPTIONAL)

set(MG_LAUNCHER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/main_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_launcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmdline_win.cpp)

# The layers above ui/text/base that other developers provide.
set(MG_LAUNCHER_LIBS)
foreach(lib mg_launch mg_jvm mg_instructions mg_payload)
  if(TARGET ${lib})
    list(APPEND MG_LAUNCHER_LIBS ${lib})
  endif()
endforeach()
list(APPEND MG_LAUNCHER_LIBS mg_ui mg_text mg_base mg_resources comctl32 shell32 ole32)

# temp_stub.cpp stands in for the clean-up pass until the temporary-item
# register replaces it.
set(MG_LAUNCHER_DRIVER ${CMAKE_CURRENT_LIST_DIR}/driver.cpp)
if(EXISTS ${MG_SOURCE_DIR}/payload/temp_stub.cpp)
  list(APPEND MG_LAUNCHER_DRIVER ${MG_SOURCE_DIR}/payload/temp_stub.cpp)
endif()

add_executable(mglauncher WIN32 ${MG_LAUNCHER_SOURCES} ${MG_LAUNCHER_DRIVER} ${MG_LAUNCHER_EXTRA_SOURCES})
set_target_properties(mglauncher PROPERTIES OUTPUT_NAME mglauncher)
target_link_options(mglauncher PRIVATE -mwindows -static)
# Libraries are static archives that refer to each other in both directions
# (the driver calls the layers, the layers call the progress window).
target_link_libraries(mglauncher PRIVATE -Wl,--start-group ${MG_LAUNCHER_LIBS} -Wl,--end-group)

# A stripped copy, the size that ships.
add_custom_command(TARGET mglauncher POST_BUILD
  COMMAND i686-w64-mingw32-strip -o $<TARGET_FILE_DIR:mglauncher>/mglauncher-stripped.exe $<TARGET_FILE:mglauncher>
  COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE_DIR:mglauncher>/mglauncher-stripped.exe
          -P ${CMAKE_CURRENT_LIST_DIR}/print_size.cmake
  VERBATIM)
