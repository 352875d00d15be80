// Fuzz target: arbitrary bytes as a launcher file. The index is read from
// memory by the portable reader and from a file by LauncherFile, which also
// parses the embedded tag files its entries point at. A sound index, encoded
// again by the writer's helpers, must read back to the same entries.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "payload/index_format.h"
#include "payload/launcher_file.h"

using namespace mg;

namespace {

using Entries = std::vector<std::unique_ptr<FileEntry>>;

bool readIndex(const std::string& bytes, Entries& entries) {
    std::FILE* stream = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    if (!stream) return false;
    bool ok = false;
    try {
        ok = readFileIndex(stream, entries);
    } catch (const LauncherException&) {
    }
    std::fclose(stream);
    return ok;
}

bool sameEntry(const FileEntry& a, const FileEntry& b) {
    return a.type == b.type && a.id == b.id && a.length == b.length && a.offset == b.offset && a.name == b.name;
}

const std::string& scratchPath() {
    static const std::string path = "/tmp/mg_fuzz_index_" + std::to_string(getpid()) + ".exe";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    Entries entries;
    if (readIndex(bytes, entries)) {
        std::vector<FileEntry> copies;
        for (const auto& e : entries) {
            if (e->type > HIGHEST_FILE_TYPE || e->name.size() > 0xFFFF) std::abort();
            (void)entryLogRecord(*e);
            FileEntry copy;
            copy.type = e->type;
            copy.id = e->id;
            copy.length = e->length;
            copy.offset = e->offset;
            copy.name = e->name;
            copies.push_back(std::move(copy));
        }
        std::string image = "MZ" + encodeFileIndex(copies);
        image += encodeTrailer(2);
        Entries again;
        if (!readIndex(image, again) || again.size() != entries.size()) std::abort();
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (!sameEntry(*entries[i], *again[i])) std::abort();
    }

    // The launcher's own reading, with the embedded tag files.
    if (std::FILE* f = std::fopen(scratchPath().c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        LauncherFile file;
        try {
            file.loadIndex(scratchPath(), true);
        } catch (const LauncherException&) {
        }
        for (std::int32_t i = 0; i < file.entryCount(); ++i) {
            const FileEntry* entry = file.entryAt(i);
            if (entry == nullptr || file.entryById(entry->id) == nullptr) std::abort();
        }
        if (file.entryAt(-1) != nullptr || file.entryAt(file.entryCount()) != nullptr) std::abort();
        std::remove(scratchPath().c_str());
    }
    return 0;
}
