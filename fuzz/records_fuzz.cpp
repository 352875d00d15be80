// Fuzz target: arbitrary bytes as one of the launcher's own sealed records,
// which sit in user-writable folders: a payload cache entry's completion
// record and the verify cache. Each accepted record, formatted again, must
// read back to the same content; a cache record never names a file outside
// its entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "jvm/verify_cache.h"
#include "payload/cache.h"

using namespace mg;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const String text(reinterpret_cast<const char*>(data), size);

    std::vector<CachedFile> files;
    if (parseCacheRecord(text, files)) {
        for (const CachedFile& file : files)
            if (file.name.empty() || file.name[0] == '\\' || file.name.find("..\\") != String::npos ||
                file.name.find(':') != String::npos)
                std::abort();
        std::vector<CachedFile> again;
        if (!parseCacheRecord(formatCacheRecord(files), again) || again.size() != files.size()) std::abort();
        for (std::size_t i = 0; i < files.size(); ++i)
            if (again[i].name != files[i].name || again[i].size != files[i].size || again[i].time != files[i].time)
                std::abort();
    }

    VerifyCache cache;
    if (cache.parse(text)) {
        VerifyCache again;
        if (!again.parse(cache.format()) || again.format() != cache.format()) std::abort();
    }
    return 0;
}
