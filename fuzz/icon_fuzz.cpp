// Fuzz target: arbitrary bytes as the icon file given to mgpack --icon. An
// accepted icon gives images that lie within the file and group entries the
// launcher's icon group can take; anything else must be a PackError.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/pack.h"
#include "tools/pe_resources.h"

using namespace mg;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<IconImage> images;
    try {
        images = iconImages(bytes, "fuzz.ico");
    } catch (const PackError&) {
        return 0;
    }
    if (images.empty() || images.size() > 0xFFFF) std::abort();
    for (const IconImage& image : images) {
        if (image.groupEntry.size() != 12 || image.data.size() < 40 || image.data.size() > bytes.size()) std::abort();
        if (bytes.find(image.data) == std::string::npos) std::abort();
    }
    return 0;
}
