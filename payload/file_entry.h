// One record of the launcher file's index.
#pragma once

#include <cstdint>
#include <memory>

#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

enum FileType : std::uint8_t {
    FT_INSTRUCTIONS = 0,
    FT_JVM_FILE = 1,
    FT_LAUNCH_SCRIPT = 2,
    FT_CLASSPATH_ARCHIVE = 3,
    FT_JVM_INSTALLER = 4,
    FT_VERIFY_ARCHIVE = 5,
    FT_APPLICATION_ARCHIVE = 6,
    FT_EMBEDDED_LAUNCHER = 7,
};

struct FileEntry {
    FileType type = FT_INSTRUCTIONS;
    std::unique_ptr<TagFile> tagFile;  // types 0, 1 and 2 once loaded
    std::int32_t id = -1;
    std::int32_t length = 0;
    std::int32_t offset = 0;
    String name;
};

}  // namespace mg
