#include <gtest/gtest.h>

#include "payload/index_format.h"
#include "tests/support/launcher_image.h"

namespace mg {

namespace {

const char* const SCRATCH = "payload_index_test.tmp";

// Reads the index of bytes; the message of a failure, or "ok <count>", or "none".
std::string readIndexOf(const std::string& bytes, std::vector<std::unique_ptr<FileEntry>>* out = nullptr) {
    writeFileBytes(SCRATCH, bytes);
    std::FILE* f = std::fopen(SCRATCH, "rb");
    if (!f) return "cannot open";
    std::vector<std::unique_ptr<FileEntry>> entries;
    std::string result;
    try {
        result = readFileIndex(f, entries) ? "ok " + std::to_string(entries.size()) : "none";
    } catch (const LauncherException& e) {
        result = e.message();
    }
    std::fclose(f);
    if (out) *out = std::move(entries);
    return result;
}

std::string record(int type, std::uint32_t id, std::uint32_t length, std::uint32_t offset, const std::string& name) {
    return std::string(1, static_cast<char>(type)) + be32(id) + be32(length) + be32(offset) +
           be16(static_cast<std::uint16_t>(name.size())) + name;
}

// An image whose index (at offset 4) is the given bytes, then the trailer.
std::string withIndex(const std::string& index, std::uint32_t indexOffset = 4) {
    return "STUB" + index + be32(indexOffset) + be32(LAUNCHER_MAGIC);
}

TEST(FileIndexFormat, WholeFiles) {
    const std::string magic = be32(LAUNCHER_MAGIC);
    struct Row { const char* what; std::string bytes; const char* result; } rows[] = {
        {"empty file", "", "Invalid launcher format."},
        {"seven bytes", "1234567", "Invalid launcher format."},
        {"no identification value", "anything at all, no magic", "none"},
        {"magic, one byte off", "xxxx" + be32(0) + be32(LAUNCHER_MAGIC ^ 1u), "none"},
        {"count 0", withIndex(be32(0)), "ok 0"},
        {"count 2^31 gives no entries", withIndex(be32(0x80000000u)), "ok 0"},
        {"count -1 gives no entries", withIndex(be32(0xFFFFFFFFu)), "ok 0"},
        {"offset past the end", "STUB" + be32(1000) + magic, "Unable to read the file count."},
        {"offset of 2 GB or more", "STUB" + be32(0x80000000u) + magic, "Invalid file index offset."},
        {"offset into the trailer", "STUB" + be32(9) + magic, "Unable to read the file count."},
        {"one entry", withIndex(be32(1) + record(6, 4, 3, 0, "setup.jar")), "ok 1"},
        {"type 8", withIndex(be32(1) + record(8, 0, 0, 0, "x")), "Invalid file type in file index."},
        {"type 255", withIndex(be32(1) + record(255, 0, 0, 0, "x")), "Invalid file type in file index."},
        {"count above the records", withIndex(be32(2) + record(0, 0, 0, 0, "a")), "Unable to load file length."},
        {"count 2^31-1", withIndex(be32(0x7FFFFFFFu) + record(0, 0, 0, 0, "a")), "Unable to load file length."},
        {"name runs into the end", withIndex(be32(1) + record(0, 0, 0, 0, "").substr(0, 13) + be16(0xFFFF)),
         "Unable to load the string value."},
    };
    for (const auto& r : rows) EXPECT_EQ(readIndexOf(r.bytes), r.result) << r.what;
}

// Each field of a record cut short reports its own message.
TEST(FileIndexFormat, TruncatedRecords) {
    const std::string full = record(2, 7, 100, 200, "launch.txt");
    struct Row { std::size_t keep; const char* message; } rows[] = {
        {0, "Invalid file type in file index."},  {1, "Unable to load file id."},
        {4, "Unable to load file id."},           {5, "Unable to load file length."},
        {9, "Unable to load offset to file bytes."}, {13, "Unable to load the string value."},
        {14, "Unable to load the string value."}, {20, "Unable to load the string value."},
    };
    for (const auto& r : rows) {
        writeFileBytes(SCRATCH, full.substr(0, r.keep));
        std::FILE* f = std::fopen(SCRATCH, "rb");
        ASSERT_NE(f, nullptr);
        FileEntry e;
        std::string message = "(none)";
        try {
            readEntryRecord(f, e);
        } catch (const LauncherException& ex) {
            message = ex.message();
        }
        std::fclose(f);
        EXPECT_EQ(message, r.message) << r.keep;
    }
}

TEST(FileIndexFormat, RecordFieldsAndNameWithLineFeed) {
    std::vector<std::unique_ptr<FileEntry>> entries;
    std::string index = be32(2) + record(7, 0xFFFFFFFEu, 0x7FFFFFFFu, 12, "second.exe") + record(1, 3, 0, 0, "a\nb");
    // The line feed ends the second name; its last byte then reads as
    // nothing more, since the count is used up.
    ASSERT_EQ(readIndexOf(withIndex(index), &entries), "ok 2");
    EXPECT_EQ(entries[0]->type, FT_EMBEDDED_LAUNCHER);
    EXPECT_EQ(entries[0]->id, -2);
    EXPECT_EQ(entries[0]->length, 0x7FFFFFFF);
    EXPECT_EQ(entries[0]->offset, 12);
    EXPECT_EQ(entries[0]->name, "second.exe");
    EXPECT_EQ(entries[1]->name, "a\n");
    EXPECT_EQ(entryLogRecord(*entries[0]),
              "file type: 7\n  file id: -2\n  length: 2147483647\n  offset: 12\n  file name: second.exe");
}

TEST(FileIndexFormat, WriterRoundTrip) {
    std::vector<Embedded> files = {
        {5, 0, "Verify.jar", "PK-verify"}, {0, 1, "instructions.txt", "INSTRUCTIONS:\n/:\n"},
        {2, 2, "launch.txt", "DESC: x\n"}, {4, 3, "", std::string(70000, 'j')},
        {6, 4, "setup.jar", ""},
    };
    std::vector<std::unique_ptr<FileEntry>> entries;
    std::string image = launcherImage(files);
    ASSERT_EQ(readIndexOf(image, &entries), "ok 5");
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(entries[i]->type, files[i].type);
        EXPECT_EQ(entries[i]->id, files[i].id);
        EXPECT_EQ(entries[i]->name, files[i].name);
        EXPECT_EQ(image.substr(static_cast<std::size_t>(entries[i]->offset), static_cast<std::size_t>(entries[i]->length)),
                  files[i].bytes);
    }
}

std::string le32(std::uint32_t v) {
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return out;
}

// A PE32 header of 0x200 bytes whose security directory names a certificate
// table, then one index entry and the trailer, then pad zero bytes, then the
// table (tail bytes follow it when the table is not the end of the file).
std::string signedImage(int pad, std::uint32_t tableSize = 24, const std::string& tail = "") {
    std::string h(0x200, '\0');
    h[0] = 'M', h[1] = 'Z';
    h.replace(0x3C, 4, le32(0x40));
    h.replace(0x40, 4, std::string("PE\0\0", 4));
    h.replace(0x54, 2, std::string("\xE0\0", 2));  // optional header of 224 bytes at 0x58
    h.replace(0x58, 2, std::string("\x0B\x01", 2));
    h.replace(0x58 + 92, 4, le32(16));
    std::string body = h + be32(1) + record(6, 0, 3, 0x200, "app.jar");
    body += be32(0x200) + be32(LAUNCHER_MAGIC) + std::string(static_cast<std::size_t>(pad), '\0');
    h = body;
    h.replace(0x58 + 96 + 4 * 8, 8, le32(static_cast<std::uint32_t>(body.size())) + le32(tableSize));
    return h + std::string(tableSize, 'S') + tail;
}

// A signed launcher: the trailer ends before the certificate table and the
// zero padding that aligns it; anything else stays without an index.
TEST(FileIndexFormat, SignedFiles) {
    struct Row { const char* what; std::string bytes; const char* result; } rows[] = {
        {"no padding", signedImage(0), "ok 1"},
        {"seven bytes of padding", signedImage(7), "ok 1"},
        {"eight zero bytes are not padding", signedImage(8), "none"},
        {"table not at the end", signedImage(0, 24, "x"), "none"},
        {"a table of size 0 is no signature", signedImage(0, 0, "SSSS"), "none"},
        {"not a PE file", "ZM" + signedImage(0).substr(2), "none"},
    };
    for (const auto& r : rows) EXPECT_EQ(readIndexOf(r.bytes), r.result) << r.what;
}

TEST(FileIndexFormat, TypeNames) {
    struct Row { const char* name; int type; } rows[] = {
        {"instructions", 0},   {"jvm-file", 1},       {"launch-script", 2},
        {"classpath-archive", 3}, {"jvm-installer", 4}, {"verify-archive", 5},
        {"application-archive", 6}, {"embedded-launcher", 7}, {"0", 0},
        {"7", 7},              {"8", -1},             {"Instructions", -1},
        {"", -1},              {"07", -1},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(fileTypeFromName(r.name), r.type) << r.name;
        if (r.type >= 0 && r.name[0] > '9') {
            EXPECT_EQ(fileTypeName(r.type), r.name);
        }
    }
    EXPECT_EQ(fileTypeName(8), "");
}

}  // namespace

}  // namespace mg
