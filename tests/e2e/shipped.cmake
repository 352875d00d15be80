# The end-to-end runs use the stripped launchers that ship (e2e.cmake).
add_test(NAME e2e.shipped
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/shipped.sh ${CMAKE_OBJDUMP} ${MG_LAUNCHER} ${MG_LAUNCHER_CONSOLE})
set_tests_properties(e2e.shipped PROPERTIES LABELS "wine;e2e" TIMEOUT 60)
