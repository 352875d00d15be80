#include <exception>
#include <new>

#include "launcher/driver.h"
#include "base/front.h"
#include "launcher/launcher.h"
#include "base/log.h"
#include "base/settings.h"
#include "ui/progress.h"

namespace mg {

namespace {
int report(const String& message) {
    showMessage(message);
    writeLog(message, LOG_ERROR);
    setRunExitCode(EXIT_LAUNCHER_FAILED);
    return 1;
}
}  // namespace

int runLauncher(const StringList& args, const String& path) {
    launcherPath = path;
    originalLauncherPath = path;
    for (const String& arg : args) allArgs.push_back(arg);
    try {
        runDriver(args);
        return 0;
    } catch (const LauncherException& e) {
        return report(e.message());
    }
    // Anything else is a fault of the launcher itself; still say so rather
    // than let the process die without a word.
    catch (const RangeException&) {
        return report("Internal error: a text position was out of range.");
    } catch (const LengthException&) {
        return report("Internal error: a text grew too long.");
    } catch (const std::bad_alloc&) {
        return report("Out of memory.");
    } catch (const std::exception& e) {
        return report(String("Internal error: ") + e.what());
    }
}

}  // namespace mg
