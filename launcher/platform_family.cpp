#include "launcher/platform_family.h"

namespace mg {

namespace {
const unsigned long WIN32_WINDOWS_PLATFORM = 1;
}

bool isWindows9xFamily(const PlatformReport& kernel, const PlatformReport& win32) {
    const PlatformReport& decisive = kernel.answered ? kernel : win32;
    return decisive.answered && decisive.platformId == WIN32_WINDOWS_PLATFORM;
}

}  // namespace mg
