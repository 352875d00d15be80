#include "launch/child_process.h"

#include <windows.h>

#include <vector>

#include "launcher/front.h"
#include "launcher/settings.h"
#include "text/text.h"
#include "ui/handles.h"
#include "ui/messages.h"
#include "ui/progress.h"

namespace {

// A console-less child gets neither a window nor the launcher's console.
DWORD creationFlags(bool showConsole) {
    return showConsole ? 0 : CREATE_NO_WINDOW | DETACHED_PROCESS;
}

// CreateProcessA may write into the command line, so it gets a copy.
struct CommandLineBuffer {
    explicit CommandLineBuffer(const String& text) : bytes(text.begin(), text.end()) {
        bytes.push_back('\0');
    }
    char* get() { return bytes.data(); }
    std::vector<char> bytes;
};

// With neither a program name nor a command line there is nothing to start.
// Some systems fault inside CreateProcessA instead of failing, so the call is
// not made and the failure is reported the way the system reports it.
void refuseEmptyCommand(const String& commandLine) {
    if (commandLine.empty()) throwSystemError("CreateProcess", ERROR_INVALID_PARAMETER);
}

const char* directoryOrNone(const String& directory) {
    return directory.empty() ? nullptr : directory.c_str();
}

// The bytes of one read are kept whole, zero bytes included: a child's output
// is data, and cutting a block at its first zero byte would silently drop the
// rest of that block.
constexpr DWORD BLOCK_SIZE = 4096;

// Waiting only when both pipes were empty keeps a busy child's output flowing
// while an idle one costs at most this much latency per pass.
constexpr DWORD IDLE_WAIT_MS = 50;

// Ends the child when the limit in force says so. The pipes are not read
// further: what a stopped child printed is not trusted.
void stopIfOverLimit(const ChildWaitLimit& limit, HANDLE process, DWORD started) {
    const bool cancelled = limit.endOnCancel && cancelRequested;
    // Tick differences stay right across the counter's wrap.
    const bool late = ::GetTickCount() - started >= limit.milliseconds;
    if (!cancelled && !late) return;
    ::TerminateProcess(process, 1);
    ::WaitForSingleObject(process, 5000);
    throw ChildStopped(cancelled ? "the user cancelled"
                                  : "it did not end within " + toDecimal(static_cast<std::int32_t>(limit.milliseconds / 1000)) + " seconds");
}

}  // namespace

ChildProcess::ChildProcess(const String& commandLine, bool waitForExit, const String& workingDirectory,
                           String* outputTarget, String* errorTarget)
    : commandLine_(commandLine),
      waitForExit_(waitForExit),
      workingDirectory_(workingDirectory),
      outputTarget_(outputTarget),
      errorTarget_(errorTarget) {}

ChildProcess::~ChildProcess() = default;

bool ChildProcess::run(bool showConsole, bool noCapture) {
    if (noCapture || !waitForExit_) return startPlain(showConsole);
    return startCaptured(showConsole);
}

bool ChildProcess::startPlain(bool showConsole) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    refuseEmptyCommand(commandLine_);
    CommandLineBuffer command(commandLine_);
    if (!::CreateProcessA(nullptr, command.get(), nullptr, nullptr, FALSE, creationFlags(showConsole),
                          nullptr, directoryOrNone(workingDirectory_), &startup, &info))
        throwSystemError("CreateProcess");
    Handle process(info.hProcess);
    Handle thread(info.hThread);
    if (!waitForExit_) return true;
    return ::WaitForSingleObject(process.get(), INFINITE) != WAIT_FAILED;
}

