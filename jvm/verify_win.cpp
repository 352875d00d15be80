#include "jvm/verify.h"

#include "payload/extract.h"
#include "payload/launcher_file.h"
#include "system/temp.h"

namespace mg {

namespace {

class SystemVerify : public VerifySystem {
public:
    bool fileExists(const String& path) override { return mg::fileExists(path); }

    // Each archive gets its own directory: they all carry the same name.
    String extractVerifyArchives() override {
        String path;
        LauncherFile& file = launcherFile();
        for (std::int32_t i = 0; i < file.entryCount(); ++i) {
            const FileEntry* entry = file.entryAt(i);
            if (entry == nullptr || entry->type != FT_VERIFY_ARCHIVE) continue;
            path = extractTo(*entry, createTempDir());
        }
        return path;
    }

    VerifyCacheStore* verifyCacheStore() override { return &userVerifyCacheStore(); }
};

}  // namespace

VerifySystem& systemVerify() {
    static SystemVerify system;
    return system;
}

}  // namespace mg
