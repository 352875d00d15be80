// A LaunchEnvironment for host tests: files, variables and archives held in
// memory, child processes recorded instead of started.
#pragma once

#include <map>
#include <vector>

#include "launch/launch_script_env.h"
#include "tests/support/fake_temp_items.h"

namespace mg {

struct FakeProcessRun {
    String commandLine;
    String workingDirectory;
    bool showConsole = false;
    bool capture = false;
    bool attached = false;  // runAttached rather than runProcess
    String javaHome;  // JAVA_HOME as the child would inherit it
};

class FakeLaunchEnvironment : public LaunchEnvironment {
public:
    bool readLines(const String& path, StringList& lines) override;
    bool getVariable(const String& name, String& value) override;
    void setVariable(const String& name, const String& value) override;
    String tempRoot() override { return tempRootPath; }
    StringList extractClasspathArchives() override;
    String applicationArchive() override;
    String applicationArchive(const String& fileName) override;
    TempItems& tempItems() override { return temp; }
    unsigned long runProcess(const String& commandLine, const String& workingDirectory, bool showConsole,
                             bool capture, OutputSink& sink) override;
    int runAttached(const String& commandLine, const String& workingDirectory) override;
    // The clock stands still but for runProcess, which moves it by runMillis.
    std::uint32_t milliseconds() override { return clock; }

    // Side files by path, as text; split into lines as readLine would.
    std::map<String, String> files;
    std::map<String, String> variables;
    String tempRootPath = "C:\\TEMP\\";
    StringList classpathArchives;  // what one extraction yields
    int extractions = 0;
    String embeddedApplicationArchive;
    StringList applicationArchiveRequests;  // "" for the embedded one
    String childOutput;
    String childError;
    bool failStart = false;
    unsigned long exitCode = 0;
    std::uint32_t clock = 0;
    std::uint32_t runMillis = 0;  // how long each child "runs"
    FakeTempItems temp{"fake_env_temp_"};  // files in the current directory
    int attachedExitCode = 0;
    std::vector<FakeProcessRun> runs;
};

}  // namespace mg
