// A winelib program that stands in for a Windows java.exe: Wine starts it as
// a Windows process, so it receives the pipes a Windows parent gives it, and it
// runs the Linux java with POSIX pipes, copying the child's standard output and
// error to its own Windows handles and ending with the child's exit code.
// Test and demo tooling only; see README.md.

#include <windows.h>
#include <shellapi.h>

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bridge/translate.h"

extern char** environ;

// Wine's own: the Unix file descriptor behind a Windows handle of a file or
// pipe (ntdll exports it to winelib programs).
extern "C" NTSTATUS CDECL wine_server_handle_to_fd(HANDLE handle, unsigned int access, int* unixFd,
                                                   unsigned int* options);

#ifndef MG_BRIDGE_JAVA_DEFAULT
#define MG_BRIDGE_JAVA_DEFAULT "/usr/lib/jvm/java-17-openjdk-amd64/bin/java"
#endif

namespace {

std::string toUtf8(const WCHAR* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string result(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], n, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(n - 1));
    return result;
}

std::wstring toWide(const std::string& text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 1) return std::wstring();
    std::wstring result(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &result[0], n);
    result.resize(static_cast<std::size_t>(n - 1));
    return result;
}

// Wine's answer for a path whose directories do not all exist is NULL, and
// for a drive it goes through the dosdevices link ("c:" holds a colon, which
// would split a Unix class path), so the longest existing prefix is resolved
// with realpath and the rest appended.
std::string canonical(const std::string& unixPath) {
    std::string head = unixPath;
    std::string tail;
    while (!head.empty()) {
        char resolved[PATH_MAX];
        if (realpath(head.c_str(), resolved)) {
            std::string result = resolved;
            if (!tail.empty()) {
                if (result.empty() || result.back() != '/') result += '/';
                result += tail;
            }
            return result;
        }
        std::size_t slash = head.find_last_of('/');
        if (slash == std::string::npos || slash == 0) break;
        tail = tail.empty() ? head.substr(slash + 1) : head.substr(slash + 1) + "/" + tail;
        head.erase(slash);
    }
    return unixPath;
}

std::string wineUnixName(const std::string& windowsPath) {
    std::wstring wide = toWide(windowsPath);
    char* posixPath = wine_get_unix_file_name(wide.c_str());
    if (!posixPath) return std::string();
    std::string result = posixPath;
    HeapFree(GetProcessHeap(), 0, posixPath);
    return result;
}

std::string mapWindowsPath(const std::string& windowsPath) {
    std::string path = windowsPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    if (path.size() == 2) path += '\\';
    std::string posixPath = wineUnixName(path);
    if (posixPath.empty()) {
        // Missing directories: map the drive and append the rest.
        std::string drive = wineUnixName(path.substr(0, 3));
        if (drive.empty()) return std::string();
        std::string rest = path.substr(3);
        for (char& c : rest)
            if (c == '\\') c = '/';
        posixPath = drive + (drive.back() == '/' ? "" : "/") + rest;
    }
    return canonical(posixPath);
}

bool sameName(const std::string& entry, const std::string& name) {
    return entry.size() > name.size() && entry[name.size()] == '=' &&
           strncasecmp(entry.c_str(), name.c_str(), name.size()) == 0;
}

// The Unix environment of the Wine process, with the Windows block's JAVA_HOME
// and CLASSPATH (which the launcher sets just before the start) translated in,
// and every variable that only the Windows block has added.
std::vector<std::string> childEnvironment(const bridge::PathMapper& mapper) {
    std::vector<std::string> result;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (sameName(entry, "JAVA_HOME") || sameName(entry, "CLASSPATH")) continue;
        result.push_back(entry);
    }
    LPWCH block = GetEnvironmentStringsW();
    for (LPWCH p = block; p && *p; p += lstrlenW(p) + 1) {
        std::string entry = toUtf8(p);
        std::size_t eq = entry.find('=', 1);
        if (eq == std::string::npos) continue;
        std::string name = entry.substr(0, eq);
        bool always = strcasecmp(name.c_str(), "JAVA_HOME") == 0 ||
                      strcasecmp(name.c_str(), "CLASSPATH") == 0;
        bool known = false;
        for (const std::string& u : result)
            if (sameName(u, name)) known = true;
        if (!always && known) continue;
        result.push_back(name + "=" + bridge::translateVariable(name, entry.substr(eq + 1), mapper));
    }
    if (block) FreeEnvironmentStringsW(block);
    return result;
}

// Copies what a pipe holds to a Windows handle; false at end of the pipe.
// A handle that cannot be written (no console, reader gone) drops the data so
// that the child never blocks on a full pipe.
bool forward(int fd, HANDLE target) {
    char buffer[8192];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;
    DWORD written = 0;
    for (ssize_t done = 0; done < n && target != INVALID_HANDLE_VALUE && target != nullptr;) {
        if (!WriteFile(target, buffer + done, static_cast<DWORD>(n - done), &written, nullptr) ||
            written == 0)
            break;
        done += written;
    }
    return true;
}

