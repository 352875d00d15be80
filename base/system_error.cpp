#include "base/system_error.h"

#ifdef _WIN32
#include <windows.h>

#include "base/handles.h"
#else
#include <cerrno>
#include <cstring>
#endif

namespace mg {

#ifdef _WIN32
String systemErrorText(unsigned long code) {
    char* allocated = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&allocated), 0, nullptr);
    LocalMemory owner(allocated);
    if (length == 0 || allocated == nullptr) return String();
    return String(allocated);
}

void throwSystemError(const char* call) { throwSystemError(call, ::GetLastError()); }
#else
String systemErrorText(unsigned long code) {
    return String(std::strerror(static_cast<int>(code))) + "\r\n";
}

void throwSystemError(const char* call) { throwSystemError(call, static_cast<unsigned long>(errno)); }
#endif

String systemErrorMessage(const char* call, unsigned long error) {
    return String(call) + " failed  ==>  " + systemErrorText(error);
}

void throwSystemError(const char* call, unsigned long error) {
    throw LauncherException(systemErrorMessage(call, error));
}

}  // namespace mg
