// Test and benchmark helper: starts a program, waits for it to end, and
// reports its exit code, its wall time and its peak memory. Under Wine a GUI
// program started straight from the shell is not waited for, so runs whose
// results are checked go through this.
//   temp_run PROGRAM [ARGUMENT...]
// Prints "exit code: N", "seconds: S" and "peak working set KB: K".
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

static std::string quoted(const char* arg) {
    std::string a(arg);
    if (!a.empty() && a.find_first_of(" \t\"") == std::string::npos) return a;
    return "\"" + a + "\"";
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: temp_run PROGRAM [ARGUMENT...]\n");
        return 1;
    }
    std::string command;
    for (int i = 1; i < argc; ++i) command += (i > 1 ? " " : "") + quoted(argv[i]);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", command.c_str(), GetLastError());
        return 1;
    }
    // Sample the peak while the program runs: an ended process may no longer
    // report its counters.
    SIZE_T peak = 0;
    PROCESS_MEMORY_COUNTERS counters;
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters) && counters.PeakWorkingSetSize > peak)
            peak = counters.PeakWorkingSetSize;
    }
    QueryPerformanceCounter(&end);
    if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters) && counters.PeakWorkingSetSize > peak)
        peak = counters.PeakWorkingSetSize;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit code: %lu\nseconds: %.3f\npeak working set KB: %lu\n", code,
                double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart), (unsigned long)(peak / 1024));
    return 0;
}
