// A DLL planted beside a program: when any process loads it, it appends the
// loading program's path to the file named by MG_PLANTED_MARKER. Copied under
// the names of DLLs a program might load after its start.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char marker[MAX_PATH];
    DWORD n = ::GetEnvironmentVariableA("MG_PLANTED_MARKER", marker, sizeof marker);
    if (n == 0 || n >= sizeof marker) return TRUE;
    char program[MAX_PATH] = "";
    DWORD length = ::GetModuleFileNameA(nullptr, program, sizeof program);
    HANDLE file = ::CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, program, length, &written, nullptr);
        ::WriteFile(file, "\r\n", 2, &written, nullptr);
        ::CloseHandle(file);
    }
    // Refuse to stay loaded: a planted DLL must never stand in for the real one.
    return FALSE;
}
