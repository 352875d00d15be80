# The driver's logic on the host, against the progress-window stand-in and a
# recorder of its actions. Library names resolve once the whole tree is known.
mg_native_test(driver_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_tests.cpp ${MG_SOURCE_DIR}/launcher/actions.cpp
  LIBS mg_payload mg_instructions mg_ui mg_text mg_base)
target_compile_definitions(driver_tests PRIVATE MG_HAVE_INSTRUCTIONS
  MG_EXAMPLES_DIR="${MG_SOURCE_DIR}/docs/examples")