bool ChildProcess::startCaptured(bool showConsole) {
    SECURITY_ATTRIBUTES security;
    security.nLength = sizeof security;
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = TRUE;

    Handle outRead, outWrite, errRead, errWrite;
    if (!::CreatePipe(outRead.receive(), outWrite.receive(), &security, 0) ||
        !::CreatePipe(errRead.receive(), errWrite.receive(), &security, 0))
        throw LauncherException(systemErrorText(::GetLastError()));

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.wShowWindow = 0;
    // The console launcher's input belongs to the application: a verify run
    // or an installer must not take any of it.
    startup.hStdInput = consoleFront() ? nullptr : ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();

    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    refuseEmptyCommand(commandLine_);
    CommandLineBuffer command(commandLine_);
    if (!::CreateProcessA(nullptr, command.get(), &security, &security, TRUE,
                          creationFlags(showConsole), nullptr, directoryOrNone(workingDirectory_),
                          &startup, &info))
        throwSystemError("CreateProcess");
    Handle process(info.hProcess);
    Handle thread(info.hThread);

    // Only the child (and what it starts) may hold the write ends now, so the
    // pipes break once it is done with them.
    outWrite.reset();
    errWrite.reset();

    // A pipe nobody asked for is still emptied: a child blocked on a full
    // pipe would never end, and the loop waits for it to end.
    String discarded;
    String& output = outputTarget_ ? *outputTarget_ : discarded;
    String& error = errorTarget_ ? *errorTarget_ : discarded;

    const ChildWaitLimit* limit = ChildWaitLimit::current();
    const DWORD started = ::GetTickCount();
    std::size_t outCount = 0;
    std::size_t errCount = 0;
    bool ended = false;
    while (!ended) {
        if (outCount == 0 && errCount == 0) {
            DWORD wait = ::WaitForSingleObject(process.get(), IDLE_WAIT_MS);
            if (wait == WAIT_FAILED) throwSystemError("WaitForSingleObject");
            if (wait == WAIT_OBJECT_0) ended = true;
        }
        outCount = readPipe(outRead.get(), output);
        errCount = readPipe(errRead.get(), error);
        discarded.clear();
        if (!ended && limit) stopIfOverLimit(*limit, process.get(), started);
    }
    // What the child wrote just before it ended may still be in the pipes.
    while (outCount != 0 || errCount != 0) {
        outCount = readPipe(outRead.get(), output);
        errCount = readPipe(errRead.get(), error);
        discarded.clear();
    }
    return true;
}

std::size_t ChildProcess::readPipe(void* pipe, String& target) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
        DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE) return 0;
        throwSystemError("PeekNamedPipe", error);
    }
    if (available == 0) return 0;

    char buffer[BLOCK_SIZE];
    DWORD read = 0;
    if (!::ReadFile(pipe, buffer, BLOCK_SIZE, &read, nullptr)) {
        DWORD error = ::GetLastError();
        if (error != ERROR_BROKEN_PIPE) throwSystemError("ReadFile", error);
        stepProgress(1);
        return 0;
    }
    target.append(buffer, read);
    stepProgress(1);
    return read;
}

void runProcess(const String& commandLine, const String& workingDirectory, bool showConsole,
                bool capture, bool waitForExit, String* outputTarget, String* errorTarget) {
    ChildProcess child(commandLine, waitForExit, workingDirectory, outputTarget, errorTarget);
    if (!child.run(showConsole, !capture))
        throw LauncherException(loadStringText(IDS_CHILD_FAILED));
}

namespace {

// A standard handle of the launcher as an inheritable copy: a handle the
// launcher received without the inherit flag must reach the child too. None
// stays none; a handle that cannot be copied is passed as it is.
HANDLE inheritableStandardHandle(DWORD which, Handle& copy) {
    HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
    HANDLE self = ::GetCurrentProcess();
    if (!::DuplicateHandle(self, handle, self, copy.receive(), 0, TRUE, DUPLICATE_SAME_ACCESS)) return handle;
    return copy.get();
}

}  // namespace

int runAttached(const String& commandLine, const String& workingDirectory) {
    refuseEmptyCommand(commandLine);
    Handle input, output, error;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritableStandardHandle(STD_INPUT_HANDLE, input);
    startup.hStdOutput = inheritableStandardHandle(STD_OUTPUT_HANDLE, output);
    startup.hStdError = inheritableStandardHandle(STD_ERROR_HANDLE, error);
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    CommandLineBuffer command(commandLine);
    if (!::CreateProcessA(nullptr, command.get(), nullptr, nullptr, TRUE, 0, nullptr,
                          directoryOrNone(workingDirectory), &startup, &info))
        throwSystemError("CreateProcess");
    Handle process(info.hProcess);
    Handle thread(info.hThread);
    DWORD exitCode = 0;
    if (::WaitForSingleObject(process.get(), INFINITE) == WAIT_FAILED ||
        !::GetExitCodeProcess(process.get(), &exitCode))
        throw LauncherException(loadStringText(IDS_CHILD_FAILED));
    return static_cast<int>(exitCode);
}
