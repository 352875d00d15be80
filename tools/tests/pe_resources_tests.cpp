#include <gtest/gtest.h>

#include <algorithm>
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

// ----- the product's name in the string tables -----

std::string block(const std::vector<std::pair<int, std::u16string>>& strings) {
    std::vector<std::u16string> all(16);
    for (const auto& s : strings) all[static_cast<std::size_t>(s.first % 16)] = s.second;
    return encodeStringBlock(all);
}

std::u16string stringOf(const std::vector<Resource>& resources, int id, std::uint16_t language) {
    for (const Resource& r : resources)
        if (r.type.id == RT_STRING_ID && r.name.id == id / 16 + 1 && r.language == language)
            return readStringBlock(r.data)[static_cast<std::size_t>(id % 16)];
    return u"(no table)";
}

// The launcher's tables as they are shaped: English (9) and German (7), the
// name in string 31 of block 2, strings 32 to 35 in block 3, block 1 without
// the name.
std::vector<Resource> launcherTables() {
    std::vector<Resource> tables;
    for (auto language : {std::uint16_t(9), std::uint16_t(7)}) {
        const bool en = language == 9;
        tables.push_back(resource(6, u"", 1, language, block({{1, u"LauncherMain"}, {2, u"Initializing %1!s!..."}})));
        tables.push_back(resource(6, u"", 2, language,
                                  block({{17, u"No drives"},
                                         {31, en ? u"Marrowgate\u00AE is preparing the Marrowgate Wizard, which\n..."
                                                 : u"Marrowgate\u00AE bereitet den Marrowgate-Assistenten vor"}})));
        tables.push_back(resource(6, u"", 3, language, block({{32, u"Cancel"}, {35, u"Canceled by the user."}})));
    }
    return tables;
}

// String 31 names the product where it named the launcher, without the
// launcher's registered mark; string 41 (the message boxes' caption) is the
// name as given, while the static text doubles an ampersand; other strings
// and blocks stay as they were.
TEST(StringTables, TheNameInEveryLanguage) {
    struct Row { std::u16string name, english, german; } rows[] = {
        {u"Acme", u"Acme is preparing the Acme Wizard, which\n...", u"Acme bereitet den Acme-Assistenten vor"},
        {u"Ωmega Sampler™", u"Ωmega Sampler™ is preparing the Ωmega Sampler™ Wizard, which\n...",
         u"Ωmega Sampler™ bereitet den Ωmega Sampler™-Assistenten vor"},
        {u"AT&T \U0001F680", u"AT&&T \U0001F680 is preparing the AT&&T \U0001F680 Wizard, which\n...",
         u"AT&&T \U0001F680 bereitet den AT&&T \U0001F680-Assistenten vor"},
        // A name holding the launcher's is put in once, not again and again.
        {u"Marrowgate Pro", u"Marrowgate Pro is preparing the Marrowgate Pro Wizard, which\n...",
         u"Marrowgate Pro bereitet den Marrowgate Pro-Assistenten vor"},
    };
    for (const Row& r : rows) {
        const std::vector<Resource> before = launcherTables();
        std::vector<Resource> tables = before;
        brandStringTables(tables, r.name);
        ASSERT_EQ(tables.size(), before.size());
        EXPECT_EQ(stringOf(tables, 31, 9), r.english);
        EXPECT_EQ(stringOf(tables, 31, 7), r.german);
        for (auto language : {std::uint16_t(9), std::uint16_t(7)}) {
            EXPECT_EQ(stringOf(tables, 41, language), r.name);
            EXPECT_EQ(stringOf(tables, 35, language), u"Canceled by the user.");
            EXPECT_EQ(stringOf(tables, 17, language), u"No drives");
        }
        EXPECT_EQ(tables[0].data, before[0].data);
        EXPECT_EQ(tables[3].data, before[3].data);
    }
}

