# Cross build of a 64-bit flavour of the launcher and its tests with
# mingw-w64, the test build for machines whose Wine runs only 64-bit programs.
# The -posix compilers, because GoogleTest needs std::mutex, which the
# win32-thread ones lack; the shipped launchers are built by those
# (cmake/mingw-*-shipped.cmake).
set(MG_MINGW_ARCH x86_64)
set(MG_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
