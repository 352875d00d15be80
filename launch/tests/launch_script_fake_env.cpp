#include "launch/tests/launch_script_fake_env.h"

#include "text/text.h"

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

void FakeLaunchEnvironment::runProcess(const String& commandLine, const String& workingDirectory,
                                       bool showConsole, bool capture, String& output, String& error) {
    if (failStart) throw LauncherException("Execution of Child Process Failed");
    FakeProcessRun run;
    run.commandLine = commandLine;
    run.workingDirectory = workingDirectory;
    run.showConsole = showConsole;
    run.capture = capture;
    getVariable("JAVA_HOME", run.javaHome);
    runs.push_back(run);
    if (capture) {
        output += childOutput;
        error += childError;
    }
}

int FakeLaunchEnvironment::runAttached(const String& commandLine, const String& workingDirectory) {
    String ignored;
    runProcess(commandLine, workingDirectory, true, false, ignored, ignored);
    runs.back().attached = true;
    return attachedExitCode;
}
