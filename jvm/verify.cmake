# Verification on Windows: the launcher's file probe and verify archive, and
# the test against Debian's JVM through the java.exe bridge (test JVM homes
# on drive J:, made by the jvmhome fixture of bridge/).
if(WIN32)
  target_sources(mg_verify PRIVATE ${CMAKE_CURRENT_LIST_DIR}/verify_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/verify_cache_win.cpp)
  target_link_libraries(mg_verify PUBLIC mg_payload)
  # mg_ui (clean-up) and mg_jvm (walker) need each other through mg_payload:
  # one more round of the cycle on the link line.
  set_property(TARGET mg_jvm APPEND PROPERTY LINK_INTERFACE_MULTIPLICITY 3)
  find_program(MG_WINEGXX NAMES wineg++)
  if(MG_WINEGXX AND MG_HOST_BUILD)
    mg_wine_test(verify_jvm_tests_win
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/verify_jvm_tests.cpp
      LIBS mg_verify mg_resources comctl32)
    set_tests_properties(wine.verify_jvm_tests_win PROPERTIES FIXTURES_REQUIRED "wineprefix;jvmhome")
  endif()
endif()
