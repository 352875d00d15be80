# The JVM search and its operations: native tests of the search logic with a
# fake system; on Windows the registry, drives and walk (tested end to end
# in tests/e2e/search.cmake).
if(MG_HOST)
  mg_native_test(search_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/search_tests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/operations_tests.cpp LIBS mg_search)
endif()
if(WIN32)
  target_sources(mg_search PRIVATE ${CMAKE_CURRENT_LIST_DIR}/search_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/operations_win.cpp)
endif()
