# The program behind docs/progress-window.png (make-screenshot.sh); included
# from ui/CMakeLists.txt.
if(WIN32)
  add_executable(progress_demo WIN32 ${CMAKE_CURRENT_LIST_DIR}/progress_demo.cpp)
  target_link_options(progress_demo PRIVATE -mwindows -static)
  target_link_libraries(progress_demo PRIVATE mg_ui mg_text mg_base mg_resources comctl32)
endif()
