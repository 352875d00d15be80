// The single-instance lock: a named mutex held by the launcher that runs the
// application, and a small named mapping in which it publishes the
// application's process id.
#include <windows.h>

#include "base/settings.h"
#include "base/system_error.h"
#include "system/single_instance.h"

namespace mg {

namespace {

// How long a second launch waits for the first one's window: the first may
// still be looking for a JVM when both were started at the same instant.
constexpr int WINDOW_WAIT_STEPS = 100;
constexpr DWORD WINDOW_WAIT_STEP_MS = 100;

FARPROC kernelProc(const char* name) {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    return kernel == nullptr ? nullptr : ::GetProcAddress(kernel, name);
}

// The 9x family has no namespaces, no sessions and no desktop names; NT 4
// without Terminal Services has no "Local\" either (tried below).
String objectName(const String& name, bool localNamespace) {
    char user[257] = "";
    DWORD size = sizeof user;
    if (!::GetUserNameA(user, &size)) user[0] = '\0';
    DWORD session = 0;
    using SessionCall = BOOL(WINAPI*)(DWORD, DWORD*);
    if (FARPROC proc = kernelProc("ProcessIdToSessionId"))
        reinterpret_cast<SessionCall>(reinterpret_cast<void*>(proc))(::GetCurrentProcessId(), &session);
    char desktop[128] = "";
    DWORD needed = 0;
    if (useAnsiApi || !::GetUserObjectInformationA(::GetThreadDesktop(::GetCurrentThreadId()), UOI_NAME, desktop,
                                                   sizeof desktop - 1, &needed))
        desktop[0] = '\0';
    return instanceObjectName(name, user, session, desktop, localNamespace && !useAnsiApi);
}

enum class Named { Mutex, NewMapping, Mapping };

// Creates (or opens) the named object, in the session's namespace where the
// system has one.
HANDLE named(Named kind, const String& name, const char* suffix) {
    for (int local = 1; local >= 0; --local) {
        const String object = objectName(name, local == 1) + suffix;
        HANDLE handle = kind == Named::Mutex ? ::CreateMutexA(nullptr, FALSE, object.c_str())
                        : kind == Named::NewMapping
                            ? ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                                   object.c_str())
                            : ::OpenFileMappingA(FILE_MAP_READ, FALSE, object.c_str());
        if (handle != nullptr || useAnsiApi || ::GetLastError() != ERROR_PATH_NOT_FOUND) return handle;
    }
    return nullptr;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) != nullptr)
        return TRUE;
    search->found = window;
    return FALSE;
}

DWORD publishedProcessId(const String& name) {
    Handle mapping(named(Named::Mapping, name, "-pid"));
    if (!mapping) return 0;
    MappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, sizeof(DWORD)));
    return view ? *static_cast<const volatile DWORD*>(view.get()) : 0;
}

}  // namespace

InstanceLock::~InstanceLock() {
    if (mutex_) ::ReleaseMutex(mutex_.get());
}

bool InstanceLock::take(const String& name) {
    mutex_.reset(named(Named::Mutex, name, ""));
    if (!mutex_) throwSystemError("CreateMutex");
    // An abandoned mutex was held by a launcher that died: it is free.
    const DWORD wait = ::WaitForSingleObject(mutex_.get(), 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        mutex_.reset();
        return false;
    }
    mapping_.reset(named(Named::NewMapping, name, "-pid"));
    if (!mapping_) throwSystemError("CreateFileMapping");
    started(0);
    return true;
}

void InstanceLock::started(unsigned long processId) {
    if (!mapping_) return;
    MappedView view(::MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
    if (view) *static_cast<volatile DWORD*>(view.get()) = processId;
}

bool showRunningInstance(const String& name) {
    for (int step = 0; step < WINDOW_WAIT_STEPS; ++step) {
        if (step > 0) ::Sleep(WINDOW_WAIT_STEP_MS);
        WindowSearch search{publishedProcessId(name), nullptr};
        if (search.processId == 0) continue;
        ::EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) continue;
        if (::IsIconic(search.found)) ::ShowWindow(search.found, SW_RESTORE);
        ::SetForegroundWindow(search.found);
        return true;
    }
    return false;
}

}  // namespace mg
