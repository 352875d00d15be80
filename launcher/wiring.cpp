#include "launcher/wiring.h"

#include <windows.h>

#include "base/log.h"
#include "instructions/instructions.h"
#include "jvm/operations.h"
#include "jvm/search.h"
#include "jvm/verify.h"
#include "launch/launch_ops.h"
#include "launch/launch_script.h"
#include "launcher/driver.h"
#include "payload/extract.h"
#include "system/child_process.h"
#include "system/temp.h"
#include "ui/progress.h"

namespace mg {

void SystemActions::setTempRoot(const String& dir) { mg::setTempRoot(dir); }

void SystemActions::extractAll() { mg::extractAll(); }

void SystemActions::search(bool showProgress, bool showFailure) {
    searchAction(showProgress, showFailure, systemJvmOperations());
}

void SystemActions::searchAll(bool showProgress, bool showFailure) {
    searchAllAction(showProgress, showFailure, systemJvmOperations());
}

void SystemActions::verifyJvm(bool showProgress, bool showFailure, TagFile& jvmFile, const String& home) {
    mg::verifyJvm(showProgress, showFailure, jvmFile, home, systemJvmOperations());
}

void SystemActions::runInstaller(const String& program, const String& directory) {
    runProcess(program, directory, false, false, true, nullptr, nullptr);
}

void SystemActions::runProgram(const TagFile& program) {
    SystemOperations operations;
    Instructions instructions(program, operations);
    mg::runInstructions(instructions);
}

// A GUI program has no console of its own: write to whatever standard
// output it was given, and ignore a missing one.
void SystemActions::writeOutput(const String& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// The interpreter is built when it runs, on the TagFile the launcher file
// keeps; the launch script is built by the launch operations when needed.
void SystemContent::instructionsLoaded(const TagFile&) {}
void SystemContent::launchScriptLoaded(const TagFile&) {}
void SystemContent::captionGiven(const String& caption) { setCaption(caption); }
void SystemContent::jvmFileLoaded(TagFile& jvmFile) { jvmSearch().addJvmFile(jvmFile); }
void SystemContent::verifyClassGiven(const String& classPath, const String& className) {
    jvmSearch().setVerifyClass(classPath, className);
}

void SystemOperations::findJvm(bool showUi, bool showFailureMessage) {
    mg::findJvm(showUi, showFailureMessage, systemJvmOperations());
}
void SystemOperations::verifyJvmById(bool showUi, bool showFailureMessage, std::int32_t fileIndex) {
    mg::verifyJvmById(showUi, showFailureMessage, fileIndex, systemJvmOperations());
}
void SystemOperations::initializeUi() { systemLaunchOperations().initializeUi(); }
void SystemOperations::installJvm(std::int32_t mode) { systemLaunchOperations().installJvm(mode); }
void SystemOperations::launchWithJvmFile(const String& jvmFileName, std::int16_t seconds) {
    systemLaunchOperations().launchWithJvmFile(jvmFileName, seconds);
}
void SystemOperations::launchWithEmbeddedJvmFile(std::int32_t fileIndex, std::int16_t seconds) {
    systemLaunchOperations().launchWithEmbeddedJvmFile(fileIndex, seconds);
}
void SystemOperations::executeEmbeddedLauncher(std::int32_t fileIndex) {
    systemLaunchOperations().executeEmbeddedLauncher(fileIndex);
}

// The production objects of one run, built before the driver starts and
// handed to the layers that call upward.
int runDriver(const StringList& args) {
    static ScriptVerifyRunner verifyRunner;
    static SystemContent content;
    static SystemActions actions;
    setVerifyRunner(&verifyRunner);
    launcherFile().setContentHandler(&content);
    return runDriverWith(args, actions);
}

}  // namespace mg
