#include "launcher/actions_live.h"

#include <windows.h>

#include "instructions/instructions.h"
#include "launcher/log.h"
#include "payload/extract.h"
#include "payload/temp.h"
#include "ui/progress.h"

#ifdef MG_HAVE_CHILD_PROCESS
#include "launch/child_process.h"
#endif
#ifdef MG_HAVE_LAUNCH_OPS
#include "launch/launch_ops.h"
#endif
#ifdef MG_HAVE_JVM_SEARCH
#include "jvm/operations.h"
#include "jvm/search.h"
#endif

namespace {

// The operations of the JVM and launch layers that this build does not
// carry yet say so in the log instead of pretending to have run.
void notAvailable(const char* what) { writeLog(String(what) + " is not available in this build.", LOG_WARNING); }

}  // namespace

void LiveActions::setTempRoot(const String& dir) { ::setTempRoot(dir); }

void LiveActions::extractAll() { ::extractAll(); }

#ifdef MG_HAVE_JVM_SEARCH
void LiveActions::search(bool showProgress, bool showFailure) {
    searchAction(showProgress, showFailure, launcherJvmOperations());
}
void LiveActions::searchAll(bool showProgress, bool showFailure) {
    searchAllAction(showProgress, showFailure, launcherJvmOperations());
}
void LiveActions::verifyJvm(bool showProgress, bool showFailure, TagFile& jvmFile, const String& home) {
    ::verifyJvm(showProgress, showFailure, jvmFile, home, launcherJvmOperations());
}
#else
void LiveActions::search(bool, bool) { notAvailable("The SEARCH action"); }

void LiveActions::searchAll(bool, bool) { notAvailable("The SEARCH_ALL action"); }

void LiveActions::verifyJvm(bool, bool, TagFile&, const String&) { notAvailable("The VERIFY_JVM action"); }
#endif

void LiveActions::runInstaller(const String& program, const String& directory) {
#ifdef MG_HAVE_CHILD_PROCESS
    runProcess(program, directory, false, false, true, nullptr, nullptr);
#else
    (void)program;
    (void)directory;
    notAvailable("Running a JVM installer");
    throw LauncherException("Execution of Child Process Failed");
#endif
}

void LiveActions::runProgram(const TagFile& program) {
    LiveOperations operations;
    Instructions instructions(program, operations);
    ::runInstructions(instructions);
}

// A GUI program has no console of its own: write to whatever standard
// output it was given, and ignore a missing one.
void LiveActions::writeOutput(const String& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// The interpreter is built when it runs, on the TagFile the launcher file
// keeps; the launch script is built by the launch operations when needed.
void LiveContent::instructionsLoaded(const TagFile&) {}
void LiveContent::launchScriptLoaded(const TagFile&) {}
void LiveContent::captionGiven(const String& caption) { setCaption(caption); }

#ifdef MG_HAVE_JVM_SEARCH
void LiveContent::jvmFileLoaded(TagFile& jvmFile) { jvmSearch().addJvmFile(jvmFile); }
void LiveContent::verifyClassGiven(const String& classPath, const String& className) {
    jvmSearch().setVerifyClass(classPath, className);
}
#else
void LiveContent::jvmFileLoaded(TagFile&) {}
void LiveContent::verifyClassGiven(const String&, const String&) {
    notAvailable("A verification class from an input file");
}
#endif

#ifdef MG_HAVE_JVM_SEARCH
void LiveOperations::findJvm(bool showUi, bool showFailureMessage) {
    ::findJvm(showUi, showFailureMessage, launcherJvmOperations());
}
void LiveOperations::verifyJvmById(bool showUi, bool showFailureMessage, std::int32_t fileIndex) {
    ::verifyJvmById(showUi, showFailureMessage, fileIndex, launcherJvmOperations());
}
#else
void LiveOperations::findJvm(bool, bool) { notAvailable("FIND_JVM"); }
void LiveOperations::verifyJvmById(bool, bool, std::int32_t) { notAvailable("VERIFY"); }
#endif

#ifdef MG_HAVE_LAUNCH_OPS
void LiveOperations::initializeUi() { systemLaunchOperations().initializeUi(); }
void LiveOperations::installJvm(std::int32_t mode) { systemLaunchOperations().installJvm(mode); }
void LiveOperations::launchWithJvmFile(const String& jvmFileName, std::int16_t seconds) {
    systemLaunchOperations().launchWithJvmFile(jvmFileName, seconds);
}
void LiveOperations::launchWithEmbeddedJvmFile(std::int32_t fileIndex, std::int16_t seconds) {
    systemLaunchOperations().launchWithEmbeddedJvmFile(fileIndex, seconds);
}
void LiveOperations::executeEmbeddedLauncher(std::int32_t fileIndex) {
    systemLaunchOperations().executeEmbeddedLauncher(fileIndex);
}
#else
void LiveOperations::initializeUi() {
    setStatus(STATUS_INITIALIZING);
    setDetail(DETAIL_NONE, String());
    showWindow();
}
void LiveOperations::installJvm(std::int32_t) { notAvailable("INSTALL_JVM"); }
void LiveOperations::launchWithJvmFile(const String&, std::int16_t) { notAvailable("LAUNCH"); }
void LiveOperations::launchWithEmbeddedJvmFile(std::int32_t, std::int16_t) { notAvailable("ILAUNCH"); }
void LiveOperations::executeEmbeddedLauncher(std::int32_t) { notAvailable("EXECUTE_LAUNCHER"); }
#endif
