#include "system/child_process.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "base/front.h"
#include "base/settings.h"
#include "text/text.h"
#include "base/handles.h"
#include "ui/messages.h"
#include "ui/progress.h"
#include "ui/progress_win.h"

namespace mg {

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

// ERROR_ELEVATION_REQUIRED, which headers for older systems leave out.
constexpr DWORD ELEVATION_REQUIRED = 740;

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

// Reads what the pipe holds now, at most one block, into buffer; 0 when it
// is empty or broken.
std::size_t readBlock(HANDLE pipe, char* buffer) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
        DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE) return 0;
        throwSystemError("PeekNamedPipe", error);
    }
    if (available == 0) return 0;

    DWORD read = 0;
    if (!::ReadFile(pipe, buffer, BLOCK_SIZE, &read, nullptr)) {
        DWORD error = ::GetLastError();
        if (error != ERROR_BROKEN_PIPE) throwSystemError("ReadFile", error);
        stepProgress(1);
        return 0;
    }
    stepProgress(1);
    return read;
}

// Replaces handle by a copy that no child inherits.
void noInheritance(Handle& handle) {
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle.get(), ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        throwSystemError("DuplicateHandle");
    handle.reset(copy);
}

// The targets of the String interface: each stream appended to its text.
class TextSink : public OutputSink {
public:
    TextSink(String* output, String* error) : output_(output), error_(error) {}
    void received(bool error, const char* data, std::size_t size) override {
        String* target = error ? error_ : output_;
        if (target) target->append(data, size);
    }

private:
    String* output_;
    String* error_;
};

// The first word of a command line and the rest after it, as the system's
// own rule splits them for the program's name.
void splitProgram(const String& commandLine, String& program, String& parameters) {
    std::size_t end;
    if (!commandLine.empty() && commandLine[0] == '"') {
        end = commandLine.find('"', 1);
        program = commandLine.substr(1, end == NPOS ? NPOS : end - 1);
        end = end == NPOS ? commandLine.size() : end + 1;
    } else {
        end = commandLine.find_first_of(" \t");
        if (end == NPOS) end = commandLine.size();
        program = commandLine.substr(0, end);
    }
    std::size_t rest = commandLine.find_first_not_of(" \t", end);
    parameters = rest == NPOS ? String() : commandLine.substr(rest);
}

}  // namespace

ChildProcess::ChildProcess(const String& commandLine, bool waitForExit, const String& workingDirectory,
                           OutputSink* sink)
    : commandLine_(commandLine), waitForExit_(waitForExit), workingDirectory_(workingDirectory), sink_(sink) {}

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
                          nullptr, directoryOrNone(workingDirectory_), &startup, &info)) {
        DWORD error = ::GetLastError();
        if (error == ELEVATION_REQUIRED && elevateWhenRequired_) return startElevated();
        throwSystemError("CreateProcess", error);
    }
    Handle process(info.hProcess);
    Handle thread(info.hThread);
    ChildStartScope::notify(info.dwProcessId);
    if (!waitForExit_) return true;
    if (::WaitForSingleObject(process.get(), INFINITE) == WAIT_FAILED) return false;
    recordExitCode(process.get());
    return true;
}

void ChildProcess::recordExitCode(void* process) {
    DWORD code = 0;
    if (::GetExitCodeProcess(process, &code)) exitCode_ = code;
}

