# mg_native_test(name sources... LIBS libs...): a GoogleTest binary of the host build.
function(mg_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  add_test(NAME native.${name} COMMAND ${name})
  set_tests_properties(native.${name} PROPERTIES LABELS native TIMEOUT 300)
endfunction()

# mg_wine_test(name sources... LIBS libs...): a GoogleTest binary of the Windows
# build, run under Wine in the build tree's own prefix.
# The shipped build has no GoogleTest: there the binary is only declared (so
# the folders' settings for it hold), never built or run.
function(mg_wine_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(MG_SHIPPED_BUILD)
    add_executable(${name} EXCLUDE_FROM_ALL ${T_SOURCES})
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gmock)
  add_test(NAME wine.${name} COMMAND ${name})
  set_tests_properties(wine.${name} PROPERTIES LABELS wine TIMEOUT 600
    FIXTURES_REQUIRED wineprefix
    ENVIRONMENT "WINEPREFIX=${MG_WINEPREFIX}")
  mg_scale_timeouts()
endfunction()

# A build whose tests run in the emulated machine, where every program runs
# some twenty times slower than on the host, gives its tests that many times
# their time limits (MG_TEST_TIMEOUT_FACTOR, 1 elsewhere).
# mg_scale_timeouts(): scales the limits of the current folder's tests, once.
set(MG_TEST_TIMEOUT_FACTOR 1 CACHE STRING "Factor on every test's time limit")
function(mg_scale_timeouts)
  if(MG_TEST_TIMEOUT_FACTOR EQUAL 1)
    return()
  endif()
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test ${tests})
    get_test_property(${test} TIMEOUT limit)
    get_test_property(${test} MG_TIMEOUT_SCALED scaled)
    if(limit AND NOT scaled)
      math(EXPR limit "${limit} * ${MG_TEST_TIMEOUT_FACTOR}")
      set_tests_properties(${test} PROPERTIES TIMEOUT ${limit} MG_TIMEOUT_SCALED ON)
    endif()
  endforeach()
endfunction()

# mg_flavour_manifest(SOURCE OUTPUT): the application manifest SOURCE, which
# declares the 32-bit launcher's processorArchitecture="x86" (the file vendors
# start from), written to OUTPUT with the architecture of the flavour being
# built: x86 or amd64.
function(mg_flavour_manifest source output)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(arch amd64)
  else()
    set(arch x86)
  endif()
  set(declared "processorArchitecture=\"x86\"")
  file(READ ${source} text)
  string(FIND "${text}" "${declared}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${source} declares no ${declared}")
  endif()
  string(REPLACE "${declared}" "processorArchitecture=\"${arch}\"" text "${text}")
  # CONFIGURE rewrites the file only when it changes; the manifest holds no @.
  file(CONFIGURE OUTPUT ${output} CONTENT "${text}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
