// The byte format at the end of a launcher file: the embedded files' bytes,
// then the file index, then an 8-byte trailer (index offset, identification
// value). Shared by the launcher (reading) and mgpack (reading and writing).
// Every multi-byte integer is big-endian.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "payload/file_entry.h"
#include "base/string.h"

namespace mg {

constexpr std::uint32_t LAUNCHER_MAGIC = 0xCA82CA82u;
constexpr int TRAILER_SIZE = 8;
constexpr int HIGHEST_FILE_TYPE = FT_EMBEDDED_LAUNCHER;

// Read a big-endian field byte by byte; throw LauncherException(message)
// when the stream ends first.
std::uint32_t readU32BE(std::FILE* stream, const char* message);
std::uint16_t readU16BE(std::FILE* stream, const char* message);

// Reads one entry record at the stream's position into entry.
void readEntryRecord(std::FILE* stream, FileEntry& entry);

// Where a signature's certificate table lies in a PE file: the table's file
// offset and size, and the file position of its data-directory entry.
struct CertificateTable {
    long directoryPosition = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};
// True when the stream is a PE file whose security directory names a
// certificate table (signed). Leaves the stream's position undefined.
bool findCertificateTable(std::FILE* stream, CertificateTable& table);

// The file position just after the trailer. That is the end of the file,
// unless the file does not end with the identification value, carries a
// certificate table at its very end and the trailer ends just before it
// (after at most 7 bytes of zero padding that signing tools add to align
// the table): a signed launcher. -1 when the end cannot be found.
long trailerEnd(std::FILE* stream);
// True when the identification value's last byte lies just before end.
bool magicEndsAt(std::FILE* stream, long end);

// Reads the trailer and index of an open binary stream. False (and no
// entries) when the file does not end with the identification value, nor
// does the part before a signature's certificate table.
// Throws LauncherException with the format's messages; entries read before
// a failing record are left in `entries`.
bool readFileIndex(std::FILE* stream, std::vector<std::unique_ptr<FileEntry>>& entries);

// The five-line log record of an entry.
String entryLogRecord(const FileEntry& entry);

// Byte images for writers.
void appendU32BE(std::string& out, std::uint32_t value);
void appendU16BE(std::string& out, std::uint16_t value);
// The index of the given entries (count and records), without the trailer.
std::string encodeFileIndex(const std::vector<FileEntry>& entries);
std::string encodeTrailer(std::uint32_t indexOffset);

// Type names for tools: "instructions", "jvm-file", ... by value; empty
// outside 0..7. typeFromName accepts a name or a decimal 0..7, -1 otherwise.
String fileTypeName(int type);
int fileTypeFromName(const String& name);

}  // namespace mg
