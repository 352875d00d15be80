# Cross build of the shipped launchers (mglauncher.exe, mglauncher-console.exe)
# for 32-bit Windows, the files users get.
# The win32-thread compilers link no winpthread, and ld.lld links the
# launchers (cmake/lld-link.sh); the launcher's code uses no std::mutex or
# std::thread (base/lock.h). GoogleTest does not build with these compilers,
# so this build has no tests: the test build (cmake/mingw-i686.cmake) runs its
# end-to-end tests against the launchers built here.
set(MG_MINGW_ARCH i686)
set(MG_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(MG_SHIPPED_BUILD ON)
