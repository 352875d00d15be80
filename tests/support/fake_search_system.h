// A search system for host tests: registry values (in the launcher's own
// view and in the other), drives and the files on each drive are tables;
// verification accepts the listed (DESC, home) pairs.
#pragma once

#include <map>
#include <set>
#include <utility>

#include "base/settings.h"
#include "jvm/search.h"
#include "tests/support/fake_verify_system.h"

namespace mg {

class FakeSearchSystem : public SearchSystem {
public:
    VerifySystem& verifySystem() override { return verifyFiles; }
    std::unique_ptr<JvmMatch> verifyAt(JvmFile& jvm, const String& home, const String&,
                                       const String&) override {
        verified.push_back(jvm.description() + "@" + home);
        jvm.tagFile().setValue("JVM_HOME", home);
        if (failToStart.count(home)) throw LauncherException("Execution of Child Process Failed");
        if (!valid.count({jvm.description(), home})) return nullptr;
        return std::unique_ptr<JvmMatch>(new JvmMatch(home, jvm.tagFile()));
    }
    ViewHomes resolvePlatformHint(const String& hint) override {
        hintsResolved.push_back(hint);
        if (hint.compare(0, 4, "BAD\\") == 0) throw LauncherException("bad hive");
        ViewHomes homes;
        auto own = registry.find(hint);
        if (own != registry.end()) homes.push_back(ViewHome{ownView, own->second});
        auto other = otherRegistry.find(hint);
        if (other != otherRegistry.end())
            homes.push_back(ViewHome{ownView == RegistryView::Bits32 ? RegistryView::Bits64 : RegistryView::Bits32,
                                     other->second});
        return homes;
    }
    StringList listFixedDrives() override {
        ++driveLists;
        return drives;
    }
    // The walker's filter, then the search: what the real walker does.
    bool walkDrive(const String& root, const StringList& exeNames, JvmSearch& search) override {
        walked.push_back(root);
        names = exeNames;
        for (const String& path : files[root]) {
            if (cancelRequested) return false;
            for (const String& name : exeNames) {
                if (matchesExeName(path, name) && search.onCandidate(path)) return true;
            }
            if (cancelDuringWalk) cancelRequested = true;
        }
        return false;
    }

    StringList registrySubkeys(const String& hive, const String& keyPath) override {
        auto it = subkeys.find(hive + "\\" + keyPath);
        return it == subkeys.end() ? StringList() : it->second;
    }
    StringList subdirectories(const String& dir) override {
        auto it = folders.find(dir);
        return it == folders.end() ? StringList() : it->second;
    }
    String environmentVariable(const String& name) override {
        auto it = environment.find(name);
        return it == environment.end() ? String() : it->second;
    }

    FakeVerifySystem verifyFiles{true, "C:\\tmp\\Verify.jar"};
    std::map<String, StringList> subkeys;  // "HIVE\key\path" -> subkey names
    std::map<String, StringList> folders;  // "C:\dir" -> folder names
    std::map<String, String> environment;
    std::set<String> failToStart;  // homes whose executable cannot be started
    std::set<std::pair<String, String>> valid;
    RegistryView ownView = RegistryView::Bits32;  // the 32-bit launcher's
    std::map<String, String> registry;            // the own view: hint -> home
    std::map<String, String> otherRegistry;       // the other view (64-bit Windows)
    StringList drives;
    std::map<String, StringList> files;
    bool cancelDuringWalk = false;

    StringList verified;
    StringList hintsResolved;
    StringList walked;
    StringList names;
    int driveLists = 0;
};

}  // namespace mg
