// Starting the programs the launcher runs (the application, the verify run, a
// JVM installer, a second launcher), optionally waiting for them and
// capturing their standard output and error. The header is portable so that
// callers build on the host; the implementation is Windows only.
#pragma once

#include <cstddef>

#include "base/string.h"

namespace mg {

// Raised when a captured child was stopped by the ChildWaitLimit in force.
class ChildStopped : public LauncherException {
public:
    using LauncherException::LauncherException;
};

// While one exists on a thread, a captured child waited for there is ended
// (and ChildStopped raised) once it has run longer than `milliseconds` or,
// with endOnCancel, once the user has cancelled. Only for children whose end
// the launcher may decide, such as a verify run: a JVM that never ends must
// not hold the launcher for ever. Limits nest; the innermost holds.
class ChildWaitLimit {
public:
    ChildWaitLimit(unsigned long milliseconds, bool endOnCancel)
        : milliseconds(milliseconds), endOnCancel(endOnCancel), previous_(slot()) {
        slot() = this;
    }
    ~ChildWaitLimit() { slot() = previous_; }
    ChildWaitLimit(const ChildWaitLimit&) = delete;
    ChildWaitLimit& operator=(const ChildWaitLimit&) = delete;

    static const ChildWaitLimit* current() { return slot(); }

    const unsigned long milliseconds;
    const bool endOnCancel;

private:
    static const ChildWaitLimit*& slot() {
        thread_local const ChildWaitLimit* innermost = nullptr;
        return innermost;
    }
    const ChildWaitLimit* previous_;
};

// Told the process id of each child started while a ChildStartScope names
// it: the launch names one around the application's start only.
class ChildStartWatch {
public:
    virtual void started(unsigned long processId) = 0;

protected:
    ~ChildStartWatch() = default;
};

class ChildStartScope {
public:
    explicit ChildStartScope(ChildStartWatch* watch) : previous_(slot()) { slot() = watch; }
    ~ChildStartScope() { slot() = previous_; }
    ChildStartScope(const ChildStartScope&) = delete;
    ChildStartScope& operator=(const ChildStartScope&) = delete;
    static void notify(unsigned long processId) {
        if (slot() != nullptr) slot()->started(processId);
    }

private:
    // Only the worker starts children.
    static ChildStartWatch*& slot() {
        static ChildStartWatch* current = nullptr;
        return current;
    }
    ChildStartWatch* previous_;
};

// Receives a captured child's output block by block, as it arrives.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    // A block of the child's standard output (error false) or error.
    virtual void received(bool error, const char* data, std::size_t size) = 0;
    // Both pipes were empty just now: a moment to pass on what is pending.
    virtual void idle() {}
};

// One child for the duration of one runProcess call.
class ChildProcess {
public:
    // An empty commandLine is handed to the system as no command line, an
    // empty workingDirectory as the launcher's own. The targets are not owned;
    // either may be null.
    ChildProcess(const String& commandLine, bool waitForExit, const String& workingDirectory,
                 String* outputTarget, String* errorTarget);
    // The same with one receiver for both streams (not owned; may be null:
    // the output is read and dropped).
    ChildProcess(const String& commandLine, bool waitForExit, const String& workingDirectory, OutputSink* sink);
    virtual ~ChildProcess();

    // When the system refuses the start because the program asks for
    // elevation (setup programs without a manifest), start it through the
    // shell's elevation prompt instead, without capture, and wait the same way.
    void setElevateWhenRequired(bool elevate) { elevateWhenRequired_ = elevate; }
    // The child's exit code once it was waited for; 0 before.
    unsigned long exitCode() const { return exitCode_; }

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Output is captured only for a child that is waited for: startPlain when
    // noCapture is set or waitForExit is not, else startCaptured. False when
    // the wait for the child failed.
    bool run(bool showConsole, bool noCapture);

    bool startPlain(bool showConsole);
    bool startCaptured(bool showConsole);

    // Appends what the pipe holds now (at most one block) to target and
    // returns the number of bytes read; 0 when it is empty or broken.
    static std::size_t readPipe(void* pipe, String& target);

private:
    bool startElevated();
    void recordExitCode(void* process);

    String commandLine_;
    bool waitForExit_;
    String workingDirectory_;
    String* outputTarget_ = nullptr;
    String* errorTarget_ = nullptr;
    OutputSink* sink_ = nullptr;
    bool elevateWhenRequired_ = false;
    unsigned long exitCode_ = 0;
};

// Starts commandLine in workingDirectory, with a console or without, and
// waits for it when asked, capturing into the targets when capture is set
// (only possible for a child that is waited for). Returns the child's exit
// code (0 when it was not waited for). Throws LauncherException "Execution
// of Child Process Failed" when the wait fails, and the system's reason when
// the child cannot be started. elevateWhenRequired: see ChildProcess.
unsigned long runProcess(const String& commandLine, const String& workingDirectory, bool showConsole,
                         bool capture, bool waitForExit, String* outputTarget, String* errorTarget,
                         bool elevateWhenRequired = false);
// The same, the captured output going to sink as it arrives.
unsigned long runProcess(const String& commandLine, const String& workingDirectory, bool showConsole,
                         bool capture, bool waitForExit, OutputSink* sink);

// The console launcher's application: started on the launcher's console with
// the launcher's standard handles (nothing captured, no new console, the same
// process group so that Ctrl+C reaches it), waited for without limit. Returns
// its exit code. Throws like runProcess.
int runAttached(const String& commandLine, const String& workingDirectory);

// Raw bytes on the launcher's standard output. A GUI program has no console
// of its own: whatever handle it was given is used, and none is ignored.
void writeStandardOutput(const String& text);

}  // namespace mg
