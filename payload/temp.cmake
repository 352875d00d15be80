# Temporary items and extraction. The register and the disk-space rule are
# portable; creating, copying and removing need the system.
target_sources(mg_payload PRIVATE ${CMAKE_CURRENT_LIST_DIR}/temp_register.cpp)

if(MG_HOST)
  mg_native_test(temp_register_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/temp_register_tests.cpp
                 LIBS mg_payload)
endif()

if(WIN32)
  target_sources(mg_payload PRIVATE ${CMAKE_CURRENT_LIST_DIR}/temp.cpp ${CMAKE_CURRENT_LIST_DIR}/extract.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/java_path.cpp)
  # Removal (ui/cleanup) and the progress bar live in mg_ui, which in turn
  # makes temporary files: static libraries may depend on each other.
  target_link_libraries(mg_payload PUBLIC mg_ui)
  mg_wine_test(temp_tests_win SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/temp_tests.cpp
               ${CMAKE_CURRENT_LIST_DIR}/tests/extract_tests.cpp LIBS mg_payload mg_ui mg_resources)
endif()