// A Windows pipe has no Unix descriptor under Wine: a thread copies what it
// delivers into a POSIX pipe the JVM reads, closing it at the pipe's end.
struct InputPump {
    HANDLE from;
    int to;
};

DWORD WINAPI pumpInput(LPVOID parameter) {
    InputPump* pump = static_cast<InputPump*>(parameter);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pump->from, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        for (DWORD done = 0; done < got;) {
            ssize_t n = write(pump->to, buffer + done, got - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                close(pump->to);
                return 0;
            }
            done += static_cast<DWORD>(n);
        }
    }
    close(pump->to);
    return 0;
}

// The JVM's standard input: the bridge's own Windows standard input. A file
// or device is handed over as its Unix descriptor, so the JVM reads only
// what it asks for; a pipe is copied through a POSIX pipe; a console is the
// terminal that is the Wine process's Unix standard input, if it is one (a
// copying thread would leave a read pending on the console when the JVM
// ends, which takes the next line typed at the prompt). Without any,
// /dev/null as before. The console launcher gives captured children no
// input, so only the application reads the user's. -1 means /dev/null.
int standardInput() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) return -1;
    int fd = -1;
    if (wine_server_handle_to_fd(input, FILE_READ_DATA, &fd, nullptr) == 0) return fd;
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) return isatty(0) ? 0 : -1;
    if (GetFileType(input) != FILE_TYPE_PIPE) return -1;
    int ends[2];
    if (pipe(ends) != 0) return -1;
    // The JVM must not hold the write end, or it would never see the end.
    fcntl(ends[1], F_SETFD, FD_CLOEXEC);
    static InputPump pump;
    pump = {input, ends[1]};
    HANDLE thread = CreateThread(nullptr, 0, pumpInput, &pump, 0, nullptr);
    if (!thread) {
        close(ends[0]);
        close(ends[1]);
        return -1;
    }
    CloseHandle(thread);
    return ends[0];
}

// Ctrl+C and Ctrl+Break on the console reach this process; the Linux JVM is
// not on the console, so they are passed on as the signals the JVM answers
// the same way (SIGINT ends it, SIGQUIT prints its threads), and the bridge
// lives on to report the JVM's exit code.
pid_t javaPid = 0;

BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (javaPid > 0) kill(javaPid, event == CTRL_C_EVENT ? SIGINT : SIGQUIT);
    return TRUE;
}

void fail(const std::string& text) {
    std::string line = "java bridge: " + text + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
              &written, nullptr);
}

}  // namespace

int main() {
    // The input pump may write to a pipe the JVM has closed.
    signal(SIGPIPE, SIG_IGN);
    int argc = 0;
    LPWSTR* argvW = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argvW && i < argc; ++i) args.push_back(toUtf8(argvW[i]));
    if (argvW) LocalFree(argvW);

    bridge::PathMapper mapper = mapWindowsPath;
    const char* override = getenv("MG_BRIDGE_JAVA");
    std::string java = override && *override ? override : MG_BRIDGE_JAVA_DEFAULT;

    std::vector<std::string> childArgs;
    childArgs.push_back(java);
    bridge::FileReader reader = [&](const std::string& windowsPath, std::string& content) {
        std::string path = bridge::translatePath(windowsPath, mapper, true);
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) return false;
        char buffer[65536];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
        std::fclose(file);
        return true;
    };
    for (const std::string& a : bridge::translateArguments(args, mapper, reader)) childArgs.push_back(a);
    std::vector<std::string> childEnv = childEnvironment(mapper);

    WCHAR cwd[MAX_PATH + 1];
    if (GetCurrentDirectoryW(MAX_PATH, cwd)) {
        std::string dir = mapWindowsPath(toUtf8(cwd));
        if (!dir.empty() && chdir(dir.c_str()) != 0) fail("cannot enter " + dir);
    }

    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        fail("pipe failed");
        return 127;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int input = standardInput();
    if (input < 0)
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    else if (input != 0)
        posix_spawn_file_actions_adddup2(&actions, input, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    posix_spawn_file_actions_addclose(&actions, err[1]);

    std::vector<char*> argv, envp;
    for (std::string& a : childArgs) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    for (std::string& e : childEnv) envp.push_back(&e[0]);
    envp.push_back(nullptr);

    pid_t pid = 0;
    int rc = posix_spawn(&pid, java.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (input > 0) close(input);
    close(out[1]);
    close(err[1]);
    if (rc != 0) {
        fail("cannot start " + java + ": " + strerror(rc));
        return 127;
    }
    javaPid = pid;
    SetConsoleCtrlHandler(onConsoleControl, TRUE);

    HANDLE stdOut = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE stdErr = GetStdHandle(STD_ERROR_HANDLE);
    struct pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int openPipes = 2;
    while (openPipes > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            if (!forward(fds[i].fd, i == 0 ? stdOut : stdErr)) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --openPipes;
            }
        }
    }

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 127;
}
