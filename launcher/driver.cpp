#include "launcher/driver.h"

#include "launcher/actions.h"
#include "launcher/actions_live.h"
#include "payload/launcher_file.h"

int runDriver(const StringList& args) {
    static LiveContent content;
    static LiveActions actions;
    launcherFile().setContentHandler(&content);
    return runDriverWith(args, actions);
}
