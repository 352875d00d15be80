// Fuzz target: arbitrary bytes as a packed launcher handed to mgpack check.
// The stub's headers and resources, the index, every embedded tag file read
// with the launcher's parsers, the interpreter's check of the program and
// the launch script built against each JVM file: nothing may crash, hang or
// leak, and every finding must name its file and read as one line.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/check.h"

using namespace mg;

namespace {

const std::string& scratchPath() {
    static const std::string path = "/tmp/mg_fuzz_check_" + std::to_string(getpid()) + ".exe";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    try {
        Package package = packageOfLauncher(scratchPath());
        for (const Finding& finding : checkPackage(package)) {
            if (finding.file.empty() || finding.line < 0 || finding.message.empty()) std::abort();
            if (formatFinding(finding).empty()) std::abort();
        }
    } catch (const PackError&) {
    }
    std::remove(scratchPath().c_str());
    return 0;
}
