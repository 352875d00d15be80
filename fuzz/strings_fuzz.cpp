// Fuzz target: arbitrary bytes as a string-table block of the stub given to
// mgpack, read and branded with a product name. A block that reads is
// written back to the bytes it was read from; branding either refuses with
// a PackError or leaves tables that read, name the product as given in the
// caption and no longer name the launcher.
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
    std::vector<std::u16string> strings;
    try {
        strings = readStringBlock(bytes);
    } catch (const PackError&) {
        return 0;
    }
    if (strings.size() != 16) std::abort();
    const std::string encoded = encodeStringBlock(strings);
    if (bytes.compare(0, encoded.size(), encoded) != 0) std::abort();

    // The same bytes as the block of string 31 and as the caption's block.
    std::vector<Resource> tables(2);
    for (std::size_t i = 0; i < tables.size(); ++i) {
        tables[i].type.id = RT_STRING_ID;
        tables[i].name.id = static_cast<std::uint16_t>(2 + i);
        tables[i].language = 9;
        tables[i].data = bytes;
    }
    const std::u16string name = u"A&me \u03A9";
    try {
        brandStringTables(tables, name);
    } catch (const PackError&) {
        return 0;
    }
    if (tables.size() != 2) std::abort();
    for (const Resource& r : tables)
        for (const std::u16string& s : readStringBlock(r.data))
            if (s.find(u"Marrowgate") != std::u16string::npos) std::abort();
    if (readStringBlock(tables[1].data)[MESSAGE_CAPTION_STRING % 16] != name) std::abort();
    return 0;
}
