# The chosen part of the 32-bit Wine and end-to-end suites, run against the
# shipped 32-bit launchers in the emulated machine on every test run. One
# machine run (i686.machine) runs them all; each case then reports here under
# its own name, i686.<case>, from that run's results.
#
# The choice covers every area once: the shipped files as they ship, the
# start-up paths (the NT and 9x command-line splitters, the 9x family and
# NT's Windows 98 compatibility mode), an error shown to the user and the
# no-JVM message, the console launcher, the guide's find and install paths,
# signing and branding, the search in both registry views, clean-up with
# self-removal, one hostile launcher, robustness in named folders, and one
# instance. The whole suite: scripts/test-i686.sh.
set(MG_I686_CHOSEN
  e2e.shipped
  e2e.foundation.split-nt
  e2e.foundation.real-9x
  e2e.foundation.compat-98
  e2e.foundation.exit-reported-error
  e2e.tell.no-jvm
  e2e.console.pipe
  e2e.guide.find
  e2e.guide.install
  e2e.ship.signed
  e2e.ship.branding
  e2e.search.views
  e2e.temp.self-nt
  e2e.hostile.traversal
  e2e.robust.folders
  e2e.instance.same-instant
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
