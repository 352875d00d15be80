#include "tests/support/fake_launch_environment.h"

#include <algorithm>
#include <cstdio>

#include "text/text.h"

namespace mg {

bool FakeLaunchEnvironment::readLines(const String& path, StringList& lines) {
    lines.clear();
    auto it = files.find(path);
    if (it == files.end()) return false;
    std::size_t pos = 0;
    while (pos < it->second.size()) {
        String line;
        readLineAt(it->second, pos, line);
        lines.push_back(line);
    }
    return true;
}

bool FakeLaunchEnvironment::getVariable(const String& name, String& value) {
    auto it = variables.find(name);
    if (it == variables.end()) return false;
    value = it->second;
    return true;
}

void FakeLaunchEnvironment::setVariable(const String& name, const String& value) { variables[name] = value; }

StringList FakeLaunchEnvironment::extractClasspathArchives() {
    ++extractions;
    return classpathArchives;
}

String FakeLaunchEnvironment::applicationArchive() {
    applicationArchiveRequests.push_back("");
    return embeddedApplicationArchive;
}

String FakeLaunchEnvironment::applicationArchive(const String& fileName) {
    applicationArchiveRequests.push_back(fileName);
    return "C:\\TEMP\\app1\\" + fileName;
}

unsigned long FakeLaunchEnvironment::runProcess(const String& commandLine, const String& workingDirectory,
                                                bool showConsole, bool capture, OutputSink& sink) {
    if (failStart) throw LauncherException("Execution of Child Process Failed");
    FakeProcessRun run;
    run.commandLine = commandLine;
    run.workingDirectory = workingDirectory;
    run.showConsole = showConsole;
    run.capture = capture;
    getVariable("JAVA_HOME", run.javaHome);
    runs.push_back(run);
    clock += runMillis;
    if (capture) {
        // In pieces, as a pipe delivers them.
        for (std::size_t i = 0; i < childOutput.size(); i += 4096)
            sink.received(false, childOutput.data() + i, std::min<std::size_t>(4096, childOutput.size() - i));
        for (std::size_t i = 0; i < childError.size(); i += 4096)
            sink.received(true, childError.data() + i, std::min<std::size_t>(4096, childError.size() - i));
    }
    return exitCode;
}

namespace {
// An attached child's output goes to the console, never here.
class NullSink : public OutputSink {
public:
    void received(bool, const char*, std::size_t) override {}
};
}  // namespace

int FakeLaunchEnvironment::runAttached(const String& commandLine, const String& workingDirectory) {
    NullSink console;
    runProcess(commandLine, workingDirectory, true, false, console);
    runs.back().attached = true;
    return attachedExitCode;
}

}  // namespace mg
