// What the launch script needs from the system, behind one interface so the
// command building stays portable: side files, environment variables, the
// temporary root, the embedded archives it extracts, and starting the child.
// The launcher installs the Windows implementation; tests use a fake.
#pragma once

#include "text/string.h"

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

    // Starts commandLine and waits for it; an empty workingDirectory means
    // the launcher's current one. With capture, the child's standard output
    // and error are appended to output and error. Throws LauncherException
    // when the child cannot be started.
    virtual void runProcess(const String& commandLine, const String& workingDirectory,
                            bool showConsole, bool capture, String& output, String& error) = 0;

    // Starts commandLine on the launcher's own console with its standard
    // handles (nothing captured, same process group), waits for it and
    // returns its exit code. Throws LauncherException when it cannot be
    // started.
    virtual int runAttached(const String& commandLine, const String& workingDirectory) = 0;
};

// The process-wide environment: the one installed (tests install fakes), or
// else on Windows the system's. Elsewhere, with none installed, it throws
// LauncherException.
void setLaunchEnvironment(LaunchEnvironment* environment);
LaunchEnvironment& launchEnvironment();

#ifdef _WIN32
// The launcher's own process environment, payload and child processes.
LaunchEnvironment& systemLaunchEnvironment();
#endif

// readLines for real files, with the C runtime's text mode.
bool readTextFileLines(const String& path, StringList& lines);
