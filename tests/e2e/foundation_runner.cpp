// Starts a program with an exact command line, answers its message boxes and
// reports what it saw, so end-to-end runs never hang on a dialog.
//
//   foundation_runner EXE raw TEXT    command line: "EXE" TEXT
//   foundation_runner EXE empty       an empty command line
//   foundation_runner EXE huge N      "EXE" -mg:silent and N bytes of arguments
//
// Prints one "message: <text>" line per message box (closed with OK; a Yes
// and No box answered No, or Yes when MG_RUNNER_ANSWER is "yes"), then
// "exit code: <n>", and exits with the program's exit code (99: it did not
// end within two minutes, times MG_TIME_FACTOR where that is set, and was
// stopped). The boxes are those captioned "Message", or MG_MESSAGE_CAPTION
// where set (a branded launcher's product name). With MG_RUNNER_HOLD naming
// a file, each box stays up until that file exists (for a screenshot), which
// is then removed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Search {
    DWORD processId;
    HWND found;
    const char* caption;
};

BOOL CALLBACK findMessageBox(HWND window, LPARAM parameter) {
    Search* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char className[64] = "";
    char title[64] = "";
    ::GetClassNameA(window, className, sizeof className);
    ::GetWindowTextA(window, title, sizeof title);
    if (owner == search->processId && ::IsWindowVisible(window) && std::strcmp(className, "#32770") == 0 &&
        std::strcmp(title, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collectStaticText(HWND child, LPARAM parameter) {
    std::string* text = reinterpret_cast<std::string*>(parameter);
    char className[64] = "";
    ::GetClassNameA(child, className, sizeof className);
    if (_stricmp(className, "Static") == 0) {
        char buffer[4096] = "";
        ::GetWindowTextA(child, buffer, sizeof buffer);
        if (buffer[0]) *text += buffer;
    }
    return TRUE;
}

void printOneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        line += c == '\n' ? '|' : c;
    }
    std::printf("message: %s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: foundation_runner EXE raw TEXT | EXE empty | EXE huge N\n");
        return 2;
    }
    std::string exe = argv[1];
    std::string mode = argv[2];
    std::string commandLine;
    if (mode == "raw" && argc == 4) {
        commandLine = "\"" + exe + "\" " + argv[3];
    } else if (mode == "empty") {
        commandLine.clear();
    } else if (mode == "huge" && argc == 4) {
        std::size_t size = std::strtoul(argv[3], nullptr, 10);
        commandLine = "\"" + exe + "\" -mg:silent";
        while (commandLine.size() < size) commandLine += " \"argument with a space\" x\\\"y";
    } else {
        std::fprintf(stderr, "foundation_runner: unknown mode %s\n", mode.c_str());
        return 2;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string writable = commandLine;
    writable.push_back('\0');
    if (!::CreateProcessA(exe.c_str(), &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        std::fprintf(stderr, "foundation_runner: CreateProcess failed (%lu)\n", ::GetLastError());
        return 2;
    }
    ::CloseHandle(process.hThread);

    // Emulated machines run everything many times slower (MG_TIME_FACTOR).
    DWORD limit = 120000;
    if (const char* factor = std::getenv("MG_TIME_FACTOR")) limit *= std::max(1ul, std::strtoul(factor, nullptr, 10));
    char caption[64] = "Message";
    DWORD length = ::GetEnvironmentVariableA("MG_MESSAGE_CAPTION", caption, sizeof caption);
    if (length == 0 || length >= sizeof caption) std::strcpy(caption, "Message");
    char answerText[8] = "";
    const bool answerYes = ::GetEnvironmentVariableA("MG_RUNNER_ANSWER", answerText, sizeof answerText) > 0 &&
                           std::strcmp(answerText, "yes") == 0;
    char hold[MAX_PATH] = "";
    ::GetEnvironmentVariableA("MG_RUNNER_HOLD", hold, sizeof hold);
    DWORD start = ::GetTickCount();
    for (;;) {
        if (::WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
        Search search = {process.dwProcessId, nullptr, caption};
        ::EnumWindows(findMessageBox, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            std::string text;
            ::EnumChildWindows(search.found, collectStaticText, reinterpret_cast<LPARAM>(&text));
            printOneLine(text);
            if (hold[0]) {
                while (::GetFileAttributesA(hold) == INVALID_FILE_ATTRIBUTES && ::GetTickCount() - start < 100000)
                    ::Sleep(100);
                ::DeleteFileA(hold);
            }
            // A Yes and No box is answered No unless told otherwise.
            const bool yesNo = ::GetDlgItem(search.found, IDNO) != nullptr;
            ::PostMessageA(search.found, WM_COMMAND, !yesNo ? IDOK : answerYes ? IDYES : IDNO, 0);
            // Wait for it to go before looking again, so it is reported once.
            while (::IsWindow(search.found) && ::IsWindowVisible(search.found) &&
                   ::WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
            }
        }
        if (::GetTickCount() - start > limit) {
            ::TerminateProcess(process.hProcess, 99);
            std::printf("timeout\n");
            break;
        }
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    std::printf("exit code: %lu\n", code);
    return static_cast<int>(code);
}
