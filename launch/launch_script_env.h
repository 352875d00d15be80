// What the launch script needs from the system, behind one interface so the
// command building stays portable: side files, environment variables, the
// temporary root, the embedded archives it extracts, and starting the child.
// The launcher installs the Windows implementation; tests use a fake.
#pragma once

#include <cstdint>
#include <memory>

#include "base/string.h"
#include "system/child_process.h"
#include "system/temp_items.h"

namespace mg {

class LaunchEnvironment {
public:
    virtual ~LaunchEnvironment() = default;

    // The lines of a text file, each read as readLine does; false (and no
    // lines) when it cannot be opened.
    virtual bool readLines(const String& path, StringList& lines) = 0;

    // The launcher's own environment variables, which the child inherits.
    virtual bool getVariable(const String& name, String& value) = 0;
    virtual void setVariable(const String& name, const String& value) = 0;

    // The temporary root, with its trailing backslash.
    virtual String tempRoot() = 0;

    // Makes one new registered temporary directory, extracts every embedded
    // class path archive into it in index order and returns their paths.
    virtual StringList extractClasspathArchives() = 0;

    // The application archive (embedded, or named beside the launcher),
    // produced on first use; empty when there is none.
    virtual String applicationArchive() = 0;
    virtual String applicationArchive(const String& fileName) = 0;

    // Where the output spool and argument files are made.
    virtual TempItems& tempItems() = 0;

    // path as java.exe can read it: its short name where the long one has
    // characters the system's ANSI code page lacks (what names it in the
    // log). reachesJava: whether an argument's text survives that code page.
    // Both accept everything where the system has no such limit.
    virtual String javaPath(const String& path, const char* what) {
        (void)what;
        return path;
    }
    virtual bool reachesJava(const String& text) {
        (void)text;
        return true;
    }

    // The machine's physical memory in megabytes; 0 where it is not known.
    virtual std::uint64_t physicalMemoryMb() { return 0; }

    // Starts commandLine and waits for it; an empty workingDirectory means
    // the launcher's current one. With capture, the child's standard output
    // and error go to sink as they arrive. Returns the child's exit code.
    // Throws LauncherException when the child cannot be started.
    virtual unsigned long runProcess(const String& commandLine, const String& workingDirectory,
                                     bool showConsole, bool capture, OutputSink& sink) = 0;

    // Starts commandLine on the launcher's own console with its standard
    // handles (nothing captured, same process group), waits for it and
    // returns its exit code. Throws LauncherException when it cannot be
    // started.
    virtual int runAttached(const String& commandLine, const String& workingDirectory) = 0;

    // A millisecond clock that wraps (the system's tick count): what tells
    // an application that fails at start-up from one that ran a while.
    virtual std::uint32_t milliseconds() = 0;
};

// The process-wide environment of launch scripts built without one: the one
// installed (tests install fakes); with none installed, it throws
// LauncherException. The launcher hands its own to each script.
void setLaunchEnvironment(LaunchEnvironment* environment);
LaunchEnvironment& launchEnvironment();

#ifdef _WIN32
class LauncherFile;
// The launcher's own process environment, payload and child processes.
std::unique_ptr<LaunchEnvironment> makeSystemLaunchEnvironment(LauncherFile& launcherFile, TempItems& tempItems);
#endif

// readLines for real files, with the C runtime's text mode.
bool readTextFileLines(const String& path, StringList& lines);

}  // namespace mg
