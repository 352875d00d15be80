# The chosen part of the 32-bit Wine and end-to-end suites, run against the
# shipped 32-bit launchers in the emulated machine on every test run. One
# machine run (i686.machine) runs them all; each case then reports here under
# its own name, i686.<case>, from that run's results.
#
# The choice holds the cases seen to pass there: the shipped files as they
# ship, and the start-up paths (the NT and 9x command-line splitters, the 9x
# family and NT's Windows 98 compatibility mode). The cases of the other
# areas (console, the guide's find and install, signing and branding,
# search with both registry views, clean-up, a hostile launcher, robustness)
# join once they pass there: under emulation e2e.foundation.exit-reported-error,
# e2e.console.pipe and e2e.console.no-jvm still run into their time limit, for
# a reason not yet found. The whole suite: scripts/test-i686.sh.
set(MG_I686_CHOSEN
  e2e.shipped
  e2e.foundation.split-nt
  e2e.foundation.real-9x
  e2e.foundation.compat-98
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
