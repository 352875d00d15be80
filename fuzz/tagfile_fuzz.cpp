// Fuzz target: arbitrary bytes parsed as a tag file, whole and as a region
// of the stream (as embedded tag files are read). What parses is written
// out and read back, which must give the same tags in the same order: the
// writer quotes exactly what the reader would otherwise change.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "text/tagfile.h"

using namespace mg;

namespace {

bool parseBytes(const std::uint8_t* data, std::size_t size, long offset, long length, TagFile& out) {
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!stream) return false;
    bool parsed = true;
    try {
        out.parse(stream, "fuzz.txt", offset, length);
    } catch (const LauncherException&) {
        parsed = false;
    }
    std::fclose(stream);
    return parsed;
}

bool sameTags(const TagFile& a, const TagFile& b) {
    if (a.tags().size() != b.tags().size()) return false;
    for (std::size_t i = 0; i < a.tags().size(); ++i) {
        if (a.tags()[i].name != b.tags()[i].name || a.tags()[i].values != b.tags()[i].values) return false;
    }
    return true;
}

const std::string& scratchPath() {
    static const std::string path = "/tmp/mg_fuzz_tagfile_" + std::to_string(getpid()) + ".txt";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;

    TagFile tags;
    if (parseBytes(data, size, 0, -1, tags)) {
        // Parsed tags are never empty and names are unique.
        for (std::size_t i = 0; i < tags.tags().size(); ++i) {
            const Tag& tag = tags.tags()[i];
            if (tag.values.empty() || tags.findTag(tag.name) != &tag) std::abort();
            if (tags.valueCount(tag.name) != tag.values.size()) std::abort();
            (void)tags.getBool(tag.name, true);
        }

        tags.write(scratchPath());
        TagFile again;
        try {
            again.load(scratchPath());
        } catch (const LauncherException&) {
            std::abort();  // what the writer wrote must read back
        }
        if (!sameTags(tags, again)) std::abort();

        // Updates keep the tag list sound.
        tags.setJvmLocation("C:\\jdk\\", "C:\\jvm.txt", false);
        if (tags.getValue("JVM_TEMP") != "0" || tags.valueCount("JVM_HOME") != 1) std::abort();
        std::remove(scratchPath().c_str());
    }

    // The same bytes as an embedded file at an offset with a region length,
    // both taken from the first byte so the parser sees regions that end
    // inside a line or a multi-line tag.
    const long offset = static_cast<long>(data[0] % size);
    const long length = static_cast<long>(data[size - 1] % 64) - 1;  // -1: to the end
    TagFile region;
    parseBytes(data, size, offset, length, region);
    return 0;
}
