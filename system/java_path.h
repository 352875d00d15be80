// Paths handed to java.exe. The launcher itself runs with the UTF-8 code
// page (its manifest), so its own file work takes any path; java.exe reads
// its command line in the system's ANSI code page, and a character that code
// page lacks reaches Java as '?'. Such paths are replaced by their short
// (8.3) names, which are plain ASCII.
#pragma once

#include "base/string.h"

namespace mg {

// The system's ANSI code page (not the process's, which may be UTF-8).
unsigned systemAnsiCodePage();

// Whether text (in the process's code page) converts to the system's ANSI
// code page and back unchanged.
bool survivesSystemCodePage(const String& text);

// path itself when it survives; else its short name when that exists and
// survives (logged); else path, with a warning in the log that Java will not
// find it. what names the path in the log ("the working directory", ...).
String javaSafePath(const String& path, const char* what);

// The system's temporary folder (with its trailing backslash) in a form Java
// can open: the long name, else the short name, else the Windows folder's
// Temp (logged as a warning).
String javaSafeTempRoot();

// The user's local application data folder (CSIDL_LOCAL_APPDATA) in a form
// Java can open: its name, else its short name; empty when the system has
// none or neither form survives the system code page.
String javaSafeLocalAppData();

}  // namespace mg
