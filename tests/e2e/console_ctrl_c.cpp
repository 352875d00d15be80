// Starts a console program on this console, with a pipe as its standard
// input that is never written (so a program that reads waits), waits until
// the file LOG holds TEXT (the program says it starts what should get the
// event) and two seconds more, then sends Ctrl+C to every process of the
// console, itself excepted, and reports how the program ended.
//
//   console_ctrl_c "COMMAND LINE" LOG TEXT
//
// Prints "exit code: <n>" and exits 0; exits 1 when TEXT did not appear or
// the program did not end within a minute (it is then stopped).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

BOOL WINAPI ignore(DWORD) { return TRUE; }

bool fileHolds(const char* path, const char* text) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str().find(text) != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: console_ctrl_c \"COMMAND LINE\" LOG TEXT\n");
        return 2;
    }
    // A handler, not SetConsoleCtrlHandler(NULL, TRUE): that would be
    // inherited and keep Ctrl+C from the program too.
    ::SetConsoleCtrlHandler(ignore, TRUE);

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    // Started by a script without a terminal there may be no console to send
    // the event on; the program shares the one made here.
    ::AllocConsole();

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE inputRead = nullptr, inputWrite = nullptr;
    if (!::CreatePipe(&inputRead, &inputWrite, &inherit, 0)) return 1;
    ::SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);

    startup.hStdInput = inputRead;
    PROCESS_INFORMATION info;
    std::string command = argv[1];
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        std::printf("cannot start: error %lu\n", ::GetLastError());
        return 1;
    }
    ::CloseHandle(inputRead);

    bool started = false;
    for (int i = 0; i < 600 && !started; ++i) {
        started = fileHolds(argv[2], argv[3]);
        if (!started && ::WaitForSingleObject(info.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    if (!started) {
        std::printf("%s did not appear\n", argv[3]);
        ::TerminateProcess(info.hProcess, 1);
        return 1;
    }
    ::Sleep(2000);  // the program is then waiting for its input
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
