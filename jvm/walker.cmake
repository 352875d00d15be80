# The directory walker (Windows: it lists directories with the system).
if(WIN32)
  target_sources(mg_jvm PRIVATE ${CMAKE_CURRENT_LIST_DIR}/walker.cpp)
  target_link_libraries(mg_jvm PUBLIC mg_ui)
  mg_wine_test(walker_tests_win SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/walker_tests.cpp
               LIBS mg_jvm mg_ui mg_resources)
endif()
