// The one way to report a failed system call, used by every layer: the
// call's name, " failed  ==>  " and the system's text for the error.
#pragma once

#include "base/string.h"

namespace mg {

// The system's text for an error code (usually ending in CR LF); empty when
// the system has none. On the host, the C library's text for an errno value.
String systemErrorText(unsigned long code);

// "<call> failed  ==>  " followed by the system's text for the error.
String systemErrorMessage(const char* call, unsigned long error);

// Throws LauncherException with systemErrorMessage(call, last error). Read
// the last error at once after the failed call: anything in between may
// change it.
[[noreturn]] void throwSystemError(const char* call);
[[noreturn]] void throwSystemError(const char* call, unsigned long error);

}  // namespace mg
