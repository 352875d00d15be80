#include "jvm/verify.h"

#include "payload/extract.h"
#include "payload/launcher_file.h"
#include "system/temp.h"

namespace mg {

namespace {

class SystemVerify : public VerifySystem {
public:
    SystemVerify(LauncherFile& launcherFile, VerifyCacheStore& cache) : launcherFile_(launcherFile), cache_(cache) {}

    bool fileExists(const String& path) override { return mg::fileExists(path); }

    // Each archive gets its own directory: they all carry the same name.
    String extractVerifyArchives() override {
        String path;
        LauncherFile& file = launcherFile_;
        for (std::int32_t i = 0; i < file.entryCount(); ++i) {
            const FileEntry* entry = file.entryAt(i);
            if (entry == nullptr || entry->type != FT_VERIFY_ARCHIVE) continue;
            path = extractTo(*entry, createTempDir());
        }
        return path;
    }

    VerifyCacheStore* verifyCacheStore() override { return &cache_; }

private:
    LauncherFile& launcherFile_;
    VerifyCacheStore& cache_;
};

}  // namespace

std::unique_ptr<VerifySystem> makeSystemVerify(LauncherFile& launcherFile, VerifyCacheStore& cache) {
    return std::make_unique<SystemVerify>(launcherFile, cache);
}

}  // namespace mg
