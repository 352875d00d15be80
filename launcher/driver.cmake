# The driver and its actions, linked into mglauncher.exe (launcher/win.cmake
# includes this file).
set(MG_LAUNCHER_EXTRA_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/actions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/actions_live.cpp)

# launcher/ is configured before the layers above it exist, so the libraries
# the driver needs are linked once the whole tree is known.
function(mg_link_driver_layers)
  set(libs)
  foreach(lib mg_launch mg_child_process mg_search mg_verify mg_jvm mg_expander mg_instructions mg_payload mg_ui mg_text mg_base)
    if(TARGET ${lib})
      list(APPEND libs ${lib})
    endif()
  endforeach()
  foreach(launcher mglauncher mglauncher-console)
    target_link_libraries(${launcher} PRIVATE -Wl,--start-group ${libs} -Wl,--end-group)
    if(TARGET mg_instructions)
      target_compile_definitions(${launcher} PRIVATE MG_HAVE_INSTRUCTIONS)
    endif()
    if(TARGET mg_child_process)
      target_compile_definitions(${launcher} PRIVATE MG_HAVE_CHILD_PROCESS)
    endif()
    # The system sides of the launch operations and the JVM search, once their
    # layers build them.
    mg_driver_layer_has(${launcher} mg_launch "launch_ops_win\\.cpp$" MG_HAVE_LAUNCH_OPS)
    mg_driver_layer_has(${launcher} mg_search "search_win\\.cpp$" MG_HAVE_JVM_SEARCH)
  endforeach()
endfunction()

function(mg_driver_layer_has launcher target pattern definition)
  if(NOT TARGET ${target})
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "${pattern}")
  if(sources)
    target_compile_definitions(${launcher} PRIVATE ${definition})
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${MG_SOURCE_DIR} CALL mg_link_driver_layers)
