// One instance at a time (SINGLE_INSTANCE in the instructions): while a
// launcher of that name runs its application, a second launch by the same
// user on the same desktop brings that application's window to the front
// instead of starting another. The name rules and the objects' names are
// portable; the lock itself is Windows only.
#pragma once

#include "base/string.h"
#include "system/child_process.h"

namespace mg {

// 1 to 64 letters, digits, ".", "-" or "_": it becomes part of kernel object
// names, where a backslash would name a namespace.
bool validInstanceName(const String& name);

// The base name of the instance's objects: the instance, the user, the
// session and the desktop, so that other users and other sessions run their
// own. localNamespace: the system has per-session names ("Local\").
String instanceObjectName(const String& name, const String& user, unsigned long session, const String& desktop,
                          bool localNamespace);

#ifdef _WIN32
}  // namespace mg
#include "base/handles.h"
namespace mg {

// Held by the launcher that runs the application, for as long as it runs.
// The system releases the lock when its owner dies, so a launcher that
// crashed or was killed blocks no later launch.
class InstanceLock : public ChildStartWatch {
public:
    InstanceLock() = default;
    // Releases the instance at once: closing the handle alone would leave
    // the mutex owned until the worker thread ends, and a launch in between
    // would find it taken.
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    // Takes the instance of that name; false when another launcher holds it.
    bool take(const String& name);
    // Publishes the application's process id for a second launch.
    void started(unsigned long processId) override;

private:
    Handle mutex_;
    Handle mapping_;
};

// Brings the top-level window of the application that the holder of name
// published to the front, restoring it when minimised. The holder may still
// be starting it, so this waits a few seconds for one; false when none came.
bool showRunningInstance(const String& name);
#endif

}  // namespace mg
