# The chosen part of the 32-bit Wine and end-to-end suites, run against the
# shipped 32-bit launchers in the emulated machine on every test run. One
# machine run (i686.machine) runs them all; each case then reports here under
# its own name, i686.<case>, from that run's results.
#
# The choice holds the cases seen to pass there: the shipped files as they
# ship, the start-up paths (the NT and 9x command-line splitters, the 9x
# family and NT's Windows 98 compatibility mode) and an error shown to the
# user. The cases that pack with the 32-bit mgpack.exe (the console
# launcher's, the guide's, signing and branding, mgpack's own) join once it
# runs there: in the emulated machine it stops at once with a page fault,
# which the 64-bit stand-in never shows. The whole suite: scripts/test-i686.sh.
set(MG_I686_CHOSEN
  e2e.shipped
  e2e.foundation.split-nt
  e2e.foundation.real-9x
  e2e.foundation.compat-98
  e2e.foundation.exit-reported-error
)
set(results ${CMAKE_BINARY_DIR}/i686-results.xml)
list(JOIN MG_I686_CHOSEN "|" chosen)
add_test(NAME i686.machine
  COMMAND ${MG_SOURCE_DIR}/tests/i686/run-chosen.sh ${MG_I686_BUILD} ${results} "^(${chosen})$")
set_tests_properties(i686.machine PROPERTIES
  FIXTURES_SETUP i686 LABELS i686 TIMEOUT 4500 RUN_SERIAL OFF)
foreach(case ${MG_I686_CHOSEN})
  add_test(NAME i686.${case} COMMAND ${MG_SOURCE_DIR}/tests/i686/result.py ${results} ${case})
  set_tests_properties(i686.${case} PROPERTIES FIXTURES_REQUIRED i686 LABELS i686 TIMEOUT 60)
endforeach()
