// A launcher stub held in memory as a PE image: what mgpack changes in it
// before the payload is appended (a signature removed, resources replaced).
// Portable byte work: the Linux mgpack and mgpack.exe write the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "payload/index_format.h"

namespace mg {

struct PeSection {
    std::string name;
    std::uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0, characteristics = 0;
    std::size_t headerPosition = 0;  // of its 40-byte section header
};

// The header fields mgpack reads and rewrites. Throws PackError when bytes
// are not a PE image it can work on.
struct PeImage {
    explicit PeImage(const std::string& bytes);

    std::size_t optionalHeader = 0;  // file position of the optional header
    std::size_t dataDirectories = 0;  // file position of data directory 0
    std::uint32_t directoryCount = 0;
    std::uint32_t fileAlignment = 0, sectionAlignment = 0;
    std::vector<PeSection> sections;
    std::size_t sectionCountPosition = 0, sectionTable = 0, headersEnd = 0;

    std::size_t checksumPosition() const { return optionalHeader + 64; }
    std::size_t imageSizePosition() const { return optionalHeader + 56; }
    std::size_t directoryPosition(int index) const { return dataDirectories + 8 * static_cast<std::size_t>(index); }
};

// Whether length bytes from position lie within the first size bytes.
// Positions and lengths read from a file are 32-bit fields: their sums are
// taken in 64 bits, as a 32-bit size_t (mgpack.exe) would wrap them past any
// bound.
constexpr bool within(std::uint64_t position, std::uint64_t length, std::uint64_t size) {
    return position <= size && length <= size - position;
}

// Little-endian fields; a field outside bytes throws PackError.
std::uint32_t getLE32(const std::string& bytes, std::uint64_t pos);
std::uint16_t getLE16(const std::string& bytes, std::uint64_t pos);
void putLE32(std::string& bytes, std::uint64_t pos, std::uint32_t value);
void putLE16(std::string& bytes, std::uint64_t pos, std::uint16_t value);

// The PE checksum, over bytes fed in order (the checksum field itself fed
// as zeros): a 16-bit one's-complement sum of the words plus the length.
class PeChecksum {
public:
    void add(const char* data, std::size_t size);
    std::uint32_t finish() const;

private:
    std::uint64_t sum_ = 0;
    std::uint64_t length_ = 0;
    int pending_ = -1;  // the low byte of a word cut by a block boundary
};

// The PE checksum of the image, its own checksum field counted as zero.
std::uint32_t peChecksum(const std::string& bytes, std::size_t checksumPosition);
// Where the checksum field is, or 0 when bytes is no PE image or sets none.
std::size_t checksumFieldInUse(const std::string& bytes);
// Recomputes the checksum field when the image sets one (0 means unset).
void refreshChecksum(std::string& bytes);

// Removes the signature whose table findCertificateTable found: the table
// (and the zero padding before it) is cut off and the security directory
// cleared.
void stripSignature(std::string& bytes, const CertificateTable& table);

}  // namespace mg
