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

# Every run uses the launchers as they ship, stripped: those of the shipped
# build (MG_SHIPPED_DIR, which the top build passes in), or else the stripped
# copies of this build's own launcher targets.
if(MG_SHIPPED_DIR)
  set(MG_LAUNCHER ${MG_SHIPPED_DIR}/mglauncher.exe)
  set(MG_LAUNCHER_CONSOLE ${MG_SHIPPED_DIR}/mglauncher-console.exe)
else()
  set(MG_LAUNCHER $<TARGET_FILE_DIR:mglauncher>/mglauncher.exe)
  set(MG_LAUNCHER_CONSOLE $<TARGET_FILE_DIR:mglauncher-console>/mglauncher-console.exe)
endif()

file(GLOB MG_E2E_FILES ${CMAKE_CURRENT_LIST_DIR}/*.cmake)
list(SORT MG_E2E_FILES)
foreach(f ${MG_E2E_FILES})
  if(NOT f STREQUAL CMAKE_CURRENT_LIST_FILE)
    include(${f})
  endif()
endforeach()