TEST(StringTables, RefusedNames) {
    struct Row { std::string name; const char* problem; } rows[] = {
        {"Acme", ""},
        {std::string(40, 'x'), ""},
        {"\xE4\xB8\xAD\xE6\x96\x87", ""},                                       // 中文: 2 characters, 6 bytes
        {"", "is empty"},
        {std::string(41, 'x'), "is 41 characters long, more than the 40 the progress window has room for"},
        {"Acme\nSampler", "holds a control character"},
        {"Acme\xC2\x85", "holds a control character"},                           // U+0085, a C1 control
        {"Acme \xFF", "is not UTF-8 text"},
    };
    std::string cjk;
    for (int i = 0; i < 40; ++i) cjk += "\xE4\xB8\xAD";
    EXPECT_EQ(productNameProblem(cjk), "");
    EXPECT_EQ(productNameProblem(cjk + "\xE4\xB8\xAD"), "is 41 characters long, more than the 40 the progress window has room for");
    for (const Row& r : rows) EXPECT_EQ(productNameProblem(r.name), r.problem) << r.name;
}

// A table whose lengths run past its data, and a stub whose texts do not
// name the launcher, are refused: nothing would say the product's name.
TEST(StringTables, RefusedTables) {
    std::vector<Resource> damaged = launcherTables();
    damaged[4].data.resize(damaged[4].data.size() - 1);
    try {
        brandStringTables(damaged, u"Acme");
        ADD_FAILURE() << "a damaged table was taken";
    } catch (const PackError& e) {
        EXPECT_EQ(e.message, "the stub's string table 2 (language 7) is damaged");
    }
    std::vector<Resource> unnamed = {resource(6, u"", 3, 9, block({{32, u"Cancel"}}))};
    EXPECT_THROW(brandStringTables(unnamed, u"Acme"), PackError);
    // A language without block 3 gets one, holding the caption alone.
    std::vector<Resource> onlyIntro = {resource(6, u"", 2, 9, block({{31, u"Marrowgate\u00AE"}}))};
    brandStringTables(onlyIntro, u"Acme");
    ASSERT_EQ(onlyIntro.size(), 2u);
    EXPECT_EQ(stringOf(onlyIntro, 41, 9), u"Acme");
    EXPECT_EQ(stringOf(onlyIntro, 32, 9), u"");
}

// Branding without a product name (no --product-name, no ProductName)
// leaves every table's bytes as they were; ProductName names the product;
// --product-name wins over it.
TEST(StringTables, WhichNameTheTextsTake) {
    std::ofstream("string_tables_test.manifest") << "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" "
                                                    "manifestVersion=\"1.0\"></assembly>";
    struct Row { std::vector<std::pair<std::string, std::string>> versionInfo; const char* productName;
                 std::u16string intro; } rows[] = {
        {{}, nullptr, u"Marrowgate\u00AE is preparing the Marrowgate Wizard, which\n..."},
        {{{"CompanyName", "Acme Ltd"}}, nullptr, u"Marrowgate\u00AE is preparing the Marrowgate Wizard, which\n..."},
        {{{"ProductName", "Sampler"}}, nullptr, u"Sampler is preparing the Sampler Wizard, which\n..."},
        {{{"ProductName", "Sampler 2026 Professional"}}, "Sampler", u"Sampler is preparing the Sampler Wizard, which\n..."},
    };
    for (const Row& r : rows) {
        std::string image = bareImage();
        writeResources(image, launcherTables());
        Branding branding;
        branding.manifestPath = "string_tables_test.manifest";
        branding.versionInfo = r.versionInfo;
        if (r.productName) branding.productNameGiven = true, branding.productName = r.productName;
        applyBranding(image, branding);
        std::vector<Resource> tables = readResources(image);
        tables.erase(std::remove_if(tables.begin(), tables.end(), [](const Resource& t) { return t.type.id != 6; }),
                     tables.end());
        EXPECT_EQ(stringOf(tables, 31, 9), r.intro);
        if (r.intro[0] != u'M') continue;
        for (const Resource& t : launcherTables())  // byte for byte
            EXPECT_TRUE(std::any_of(tables.begin(), tables.end(), [&](const Resource& read) {
                return read.name == t.name && read.language == t.language && read.data == t.data;
            })) << t.name.id << " " << t.language;
    }
    // The name from ProductName is checked as --product-name is.
    std::string image = bareImage();
    writeResources(image, launcherTables());
    Branding tooLong;
    tooLong.versionInfo = {{"ProductName", std::string(41, 'x')}};
    try {
        applyBranding(image, tooLong);
        ADD_FAILURE() << "a name of 41 characters was taken";
    } catch (const PackError& e) {
        EXPECT_EQ(e.message, "the product name, which the launcher's texts take from --version-info ProductName, is 41 "
                             "characters long, more than the 40 the progress window has room for (--product-name "
                             "gives them another)");
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
