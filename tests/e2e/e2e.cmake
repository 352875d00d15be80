# End-to-end runs of the real executable under Wine. Each developer keeps
# their runs in their own tests/e2e/<name>.cmake; every one is included.
# The runs with a real JVM need the jvmhome fixture, which exists when the
# java.exe bridge can be built (bridge/) and the host build is known.
find_program(MG_WINEGXX NAMES wineg++)
if(MG_WINEGXX AND MG_HOST_BUILD)
  set(MG_E2E_REAL_JVM ON)
else()
  set(MG_E2E_REAL_JVM OFF)
endif()

file(GLOB MG_E2E_FILES ${CMAKE_CURRENT_LIST_DIR}/*.cmake)
list(SORT MG_E2E_FILES)
foreach(f ${MG_E2E_FILES})
  if(NOT f STREQUAL CMAKE_CURRENT_LIST_FILE)
    include(${f})
  endif()
endforeach()
