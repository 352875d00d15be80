// Starts a console program on this console, with a pipe as its standard
// input that is never written (so a program that reads waits), waits until a
// process named java.exe runs and a little longer, then sends Ctrl+C to every
// process of the console, itself excepted, and reports how the program ended.
//
//   console_ctrl_c "COMMAND LINE"
//
// Prints "exit code: <n>" and exits 0; exits 1 when no java.exe appeared or
// the program did not end within a minute (it is then stopped).
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

BOOL WINAPI ignore(DWORD) { return TRUE; }

bool javaRuns() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32First(snapshot, &entry); more && !found; more = ::Process32Next(snapshot, &entry))
        found = _stricmp(entry.szExeFile, "java.exe") == 0;
    ::CloseHandle(snapshot);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: console_ctrl_c \"COMMAND LINE\"\n");
        return 2;
    }
    // A handler, not SetConsoleCtrlHandler(NULL, TRUE): that would be
    // inherited and keep Ctrl+C from the program too.
    ::SetConsoleCtrlHandler(ignore, TRUE);

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE inputRead = nullptr, inputWrite = nullptr;
    if (!::CreatePipe(&inputRead, &inputWrite, &inherit, 0)) return 1;
    ::SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead;
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info;
    std::string command = argv[1];
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        std::printf("cannot start: error %lu\n", ::GetLastError());
        return 1;
    }
    ::CloseHandle(inputRead);

    bool started = false;
    for (int i = 0; i < 600 && !started; ++i) {
        started = javaRuns();
        if (!started && ::WaitForSingleObject(info.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    if (!started) {
        std::printf("no java.exe appeared\n");
        ::TerminateProcess(info.hProcess, 1);
        return 1;
    }
    ::Sleep(2000);  // the JVM is then reading its input
    if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
        std::printf("GenerateConsoleCtrlEvent failed: error %lu\n", ::GetLastError());
        ::TerminateProcess(info.hProcess, 1);
        return 1;
    }
    if (::WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0) {
        std::printf("the program did not end after Ctrl+C\n");
        ::TerminateProcess(info.hProcess, 1);
        return 1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    std::printf("exit code: %lu\n", code);
    ::CloseHandle(inputWrite);
    return 0;
}
