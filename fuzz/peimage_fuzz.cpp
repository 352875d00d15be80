// Fuzz target: arbitrary bytes as the stub given to mgpack. The PE headers,
// the resource tree, the checksum and, where the bytes name a certificate
// table, the signature's removal; a tree that reads is written back, and
// what was written must read again with the same resources and be written
// again to the same bytes; its string tables are given a product's name.
// Only PackError may end a step.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "payload/index_format.h"
#include "tools/pack.h"
#include "tools/pe_image.h"
#include "tools/pe_resources.h"

using namespace mg;

namespace {

bool readable(const std::string& bytes, std::vector<Resource>& resources) {
    try {
        resources = readResources(bytes);
        return true;
    } catch (const PackError&) {
        return false;
    }
}

bool writable(std::string& bytes, const std::vector<Resource>& resources) {
    try {
        writeResources(bytes, resources);
        return true;
    } catch (const PackError&) {
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        PeImage image(bytes);
    } catch (const PackError&) {
    }
    if (std::size_t at = checksumFieldInUse(bytes)) {
        if (at + 4 > bytes.size()) std::abort();
        std::string copy = bytes;
        refreshChecksum(copy);
    }

    std::vector<Resource> resources;
    if (readable(bytes, resources)) {
        std::string written = bytes;
        if (writable(written, resources)) {
            std::vector<Resource> again;
            if (!readable(written, again) || again.size() != resources.size()) std::abort();
            std::string twice = written;
            if (!writable(twice, again) || twice != written) std::abort();
        }
        // The product's name in the tables the tree holds: refused or written.
        std::vector<Resource> named = resources;
        try {
            brandStringTables(named, u"Acme");
        } catch (const PackError&) {
        }
    }

    if (std::FILE* stream = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb")) {
        CertificateTable table;
        bool isSigned = findCertificateTable(stream, table);
        std::fclose(stream);
        if (isSigned) {
            std::string copy = bytes;
            try {
                stripSignature(copy, table);
                if (copy.size() > bytes.size()) std::abort();
            } catch (const PackError&) {
            }
        }
    }
    return 0;
}
