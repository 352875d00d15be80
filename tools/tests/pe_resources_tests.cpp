#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <new>
#include <stdexcept>

#include "tools/pack.h"
#include "tools/pe_image.h"
#include "tools/pe_resources.h"
#include "tools/tests/stub_image.h"

namespace mg {

namespace {

Resource resource(std::uint16_t type, const std::u16string& name, std::uint16_t id, std::uint16_t language,
                  std::string data) {
    Resource r;
    r.type.id = type;
    r.name.text = name;
    r.name.id = name.empty() ? id : 0;
    r.language = language;
    r.codePage = 1252;
    r.data = std::move(data);
    return r;
}

bool sameResources(const std::vector<Resource>& a, const std::vector<Resource>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(a[i].type == b[i].type) || !(a[i].name == b[i].name) || a[i].language != b[i].language ||
            a[i].codePage != b[i].codePage || a[i].data != b[i].data)
            return false;
    return true;
}

// The tree written comes back as written, in the order Windows searches it
// (names before numbers, then by number and language); a second write fits
// the section the first one made and changes nothing.
TEST(PeResources, WriteThenReadBack) {
    std::vector<Resource> written = {
        resource(6, u"", 2, 9, "strings-en"),        resource(6, u"", 2, 7, "strings-de"),
        resource(5, u"", 101, 9, std::string(1001, 'd')), resource(10, u"SPLASH", 0, 0, "named"),
        resource(24, u"", 1, 0, "<assembly/>"),
    };
    std::string image = bareImage();
    writeResources(image, written);
    std::vector<Resource> read = readResources(image);
    ASSERT_TRUE(sameResources(read, {written[2], written[1], written[0], written[3], written[4]}));

    PeImage pe(image);
    ASSERT_EQ(pe.sections.size(), 1u);
    EXPECT_EQ(pe.sections[0].name, ".rsrc");
    EXPECT_EQ(getLE32(image, pe.imageSizePosition()), 0x2000u);
    EXPECT_EQ(getLE32(image, pe.checksumPosition()), peChecksum(image, pe.checksumPosition()));
    std::string again = image;
    writeResources(again, read);
    EXPECT_EQ(again, image);
}

// A dotted numeric version gives the fixed version; other texts leave it 0.
TEST(PeResources, FixedVersionFromTheTexts) {
    struct Row { const char* file; const char* product; std::uint32_t fileMs, fileLs, productMs, productLs; } rows[] = {
        {"2.3.4.5", nullptr, 0x20003, 0x40005, 0x20003, 0x40005},
        {"2.3", "7.0.1", 0x20003, 0, 0x70000, 0x10000},
        {"2.3 beta", nullptr, 0, 0, 0, 0},
        {"1.2.3.4.5", nullptr, 0, 0, 0, 0},
        {"65536.0", nullptr, 0, 0, 0, 0},
    };
    for (const auto& r : rows) {
        std::vector<std::pair<std::string, std::string>> strings = {{"FileVersion", r.file}};
        if (r.product) strings.emplace_back("ProductVersion", r.product);
        std::string info = encodeVersionInfo(strings);
        EXPECT_EQ(getLE16(info, 0), info.size()) << r.file;
        ASSERT_EQ(getLE32(info, 40), 0xFEEF04BDu) << r.file;  // after "VS_VERSION_INFO" and padding
        EXPECT_EQ(getLE32(info, 48), r.fileMs) << r.file;
        EXPECT_EQ(getLE32(info, 52), r.fileLs) << r.file;
        EXPECT_EQ(getLE32(info, 56), r.productMs) << r.file;
        EXPECT_EQ(getLE32(info, 60), r.productLs) << r.file;
    }
}

std::string refusal(const std::string& contents, bool icon) {
    const char* path = icon ? "pe_resources_test.ico" : "pe_resources_test.manifest";
    std::ofstream(path, std::ios::binary) << contents;
    try {
        if (icon)
            readIcon(path);
        else
            checkedManifest(path);
    } catch (const PackError& e) {
        return e.message.substr(e.message.find(": ") + 2);
    }
    return "(accepted)";
}

TEST(PeResources, RefusedManifests) {
    const std::string root = "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">";
    struct Row { std::string text; const char* problem; } rows[] = {
        {root + "<!-- fine --><trustInfo/></assembly>", "(accepted)"},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>" + root + "</assembly>", "(accepted)"},
        {root + "<trustInfo></assembly>", "</assembly> does not close the open element"},
        {root, "<assembly> is not closed"},
        {"<assembly manifestVersion=\"1.0\"></assembly>", "<assembly> is not in the urn:schemas-microsoft-com:asm.v1 namespace"},
        {"<html></html>", "the root element is not <assembly>"},
        {root + "</assembly><assembly/>", "more than one root element"},
        {"plain text", "no root element"},
        {root + "\xFF</assembly>", "it is not UTF-8 text"},
    };
    for (const auto& r : rows) EXPECT_EQ(refusal(r.text, false), r.problem) << r.text;
}

TEST(PeResources, RefusedIcons) {
    auto icon = [](std::uint32_t size, std::uint32_t offset, const std::string& image) {
        std::string h(6 + 16, '\0');
        putLE16(h, 2, 1);
        putLE16(h, 4, 1);
        putLE32(h, 6 + 8, size);
        putLE32(h, 6 + 12, offset);
        return h + image;
    };
    std::string bitmap(40, '\0');
    putLE32(bitmap, 0, 40);
    struct Row { std::string bytes; const char* problem; } rows[] = {
        {icon(40, 22, bitmap), "(accepted)"},
        {icon(48, 22, "\x89PNG\r\n\x1A\n" + std::string(40, 'p')), "(accepted)"},
        {"not an icon", "no icon header"},
        {icon(40, 22, bitmap).substr(0, 6), "it holds no image"},
        {icon(40, 30, bitmap), "image 1 lies outside the file"},
        {icon(40, 22, std::string(40, 'x')), "image 1 is neither a bitmap nor a PNG"},
    };
    putLE16(rows[3].bytes, 4, 0);
    for (const auto& r : rows) EXPECT_EQ(refusal(r.bytes, true), r.problem);
}

// Fields a damaged file sets near 2^32: a 32-bit size_t (mgpack.exe) would
// wrap their sums past the bounds. Each must end in a PackError, never in
// std::out_of_range (an abort) nor in silently read bytes.
TEST(PeResources, DamagedIconsNearTwoToThe32) {
    auto icon = [](std::uint32_t size, std::uint32_t offset) {
        std::string h(6 + 16, '\0');
        putLE16(h, 2, 1);
        putLE16(h, 4, 1);
        putLE32(h, 6 + 8, size);
        putLE32(h, 6 + 12, offset);
        std::string bitmap(40, '\0');
        putLE32(bitmap, 0, 40);
        return h + bitmap;
    };
    struct Row { std::uint32_t size, offset; } rows[] = {
        {0x30, 0xFFFFFFF0u},        // the end wraps to 0x20: substr would throw
        {0xFFFFFFF0u, 22},          // the end wraps to 6; the image would be cut to what is there
        {40, 0xFFFFFFFFu},          // the end wraps to 39
        {0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (const Row& r : rows) {
        try {
            iconImages(icon(r.size, r.offset), "damaged.ico");
            ADD_FAILURE() << "accepted size " << r.size << " at " << r.offset;
        } catch (const PackError& e) {
            EXPECT_EQ(e.message, "damaged.ico is not a usable icon file: image 1 lies outside the file");
        }
    }
}

// One resource written into bareImage: the tree sits at file position 0x400
// (RVA 0x1000): root, type and name directories of one entry each, then the
// data entry at 72 and the data at 88.
constexpr std::size_t TREE = 0x400, SECTION_HEADER = 0x58 + 224, RESOURCE_DIRECTORY = 0x58 + 96 + 2 * 8;

TEST(PeResources, DamagedTreesNearTwoToThe32) {
    struct Patch { std::size_t at; std::uint32_t value; };
    struct Row { const char* what; std::vector<Patch> patches; } rows[] = {
        // The data's end wraps to just before it: substr would take the rest of the file.
        {"data size", {{TREE + 76, 0xFFFFFFF0u}}},
        {"data far beyond the file", {{TREE + 72, 0xFFFFFFF0u}}},
        // A section placed below its file position: the data's position
        // itself wraps, to 0x58, into the headers.
        {"data position", {{SECTION_HEADER + 12, 0x200}, {RESOURCE_DIRECTORY, 0x200}, {TREE + 72, 0xFFFFFE58u}}},
        {"type directory", {{TREE + 20, 0xFFFFFFFFu}}},
        {"type name string", {{TREE + 16, 0xFFFFFFFEu}}},
        {"language entry", {{TREE + 68, 0x7FFFFFFCu}}},
        {"section's file position", {{SECTION_HEADER + 20, 0xFFFFFE00u}}},
        {"section's address", {{SECTION_HEADER + 12, 0xFFFFF000u}}},
        {"PE header position", {{0x3C, 0xFFFFFFFEu}}},
        {"section table", {{0x44, 0xFFFF0000u}}},  // 65,535 sections
    };
    std::string sound = bareImage();
    writeResources(sound, {resource(24, u"", 1, 0, "<assembly/>")});
    ASSERT_EQ(readResources(sound).size(), 1u);
    ASSERT_EQ(getLE32(sound, TREE + 72), 0x1000u + 88);
    for (const Row& r : rows) {
        std::string image = sound;
        for (const Patch& p : r.patches) putLE32(image, p.at, p.value);
        EXPECT_THROW(readResources(image), PackError) << r.what;
    }
}

// Rewriting the resources of a damaged image fails before it writes outside
// the image or over its headers, or pads it by gigabytes. The small tree
// fits the old section; the large one needs a new section.
TEST(PeResources, DamagedImagesAreNotRewritten) {
    const std::size_t small = 11, large = 0x1000;
    struct Row { const char* what; std::size_t at; std::uint32_t value; std::size_t data; } rows[] = {
        {"a section running past the end of the file", SECTION_HEADER + 16, 0x10000, small},
        {"the resource section laid over the headers", SECTION_HEADER + 20, 0x100, small},
        {"a file alignment of 2 GB", 0x58 + 36, 0x80000000u, large},
        {"a file alignment that is no power of two", 0x58 + 36, 0x300, large},
        {"no address space left", SECTION_HEADER + 12, 0xFFFFE000u, large},
    };
    std::string sound = bareImage();
    writeResources(sound, {resource(24, u"", 1, 0, "<assembly/>")});
    for (const Row& r : rows) {
        std::string image = sound;
        putLE32(image, r.at, r.value);
        const std::string before = image;
        EXPECT_THROW(writeResources(image, {resource(24, u"", 1, 0, std::string(r.data, 'm'))}), PackError) << r.what;
        EXPECT_EQ(image, before) << r.what;
    }
}

// What mgpack's main reports: PackError as the tool's own refusal, anything
// else as an internal error, never an abort.
TEST(PackExit, ExceptionsBecomeMessagesAndStatus) {
    struct Row { std::function<int()> command; int status; const char* message; } rows[] = {
        {[] { return 0; }, 0, ""},
        {[]() -> int { throw PackError{"x.ico is not a usable icon file: no icon header"}; }, 1,
         "mgpack: x.ico is not a usable icon file: no icon header\n"},
        {[]() -> int { throw std::out_of_range("basic_string::substr"); }, 2,
         "mgpack: internal error (basic_string::substr)\n"},
        {[]() -> int { throw std::bad_alloc(); }, 2, "mgpack: not enough memory\n"},
        {[]() -> int { throw 42; }, 2, "mgpack: internal error\n"},
    };
    for (const Row& r : rows) {
        testing::internal::CaptureStderr();
        int status = exitStatusOf(r.command);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), r.message);
        EXPECT_EQ(status, r.status) << r.message;
    }
}

}  // namespace

}  // namespace mg
