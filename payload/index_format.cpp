#include "payload/index_format.h"

#include "text/text.h"

namespace mg {

namespace {

const char* const TYPE_NAMES[] = {
    "instructions",  "jvm-file",       "launch-script",       "classpath-archive",
    "jvm-installer", "verify-archive", "application-archive", "embedded-launcher",
};

std::uint32_t readBigEndian(std::FILE* stream, int bytes, const char* message) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        int c = std::fgetc(stream);
        if (c == EOF) throw LauncherException(message);
        value = (value << 8) | static_cast<std::uint32_t>(c);
    }
    return value;
}

// A little-endian field of a PE header at pos; false when the file ends.
bool readLE(std::FILE* stream, long pos, int bytes, std::uint32_t& value) {
    if (std::fseek(stream, pos, SEEK_SET) != 0) return false;
    value = 0;
    for (int i = 0; i < bytes; ++i) {
        int c = std::fgetc(stream);
        if (c == EOF) return false;
        value |= static_cast<std::uint32_t>(c) << (8 * i);
    }
    return true;
}

long fileSize(std::FILE* stream) {
    if (std::fseek(stream, 0, SEEK_END) != 0) return -1;
    return std::ftell(stream);
}

}  // namespace

bool magicEndsAt(std::FILE* stream, long end) {
    std::uint32_t value = 0;
    if (end < TRAILER_SIZE || std::fseek(stream, end - 4, SEEK_SET) != 0) return false;
    try {
        value = readU32BE(stream, "");
    } catch (const LauncherException&) {
        return false;
    }
    return value == LAUNCHER_MAGIC;
}

bool findCertificateTable(std::FILE* stream, CertificateTable& table) {
    std::uint32_t mz = 0, pe = 0, peSig = 0, optionalSize = 0, magic = 0, directories = 0;
    if (!readLE(stream, 0, 2, mz) || mz != 0x5A4Du || !readLE(stream, 0x3C, 4, pe) || pe > 0x10000000u ||
        !readLE(stream, static_cast<long>(pe), 4, peSig) || peSig != 0x00004550u)
        return false;
    long optional = static_cast<long>(pe) + 24;
    if (!readLE(stream, static_cast<long>(pe) + 20, 2, optionalSize) || !readLE(stream, optional, 2, magic))
        return false;
    // PE32 and PE32+ differ only in where the data directories begin.
    long countAt = magic == 0x10Bu ? 92 : magic == 0x20Bu ? 108 : -1;
    if (countAt < 0 || !readLE(stream, optional + countAt, 4, directories) || directories < 5) return false;
    long entry = optional + countAt + 4 + 4 * 8;  // directory 4, the security directory
    if (entry + 8 > optional + static_cast<long>(optionalSize)) return false;
    if (!readLE(stream, entry, 4, table.offset) || !readLE(stream, entry + 4, 4, table.size)) return false;
    table.directoryPosition = entry;
    // Its "address" is a file offset, not an RVA.
    return table.offset != 0 && table.size != 0;
}

long trailerEnd(std::FILE* stream) {
    long size = fileSize(stream);
    if (size < 0 || magicEndsAt(stream, size)) return size;
    CertificateTable table;
    if (!findCertificateTable(stream, table) || static_cast<std::uint64_t>(table.offset) + table.size !=
                                                    static_cast<std::uint64_t>(size))
        return size;
    long end = static_cast<long>(table.offset);
    // The identification value ends in a non-zero byte, so the padding is
    // exactly the zero bytes before the table (never more than 7).
    for (int pad = 0; pad < 7 && end > 0; ++pad, --end) {
        if (std::fseek(stream, end - 1, SEEK_SET) != 0) return size;
        if (std::fgetc(stream) != 0) break;
    }
    return magicEndsAt(stream, end) ? end : size;
}

std::uint32_t readU32BE(std::FILE* stream, const char* message) { return readBigEndian(stream, 4, message); }

std::uint16_t readU16BE(std::FILE* stream, const char* message) {
    return static_cast<std::uint16_t>(readBigEndian(stream, 2, message));
}