bool ChildProcess::startElevated() {
    String program, parameters;
    splitProgram(commandLine_, program, parameters);
    SHELLEXECUTEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = progressDialog;
    info.lpVerb = "runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = directoryOrNone(workingDirectory_);
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExA(&info)) throwSystemError("ShellExecuteEx");
    Handle process(info.hProcess);
    if (!waitForExit_ || !process.valid()) return true;
    // The worker waits here as it would for a child it started itself; the
    // main thread's loop keeps the windows answering.
    if (::WaitForSingleObject(process.get(), INFINITE) == WAIT_FAILED) return false;
    recordExitCode(process.get());
    return true;
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
    // Only the write ends are the child's. Were it to inherit the read ends
    // too, the pipes would never break while it runs: once the launcher is
    // gone (killed, log-off) its next write to a full pipe would block for
    // ever.
    // (A copy without inheritance replaces each: SetHandleInformation does
    // not exist on the 9x family.)
    noInheritance(outRead);
    noInheritance(errRead);

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
                          &startup, &info)) {
        DWORD error = ::GetLastError();
        if (error == ELEVATION_REQUIRED && elevateWhenRequired_) {
            // An elevated program cannot write to our pipes; it runs
            // without capture.
            outRead.reset();
            outWrite.reset();
            errRead.reset();
            errWrite.reset();
            return startElevated();
        }
        throwSystemError("CreateProcess", error);
    }
    Handle process(info.hProcess);
    Handle thread(info.hThread);
    ChildStartScope::notify(info.dwProcessId);

    // Only the child (and what it starts) may hold the write ends now, so the
    // pipes break once it is done with them.
    outWrite.reset();
    errWrite.reset();

    // A pipe nobody asked for is still emptied: a child blocked on a full
    // pipe would never end, and the loop waits for it to end. Each block is
    // handed on at once; nothing of the output accumulates here.
    TextSink texts(outputTarget_, errorTarget_);
    OutputSink* sink = sink_ ? sink_ : &texts;
    char buffer[BLOCK_SIZE];
    auto pass = [&](HANDLE pipe, bool error) {
        std::size_t count = readBlock(pipe, buffer);
        if (count != 0 && sink) sink->received(error, buffer, count);
        return count;
    };

    const ChildWaitLimit* limit = ChildWaitLimit::current();
    const DWORD started = ::GetTickCount();
    std::size_t outCount = 0;
    std::size_t errCount = 0;
    bool ended = false;
    while (!ended) {
        if (outCount == 0 && errCount == 0) {
            sink->idle();
            DWORD wait = ::WaitForSingleObject(process.get(), IDLE_WAIT_MS);
            if (wait == WAIT_FAILED) throwSystemError("WaitForSingleObject");
            if (wait == WAIT_OBJECT_0) ended = true;
        }
        outCount = pass(outRead.get(), false);
        errCount = pass(errRead.get(), true);
        if (!ended && limit) stopIfOverLimit(*limit, process.get(), started);
    }
    // What the child wrote just before it ended may still be in the pipes.
    while (outCount != 0 || errCount != 0) {
        outCount = pass(outRead.get(), false);
        errCount = pass(errRead.get(), true);
    }
    recordExitCode(process.get());
    return true;
}

std::size_t ChildProcess::readPipe(void* pipe, String& target) {
    char buffer[BLOCK_SIZE];
    std::size_t read = readBlock(pipe, buffer);
    target.append(buffer, read);
    return read;
}

namespace {

unsigned long runChild(ChildProcess& child, bool showConsole, bool capture) {
    if (!child.run(showConsole, !capture)) throw LauncherException(loadStringText(IDS_CHILD_FAILED));
    return child.exitCode();
}

}  // namespace

unsigned long runProcess(const String& commandLine, const String& workingDirectory, bool showConsole,
                         bool capture, bool waitForExit, String* outputTarget, String* errorTarget,
                         bool elevateWhenRequired) {
    ChildProcess child(commandLine, waitForExit, workingDirectory, outputTarget, errorTarget);
    child.setElevateWhenRequired(elevateWhenRequired);
    return runChild(child, showConsole, capture);
}

unsigned long runProcess(const String& commandLine, const String& workingDirectory, bool showConsole,
                         bool capture, bool waitForExit, OutputSink* sink) {
    ChildProcess child(commandLine, waitForExit, workingDirectory, sink);
    return runChild(child, showConsole, capture);
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

void writeStandardOutput(const String& text) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace mg
