# The end-to-end runs use the stripped launchers that ship (e2e.cmake); they
# and mgpack.exe declare their own architecture in their manifests.
set(MG_SHIPPED_OTHERS)
if(TARGET mgpack)
  set(MG_SHIPPED_OTHERS -- $<TARGET_FILE:mgpack>)
endif()
add_test(NAME e2e.shipped
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/shipped.sh ${CMAKE_OBJDUMP} ${MG_LAUNCHER} ${MG_LAUNCHER_CONSOLE}
          ${MG_SHIPPED_OTHERS})
set_tests_properties(e2e.shipped PROPERTIES LABELS "wine;e2e" TIMEOUT 60)
