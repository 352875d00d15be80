// Replacements for a few pieces of the static C++ runtime, linked only into
// mglauncher.exe to keep it small (164 KB less once stripped: 446 KB
// instead of 615 KB, measured with GCC 12 and GNU ld for i686).
//
// The runtime's default terminate handler prints the demangled type of an
// escaped exception; demangling drags in the demangler and the MinGW printf
// family. The launcher is a GUI program with no console to print to, and
// runLauncher catches everything, so terminate only ever has to end the
// process.
//
// The library reports length, range and allocation faults through the
// __throw_* functions. Their own definitions build std::logic_error and
// friends on the reference-counted string, which brings a second complete
// string implementation. Here they raise the launcher's own exception types,
// which runLauncher reports exactly as it reports String's.
#include <cstdlib>
#include <new>
#include <string>

#include "base/string.h"

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
void __throw_length_error(const char*) { throw mg::LengthException(); }
void __throw_logic_error(const char*) { throw mg::RangeException(); }
void __throw_out_of_range(const char*) { throw mg::RangeException(); }
void __throw_out_of_range_fmt(const char*, ...) { throw mg::RangeException(); }
void __throw_invalid_argument(const char*) { throw mg::RangeException(); }
// Only a mutex raises this, and only when the system refuses a lock.
void __throw_system_error(int) { throw mg::LauncherException("A lock could not be taken."); }
}  // namespace std

// The library's headers declare std::string and std::wstring as instantiated
// in the library (extern template), so every member the launcher calls comes
// from one object file of the static runtime that holds all of them, about
// 70 KB of code and unwind tables. Instantiated here instead, each member
// gets a section of its own (-ffunction-sections), and the linker keeps only
// those the launcher uses.
template class std::basic_string<char>;
template class std::basic_string<wchar_t>;
