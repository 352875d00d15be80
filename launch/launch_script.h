// The launch script: a command template whose %FUNCTION%(...) calls,
// @JVM_FILE_TAG@ references and #ENVIRONMENT# references are expanded into
// the Java command line, and the step that runs that command. Portable: the
// system is reached through LaunchEnvironment.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jvm/jvm_file.h"
#include "jvm/verify.h"
#include "launch/captured_output.h"
#include "launch/launch_script_env.h"
#include "text/reference_expander.h"
#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

class LaunchScript : public ReferenceExpander {
public:
    // From a launch script tag file (COMMAND, DISPLAY_CONSOLE,
    // AUTO_SET_WORKING_DIR, DESC, ARCHIVE). The caller shows the description
    // as the progress window's caption. A null environment means the
    // process-wide one, looked up when it is needed.
    LaunchScript(const TagFile& script, bool captureOutput, LaunchEnvironment* environment = nullptr);
    // From a bare command text (the JVM verification run).
    LaunchScript(const String& command, bool captureOutput, bool useEmbeddedClasspath,
                 LaunchEnvironment* environment = nullptr);

    // "%" calls a function, "#" reads an environment variable; any other
    // delimiter is not handled.
    bool resolveReference(String& text, char delimiter, std::size_t start,
                          std::size_t& end) override;

    // The finished command line for jvmFile: functions, then the JVM file's
    // "@" references, then environment references.
    String buildCommand(JvmFile& jvmFile);
    // The same followed by the pass-through arguments, each quoted.
    String buildCommand(JvmFile& jvmFile, const StringList& extraArguments);

    // Builds the command and runs it, waiting for the child, with JAVA_HOME
    // set to the JVM file's home; logs the command and any captured output
    // (streamed, see LoggedOutput). A command longer than the system starts
    // passes its arguments through an argument file when the JVM reads them
    // (Java 9 and later), else fails with its length. extraArguments may be
    // null. Returns the child's exit code.
    unsigned long execute(JvmFile& jvmFile, const StringList* extraArguments, bool consoleFlag);
    // The console launcher's way: the same command, started on the launcher's
    // own console with its standard handles, nothing captured; returns the
    // child's exit code.
    int executeAttached(JvmFile& jvmFile, const StringList* extraArguments);

    const String& getDescription() const { return description_; }
    const String& command() const { return command_; }
    const String& archive() const { return archive_; }
    bool captureOutput() const { return captureOutput_; }
    bool displayConsole() const { return displayConsole_; }
    bool autoSetWorkingDir() const { return autoSetWorkingDir_; }
    // START_FAILURE_MESSAGE: whether an application that fails at start-up
    // is reported after the progress window has gone (on by default).
    bool startFailureMessage() const { return startFailureMessage_; }
    // Of the last execute: how long the child ran (milliseconds, from its
    // start to its end) and whether it wrote to its standard error.
    std::uint32_t lastRunMillis() const { return lastRunMillis_; }
    bool lastRunWroteErrors() const { return lastRunWroteErrors_; }
    bool useEmbeddedClasspath() const { return useEmbeddedClasspath_; }
    // What the children printed, over every execution: all of it while it
    // stays within KeptOutput::headLimit, else its beginning.
    const String& standardOutput() const { return standardOutput_.head(); }
    const String& errorOutput() const { return errorOutput_.head(); }
    // The last bytes of the error output (KeptOutput::tailLimit at most).
    String errorTail() const { return errorOutput_.tail(); }

    // The side file beside the original launcher: its path without the
    // extension, plus suffix (".cp1", ".cp", ".cp2", ".sp", ".ja").
    static String sideFilePath(const String& launcherPath, const String& suffix);
    // One pass-through argument as it is appended to the command: a blank
    // and the argument in double quotes, escaped so that the program's
    // argument splitter gives back exactly the original text.
    static String quoteArgument(const String& argument);

private:
    LaunchEnvironment& environment();
    // Builds and logs the command, sets JAVA_HOME; gives the working directory.
    String prepare(JvmFile& jvmFile, const StringList* extraArguments, String& directory);
    String jvmValue(const char* tag) const;
    String expandAt(const String& text);
    StringList sideFileLines(const char* suffix);

    String callFunction(const String& name, const StringList& args, const String& text);
    String maxHeap(const StringList& args, const String& text);
    String systemProperty(const String& name, const String& value);
    String classPath(const StringList& args, const String& text);
    String runtimeSystemProperties(const String& text);
    String runtimeJavaArguments(const String& text);
    String shortenCommand(const String& command, JvmFile& jvmFile);

    String command_;
    bool captureOutput_ = true;
    bool displayConsole_ = false;
    bool autoSetWorkingDir_ = true;
    bool startFailureMessage_ = true;
    std::uint32_t lastRunMillis_ = 0;
    bool lastRunWroteErrors_ = false;
    KeptOutput standardOutput_;
    KeptOutput errorOutput_;
    JvmFile* jvmFile_ = nullptr;  // only while a command is built
    bool useEmbeddedClasspath_ = true;
    String description_;
    String archive_;

    LaunchEnvironment* environment_;
    bool expandingArchive_ = false;
};

// Verify runs through the launch script machinery: the command is expanded
// as a bare launch script (no embedded class path) and run captured.
class ScriptVerifyRunner : public VerifyRunner {
public:
    explicit ScriptVerifyRunner(LaunchEnvironment* environment = nullptr) : environment_(environment) {}
    String run(JvmFile& jvm, const String& command) override;

private:
    LaunchEnvironment* environment_;
};

}  // namespace mg
