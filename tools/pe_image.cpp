#include "tools/pe_image.h"

#include <algorithm>
#include <memory>

#include "tools/pack.h"

namespace mg {

namespace {

[[noreturn]] void notPe(const std::string& why) { throw PackError{"the stub is not a launcher executable (" + why + ")"}; }

// The header of a stub that is a PE image; null for any other stub, which
// is packed as it is.
std::unique_ptr<PeImage> peHeaderOf(const std::string& bytes) {
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return nullptr;
    try {
        return std::make_unique<PeImage>(bytes);
    } catch (const PackError&) {
        return nullptr;
    }
}

}  // namespace

std::uint32_t getLE32(const std::string& bytes, std::uint64_t pos) {
    if (!within(pos, 4, bytes.size())) notPe("a header runs past the end of the file");
    const char* at = bytes.data() + pos;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(at[i]);
    return v;
}

std::uint16_t getLE16(const std::string& bytes, std::uint64_t pos) {
    if (!within(pos, 2, bytes.size())) notPe("a header runs past the end of the file");
    const char* at = bytes.data() + pos;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(at[0]) | (static_cast<unsigned char>(at[1]) << 8));
}

void putLE32(std::string& bytes, std::uint64_t pos, std::uint32_t value) {
    if (!within(pos, 4, bytes.size())) notPe("a header runs past the end of the file");
    for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(pos) + i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
}

void putLE16(std::string& bytes, std::uint64_t pos, std::uint16_t value) {
    if (!within(pos, 2, bytes.size())) notPe("a header runs past the end of the file");
    bytes[static_cast<std::size_t>(pos)] = static_cast<char>(value & 0xFFu);
    bytes[static_cast<std::size_t>(pos) + 1] = static_cast<char>(value >> 8);
}

PeImage::PeImage(const std::string& bytes) {
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') notPe("no MZ header");
    // Every position below is a 32-bit field plus small constants: in 64
    // bits none wraps, and each is checked against the file before it is
    // kept as a size_t.
    std::uint64_t pe = getLE32(bytes, 0x3C);
    if (getLE32(bytes, pe) != 0x00004550u) notPe("no PE signature");
    std::uint64_t coff = pe + 4;
    sectionCountPosition = static_cast<std::size_t>(coff + 2);
    std::uint16_t sectionCount = getLE16(bytes, sectionCountPosition);
    std::uint16_t optionalSize = getLE16(bytes, coff + 16);
    std::uint64_t optional = coff + 20;
    std::uint16_t magic = getLE16(bytes, optional);
    if (magic != 0x10B && magic != 0x20B) notPe("unknown optional header");
    if (!within(optional, optionalSize, bytes.size())) notPe("the optional header runs past the end of the file");
    optionalHeader = static_cast<std::size_t>(optional);
    std::uint64_t countAt = optional + (magic == 0x10B ? 92 : 108);
    directoryCount = getLE32(bytes, countAt);
    if (directoryCount > 16 || countAt + 4 + 8 * std::uint64_t(directoryCount) > optional + optionalSize)
        notPe("malformed data directories");
    dataDirectories = static_cast<std::size_t>(countAt + 4);
    sectionAlignment = getLE32(bytes, optional + 32);
    fileAlignment = getLE32(bytes, optional + 36);
    if (fileAlignment == 0 || sectionAlignment == 0) notPe("no alignment");
    sectionTable = static_cast<std::size_t>(optional + optionalSize);
    if (!within(sectionTable, 40 * std::uint64_t(sectionCount), bytes.size()))
        notPe("the section table runs past the end of the file");
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        std::size_t h = sectionTable + 40u * i;
        PeSection s;
        std::string raw = bytes.substr(h, 8);
        s.name = raw.substr(0, raw.find('\0'));
        s.virtualSize = getLE32(bytes, h + 8);
        s.virtualAddress = getLE32(bytes, h + 12);
        s.rawSize = getLE32(bytes, h + 16);
        s.rawPointer = getLE32(bytes, h + 20);
        s.characteristics = getLE32(bytes, h + 36);
        s.headerPosition = h;
        sections.push_back(s);
    }
    headersEnd = sectionTable + 40u * sectionCount;
}

void PeChecksum::add(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        unsigned byte = static_cast<unsigned char>(data[i]);
        if (pending_ < 0) {
            pending_ = static_cast<int>(byte);
            continue;
        }
        sum_ += static_cast<std::uint32_t>(pending_) | (byte << 8);
        sum_ = (sum_ & 0xFFFFu) + (sum_ >> 16);
        pending_ = -1;
    }
    length_ += size;
}

std::uint32_t PeChecksum::finish() const {
    std::uint64_t sum = sum_;
    if (pending_ >= 0) sum += static_cast<std::uint32_t>(pending_);
    sum = (sum & 0xFFFFu) + (sum >> 16);
    sum = (sum & 0xFFFFu) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + length_);
}

std::uint32_t peChecksum(const std::string& bytes, std::size_t checksumPosition) {
    PeChecksum sum;
    const char zeros[4] = {0, 0, 0, 0};
    sum.add(bytes.data(), checksumPosition);
    sum.add(zeros, 4);
    sum.add(bytes.data() + checksumPosition + 4, bytes.size() - checksumPosition - 4);
    return sum.finish();
}

std::size_t checksumFieldInUse(const std::string& bytes) {
    auto image = peHeaderOf(bytes);
    if (!image || image->checksumPosition() + 4 > bytes.size()) return 0;
    return getLE32(bytes, image->checksumPosition()) != 0 ? image->checksumPosition() : 0;
}

void refreshChecksum(std::string& bytes) {
    PeImage image(bytes);
    if (getLE32(bytes, image.checksumPosition()) == 0) return;
    putLE32(bytes, image.checksumPosition(), peChecksum(bytes, image.checksumPosition()));
}


void stripSignature(std::string& bytes, const CertificateTable& table) {
    auto pe = peHeaderOf(bytes);
    if (!pe) throw PackError{"the stub's signature cannot be removed: its headers are damaged"};
    const PeImage& image = *pe;
    std::size_t entry = static_cast<std::size_t>(table.directoryPosition);
    std::size_t offset = table.offset;
    if (offset < image.headersEnd || offset > bytes.size()) throw PackError{"the stub's certificate table lies outside the file"};
    // Signing tools pad the file with zeros to align the table; the padding
    // goes too when the image (sections, then any COFF symbols) ended there.
    std::size_t end = offset;
    std::uint64_t imageEnd = image.headersEnd;
    for (const PeSection& s : image.sections)
        if (s.rawSize) imageEnd = std::max<std::uint64_t>(imageEnd, std::uint64_t(s.rawPointer) + s.rawSize);
    std::uint64_t coff = image.sectionCountPosition - 2;
    std::uint64_t symbols = getLE32(bytes, coff + 8), symbolCount = getLE32(bytes, coff + 12);
    std::uint64_t strings = symbols + 18 * symbolCount;  // the string table follows the symbols
    if (symbols != 0 && strings + 4 <= offset) imageEnd = std::max(imageEnd, strings + getLE32(bytes, strings));
    while (end > imageEnd && offset - end < 7 && bytes[end - 1] == 0) --end;
    bytes.resize(end);
    putLE32(bytes, entry, 0);
    putLE32(bytes, entry + 4, 0);
    refreshChecksum(bytes);
}

}  // namespace mg