void readEntryRecord(std::FILE* stream, FileEntry& entry) {
    int type = std::fgetc(stream);
    if (type == EOF || type > HIGHEST_FILE_TYPE) throw LauncherException("Invalid file type in file index.");
    entry.type = static_cast<FileType>(type);
    entry.id = static_cast<std::int32_t>(readU32BE(stream, "Unable to load file id."));
    entry.length = static_cast<std::int32_t>(readU32BE(stream, "Unable to load file length."));
    entry.offset = static_cast<std::int32_t>(readU32BE(stream, "Unable to load offset to file bytes."));
    std::uint16_t n = readU16BE(stream, "Unable to load the string value.");

    // Byte by byte, so that a corrupt length costs nothing before the bytes
    // are really there. A line feed ends the name early (and stays in it).
    String name;
    for (std::uint16_t i = 0; i < n; ++i) {
        int c = std::fgetc(stream);
        // A name cut short by the end of the file would otherwise be taken
        // silently: the trailer always follows the index, so this is damage.
        if (c == EOF) throw LauncherException("Unable to load the string value.");
        name.push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    entry.name = name;
}

bool readFileIndex(std::FILE* stream, std::vector<std::unique_ptr<FileEntry>>& entries) {
    long end = trailerEnd(stream);
    if (end < TRAILER_SIZE || std::fseek(stream, end - TRAILER_SIZE, SEEK_SET) != 0)
        throw LauncherException("Invalid launcher format.");
    std::uint32_t indexOffset = readU32BE(stream, "Unable to read file index offset.");
    std::uint32_t magic = readU32BE(stream, "Unable to read launcher identification value.");
    if (magic != LAUNCHER_MAGIC) return false;

    // Offsets are signed 32-bit file positions: one of 2 GB or more is
    // negative and fails the seek on every platform alike.
    long offset = static_cast<std::int32_t>(indexOffset);
    if (offset < 0 || std::fseek(stream, offset, SEEK_SET) != 0)
        throw LauncherException("Invalid file index offset.");
    std::int32_t count = static_cast<std::int32_t>(readU32BE(stream, "Unable to read the file count."));

    // No reserve by the count: a corrupt count must fail on the missing
    // records, not on an allocation.
    for (std::int32_t i = 0; i < count; ++i) {
        auto entry = std::make_unique<FileEntry>();
        readEntryRecord(stream, *entry);
        entries.push_back(std::move(entry));
    }
    return true;
}

String entryLogRecord(const FileEntry& entry) {
    return "file type: " + toDecimal(entry.type) + "\n  file id: " + toDecimal(entry.id) +
           "\n  length: " + toDecimal(entry.length) + "\n  offset: " + toDecimal(entry.offset) +
           "\n  file name: " + entry.name;
}

void appendU32BE(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFFu));
}

void appendU16BE(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFFu));
}

std::string encodeFileIndex(const std::vector<FileEntry>& entries) {
    std::string out;
    appendU32BE(out, static_cast<std::uint32_t>(entries.size()));
    for (const FileEntry& e : entries) {
        out.push_back(static_cast<char>(e.type));
        appendU32BE(out, static_cast<std::uint32_t>(e.id));
        appendU32BE(out, static_cast<std::uint32_t>(e.length));
        appendU32BE(out, static_cast<std::uint32_t>(e.offset));
        appendU16BE(out, static_cast<std::uint16_t>(e.name.size()));
        out += e.name;
    }
    return out;
}

std::string encodeTrailer(std::uint32_t indexOffset) {
    std::string out;
    appendU32BE(out, indexOffset);
    appendU32BE(out, LAUNCHER_MAGIC);
    return out;
}

String fileTypeName(int type) {
    if (type < 0 || type > HIGHEST_FILE_TYPE) return String();
    return TYPE_NAMES[type];
}

int fileTypeFromName(const String& name) {
    for (int t = 0; t <= HIGHEST_FILE_TYPE; ++t)
        if (name == TYPE_NAMES[t]) return t;
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '7') return name[0] - '0';
    return -1;
}

}  // namespace mg
