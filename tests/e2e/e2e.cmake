# End-to-end runs of the real executable under Wine. Each developer keeps
# their runs in their own tests/e2e/<name>.cmake; every one is included.
file(GLOB MG_E2E_FILES ${CMAKE_CURRENT_LIST_DIR}/*.cmake)
list(SORT MG_E2E_FILES)
foreach(f ${MG_E2E_FILES})
  if(NOT f STREQUAL CMAKE_CURRENT_LIST_FILE)
    include(${f})
  endif()
endforeach()
