// What verification asks of the system, as tables: the files that exist
// (or all of them) and the archive path extraction gives.
#pragma once

#include <set>

#include "jvm/verify.h"

namespace mg {

class FakeVerifySystem : public VerifySystem {
public:
    FakeVerifySystem() = default;
    FakeVerifySystem(bool everyFileExists, const String& archivePath)
        : everyFileExists(everyFileExists), archive(archivePath) {}

    bool fileExists(const String& path) override {
        probed.push_back(path);
        return everyFileExists || existing.count(path) != 0;
    }
    String extractVerifyArchives() override {
        ++extractions;
        return archive;
    }
    VerifyCacheStore* verifyCacheStore() override { return store; }

    bool everyFileExists = false;
    std::set<String> existing;
    String archive;
    VerifyCacheStore* store = nullptr;
    StringList probed;
    int extractions = 0;
};

}  // namespace mg
