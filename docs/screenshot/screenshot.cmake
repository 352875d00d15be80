# The programs behind the pictures in docs/: progress_demo for
# progress-window.png (make-screenshot.sh) and search_java, the slow java.exe
# of progress-search.png (make-search-screenshot.sh); included from
# ui/CMakeLists.txt.
if(WIN32)
  add_executable(progress_demo WIN32 ${CMAKE_CURRENT_LIST_DIR}/progress_demo.cpp)
  target_link_options(progress_demo PRIVATE -mwindows -static)
  target_link_libraries(progress_demo PRIVATE mg_ui mg_text mg_base mg_resources comctl32)
  add_executable(search_java ${CMAKE_CURRENT_LIST_DIR}/search_java.cpp)
  target_link_options(search_java PRIVATE -static)
endif()
