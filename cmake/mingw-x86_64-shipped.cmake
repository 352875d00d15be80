# Cross build of the shipped launchers (mglauncher.exe, mglauncher-console.exe)
# in their 64-bit flavour, which the tests run where Wine runs only 64-bit
# programs.
# The win32-thread compilers link no winpthread, and ld.lld links the
# launchers (cmake/lld-link.sh); the launcher's code uses no std::mutex or
# std::thread (base/lock.h). GoogleTest does not build with these compilers,
# so this build has no tests: the test build (cmake/mingw-x86_64.cmake) runs its
# end-to-end tests against the launchers built here.
set(MG_MINGW_ARCH x86_64)
set(MG_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(MG_SHIPPED_BUILD ON)
