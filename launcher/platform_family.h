// Which Windows family the launcher runs on: it picks the character set of
// the window calls, the command-line splitter and the way of self-removal.
#pragma once

namespace mg {

// What one version query said: whether it answered, and the platform id it
// gave (1 is the 9x family, 2 the NT family).
struct PlatformReport {
    bool answered = false;
    unsigned long platformId = 0;
};

// The family from two reports. The kernel's (ntdll's RtlGetVersion) decides
// where it answers: NT's 95/98/Me compatibility modes shim GetVersionExA to
// report the 9x family, but not the kernel's own query, and the 9x ways
// (WinInit.Ini, the ANSI splitter) are wrong on NT. The 9x family has no
// RtlGetVersion (nor has NT 4, which has no compatibility modes): there
// GetVersionExA tells. Neither answering means NT.
bool isWindows9xFamily(const PlatformReport& kernel, const PlatformReport& win32);

// Both queries of the running system. Windows only.
PlatformReport kernelPlatform();
PlatformReport win32Platform();

}  // namespace mg
