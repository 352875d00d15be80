#include "base/lock.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace mg {

#ifdef _WIN32

static_assert(sizeof(CRITICAL_SECTION) <= 4 * sizeof(void*) + 8, "Lock::section_ holds a CRITICAL_SECTION");

namespace {
CRITICAL_SECTION* section(unsigned char* bytes) { return reinterpret_cast<CRITICAL_SECTION*>(bytes); }
}  // namespace

Lock::Lock() { InitializeCriticalSection(section(section_)); }
Lock::~Lock() { DeleteCriticalSection(section(section_)); }
void Lock::lock() { EnterCriticalSection(section(section_)); }
void Lock::unlock() { LeaveCriticalSection(section(section_)); }

#else

void Lock::lock() { mutex_.lock(); }
void Lock::unlock() { mutex_.unlock(); }

#endif

}  // namespace mg
