# Removal of temporary items and the launcher's self-removal. The batch-file
# text and the WinInit.Ini insertion are portable and tested natively.
target_sources(mg_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/cleanup_rules.cpp ${CMAKE_CURRENT_LIST_DIR}/wininit.cpp)

if(MG_HOST)
  mg_native_test(cleanup_rules_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/cleanup_rules_tests.cpp LIBS mg_ui)
endif()

if(WIN32)
  target_sources(mg_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/cleanup.cpp ${CMAKE_CURRENT_LIST_DIR}/wininit_win.cpp)
  # The tree removal is a directory walker; removeSelf makes a temporary file.
  # Static libraries may depend on each other in a cycle.
  target_link_libraries(mg_ui PUBLIC mg_payload mg_jvm)

  # Holds a file open without sharing, for the locked-file case.
  add_executable(temp_holdfile ${MG_SOURCE_DIR}/tests/helpers/temp_holdfile.cpp)
  mg_wine_test(cleanup_tests_win SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/cleanup_tests.cpp
               LIBS mg_ui mg_payload mg_jvm mg_resources)
  target_compile_definitions(cleanup_tests_win PRIVATE MG_HOLDFILE_EXE="$<TARGET_FILE:temp_holdfile>")
  add_dependencies(cleanup_tests_win temp_holdfile)
endif()
