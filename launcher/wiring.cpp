// The launcher's wiring of the layers: the one place where the production
// objects are built and handed down. The driver's actions, what is built from
// the tag files of the launcher file, and the commands of the instructions
// program are the layers' own objects on the launcher's own systems.
#include "instructions/instructions.h"
#include "jvm/operations.h"
#include "jvm/search.h"
#include "jvm/verify.h"
#include "jvm/verify_cache.h"
#include "launch/launch_ops.h"
#include "launch/launch_script.h"
#include "launch/launch_script_env.h"
#include "launcher/actions.h"
#include "launcher/driver.h"
#include "payload/cache.h"
#include "payload/extract.h"
#include "payload/launcher_file.h"
#include "base/settings.h"
#include "system/child_process.h"
#include "system/single_instance.h"
#include "base/front.h"
#include "base/log.h"
#include "system/temp.h"
#include "system/temp_items.h"
#include "ui/progress.h"

namespace mg {

namespace {

class SystemActions : public DriverActions {
public:
    SystemActions(JvmDiscovery& jvm, InstallAndLaunchSystem& launchSystem) : jvm_(jvm), launchSystem_(launchSystem) {}

    void setTempRoot(const String& dir) override { mg::setTempRoot(dir); }
    void extractAll() override { mg::extractAll(); }
    void search(bool showProgress, bool showFailure) override { jvm_.searchAction(showProgress, showFailure); }
    void searchAll(bool showProgress, bool showFailure) override { jvm_.searchAllAction(showProgress, showFailure); }
    void verifyJvm(bool showProgress, bool showFailure, TagFile& jvmFile, const String& home) override {
        jvm_.verifyJvm(showProgress, showFailure, jvmFile, home);
    }
    void runInstaller(const String& program, const String& directory) override {
        runProcess(program, directory, false, false, true, nullptr, nullptr);
    }
    // The command line has been read by now: the launch commands get what
    // they use of it.
    void runProgram(const TagFile& program) override {
        const String instance = program.getValue("SINGLE_INSTANCE");
        InstanceLock lock;
        if (!instance.empty() && !takeInstance(instance, lock)) return;
        const LaunchContext context{launcherPath, allArgs, passThroughArgs, javaConsole,
                                    instance.empty() ? nullptr : &lock};
        InstallAndLaunch launch(launchSystem_, context);
        Instructions instructions(program, jvm_, launch);
        runInstructions(instructions);
    }
    bool clearCache(const TagFile* program) override { return mg::clearCache(program); }
    void writeOutput(const String& text) override { writeStandardOutput(text); }

private:
    // False when another launcher of that name runs its application: this
    // one then only shows that application, before any extraction or search.
    static bool takeInstance(const String& instance, InstanceLock& lock) {
        if (!validInstanceName(instance))
            throw LauncherException("Invalid SINGLE_INSTANCE name (" + instance +
                                    "): use 1 to 64 letters, digits, '.', '-' or '_'.");
        String text = "Single instance " + instance;
        if (lock.take(instance)) {
            writeLog(text + ": this launcher runs the application.", LOG_PLAIN);
            return true;
        }
        text += " is already running";
        LogLevel level = LOG_PLAIN;
        if (consoleFront()) {
            // No window to bring forward for a program on a console.
            setRunExitCode(EXIT_ALREADY_RUNNING);
            text += ": this launch does not start it again.";
            showMessage(text);
        } else if (showRunningInstance(instance)) {
            text += ": its window was brought to the front.";
        } else {
            text += ": no window of it was found.";
            level = LOG_WARNING;
        }
        writeLog(text, level);
        return false;
    }

    JvmDiscovery& jvm_;
    InstallAndLaunchSystem& launchSystem_;
};

// The settings the loaded tag files give. The tag files themselves are taken
// from the launcher file when needed: the program by the driver, the JVM
// files by JVM discovery, the launch script by the launch system.
class SystemContent : public ContentHandler {
public:
    explicit SystemContent(JvmSearch& search) : search_(search) {}

    void captionGiven(const String& caption) override { setCaption(caption); }
    void verifyClassGiven(const String& classPath, const String& className) override {
        search_.setVerifyClass(classPath, className);
    }

private:
    JvmSearch& search_;
};

// The production objects of the process, each built on those it uses. They
// live until the process ends: the launch script keeps its captured output
// over the run's launches, and the search the JVM files the run loaded.
struct SystemObjects {
    LauncherFile& launcherFile = mg::launcherFile();
    std::unique_ptr<TempItems> tempItems = makeSystemTempItems();
    std::unique_ptr<VerifyCacheStore> verifyCache = makeSystemVerifyCacheStore();
    std::unique_ptr<VerifySystem> verify = makeSystemVerify(launcherFile, *verifyCache);
    std::unique_ptr<SearchSystem> searchSystem = makeSystemSearch(*verify);
    JvmSearch search{*searchSystem};
    std::unique_ptr<JvmDiscoverySystem> jvmSystem = makeSystemJvmDiscovery(search, *tempItems, launcherFile);
    JvmDiscovery jvm{*jvmSystem};
    std::unique_ptr<LaunchEnvironment> environment = makeSystemLaunchEnvironment(launcherFile, *tempItems);
    std::unique_ptr<InstallAndLaunchSystem> launchSystem =
        makeSystemInstallAndLaunch(launcherFile, *environment, *tempItems);
    ScriptVerifyRunner verifyRunner{environment.get()};
    SystemContent content{search};
    SystemActions actions{jvm, *launchSystem};
};

}  // namespace

int runDriver(const StringList& args) {
    static SystemObjects objects;
    setVerifyRunner(&objects.verifyRunner);
    objects.launcherFile.setContentHandler(&objects.content);
    return runDriverWith(args, objects.actions);
}

}  // namespace mg
