#include "tools/pe_resources.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "tools/pack.h"
#include "tools/pe_image.h"

namespace mg {

namespace {

constexpr int RESOURCE_DIRECTORY = 2;

[[noreturn]] void fail(const std::string& message) { throw PackError{message}; }

std::size_t alignUp(std::size_t value, std::size_t alignment) { return (value + alignment - 1) / alignment * alignment; }
// For addresses and sizes from a file's headers, which a 32-bit size_t would
// wrap.
std::uint64_t alignUp64(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

std::string readFileBytes(const std::string& path, const char* what) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) fail(std::string("cannot read the ") + what + " " + path + ": " + std::strerror(errno));
    std::string bytes;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        bytes.append(buffer, got);
        if (bytes.size() > 16u * 1024 * 1024) {
            std::fclose(f);
            fail(path + " is larger than 16 MB");
        }
    }
    bool error = std::ferror(f) != 0;
    std::fclose(f);
    if (error) fail(std::string("cannot read the ") + what + " " + path);
    return bytes;
}

// UTF-8 to UTF-16; false on a malformed sequence.
bool toUtf16(const std::string& in, std::u16string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size();) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= in.size()) return false;
        std::uint32_t cp = extra == 0 ? c : (c & (0x3Fu >> extra));
        for (int k = 1; k <= extra; ++k) {
            unsigned char d = static_cast<unsigned char>(in[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3Fu);
        }
        static const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += 1 + static_cast<std::size_t>(extra);
    }
    return true;
}

void appendLE16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void appendLE32(std::string& out, std::uint32_t v) {
    appendLE16(out, v & 0xFFFF);
    appendLE16(out, v >> 16);
}
void appendUtf16z(std::string& out, const std::u16string& text) {
    for (char16_t c : text) appendLE16(out, c);
    appendLE16(out, 0);
}

// ----- reading the tree -----

// Offsets in the tree are 31-bit fields, added up in 64 bits (within()).
struct TreeReader {
    const std::string& image;
    std::uint64_t base;     // file position of the section's resource tree
    std::uint32_t rva;      // its RVA
    std::uint64_t limit;    // end of the tree's bytes in the file
    std::vector<Resource> out;
    // Entries may share directories, so a small damaged tree can name
    // billions of entries: a sound tree's entries are each visited once and
    // its data fits the section.
    std::uint64_t visited = 0, dataTotal = 0;

    std::uint32_t at32(std::uint64_t offset) const {
        if (!within(base + offset, 4, limit)) fail("the stub's resources are damaged");
        return getLE32(image, base + offset);
    }
    std::uint16_t at16(std::uint64_t offset) const {
        if (!within(base + offset, 2, limit)) fail("the stub's resources are damaged");
        return getLE16(image, base + offset);
    }

    ResourceKey key(std::uint32_t field) const {
        ResourceKey k;
        if (field & 0x80000000u) {
            std::uint64_t offset = field & 0x7FFFFFFFu;
            std::uint16_t n = at16(offset);
            for (std::uint16_t i = 0; i < n; ++i) k.text.push_back(static_cast<char16_t>(at16(offset + 2 + 2u * i)));
        } else {
            k.id = static_cast<std::uint16_t>(field);
        }
        return k;
    }

    // level 0: types, 1: names, 2: languages.
    void directory(std::uint64_t offset, int level, const Resource& current) {
        if (level > 2) fail("the stub's resources are damaged");
        std::uint64_t count = std::uint64_t(at16(offset + 12)) + at16(offset + 14);
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint64_t entry = offset + 16 + 8 * i;
            if (++visited > 0x40000) fail("the stub's resources are damaged");
            std::uint32_t nameField = at32(entry), target = at32(entry + 4);
            Resource r = current;
            if (level == 0) r.type = key(nameField);
            if (level == 1) r.name = key(nameField);
            if (level == 2) r.language = static_cast<std::uint16_t>(nameField);
            if (target & 0x80000000u) {
                std::uint64_t sub = target & 0x7FFFFFFFu;
                if (sub <= offset) fail("the stub's resources are damaged");  // no loops
                directory(sub, level + 1, r);
            } else {
                if (level != 2) fail("the stub's resources are damaged");
                std::uint32_t dataRva = at32(target), size = at32(target + 4);
                r.codePage = at32(target + 8);
                std::uint64_t at = base + (dataRva - std::uint64_t(rva));
                if (dataRva < rva || !within(at, size, limit)) fail("the stub's resources are damaged");
                dataTotal += size;
                if (dataTotal > limit - base) fail("the stub's resources are damaged");
                r.data = image.substr(static_cast<std::size_t>(at), size);
                out.push_back(std::move(r));
            }
        }
    }
};

const PeSection* sectionOf(const PeImage& pe, std::uint32_t rva) {
    for (const PeSection& s : pe.sections)
        if (rva >= s.virtualAddress && rva < std::uint64_t(s.virtualAddress) + std::max(s.virtualSize, s.rawSize))
            return &s;
    return nullptr;
}

// ----- writing the tree -----

// Named entries first, by name; then numbered ones, by number.
bool keyLess(const ResourceKey& a, const ResourceKey& b) {
    if (a.text.empty() != b.text.empty()) return !a.text.empty();
    if (!a.text.empty()) return a.text < b.text;
    return a.id < b.id;
}

std::string encodeTree(const std::vector<Resource>& sorted, std::uint32_t rva) {
    // Group into types -> names -> languages, keeping the sorted order.
    struct Name { ResourceKey key; std::vector<const Resource*> languages; };
    struct Type { ResourceKey key; std::vector<Name> names; };
    std::vector<Type> types;
    for (const Resource& r : sorted) {
        if (types.empty() || !(types.back().key == r.type)) types.push_back({r.type, {}});
        auto& names = types.back().names;
        if (names.empty() || !(names.back().key == r.name)) names.push_back({r.name, {}});
        names.back().languages.push_back(&r);
    }
    auto dirSize = [](std::size_t n) { return 16 + 8 * n; };
    // Layout: root, type directories, name directories, data entries,
    // name strings, data.
    std::size_t pos = dirSize(types.size());
    std::vector<std::size_t> typeDir, nameDir;
    for (const Type& t : types) typeDir.push_back(pos), pos += dirSize(t.names.size());
    for (const Type& t : types)
        for (const Name& n : t.names) nameDir.push_back(pos), pos += dirSize(n.languages.size());
    std::size_t dataEntries = pos;
    pos += 16 * sorted.size();
    std::map<std::u16string, std::size_t> strings;
    for (const Type& t : types) {
        if (!t.key.text.empty() && !strings.count(t.key.text)) strings[t.key.text] = 0;
        for (const Name& n : t.names)
            if (!n.key.text.empty() && !strings.count(n.key.text)) strings[n.key.text] = 0;
    }
    for (auto& s : strings) s.second = pos, pos += 2 + 2 * s.first.size();
    std::vector<std::size_t> dataAt;
    for (const Resource& r : sorted) {
        pos = alignUp(pos, 8);
        dataAt.push_back(pos);
        pos += r.data.size();
    }
    std::string out(alignUp(pos, 8), '\0');

    auto header = [&](std::size_t at, const auto& items) {
        std::uint16_t named = 0, numbered = 0;
        for (const auto& i : items) (i.key.text.empty() ? numbered : named)++;
        putLE16(out, at + 12, named);
        putLE16(out, at + 14, numbered);
    };
    auto keyField = [&](const ResourceKey& k) -> std::uint32_t {
        return k.text.empty() ? k.id : 0x80000000u | static_cast<std::uint32_t>(strings[k.text]);
    };
    header(0, types);
    std::size_t nameIndex = 0, resourceIndex = 0;
    for (std::size_t ti = 0; ti < types.size(); ++ti) {
        putLE32(out, 16 + 8 * ti, keyField(types[ti].key));
        putLE32(out, 16 + 8 * ti + 4, 0x80000000u | static_cast<std::uint32_t>(typeDir[ti]));
        header(typeDir[ti], types[ti].names);
        for (std::size_t ni = 0; ni < types[ti].names.size(); ++ni, ++nameIndex) {
            const Name& n = types[ti].names[ni];
            std::size_t e = typeDir[ti] + 16 + 8 * ni;
            putLE32(out, e, keyField(n.key));
            putLE32(out, e + 4, 0x80000000u | static_cast<std::uint32_t>(nameDir[nameIndex]));
            putLE16(out, nameDir[nameIndex] + 14, static_cast<std::uint16_t>(n.languages.size()));
            for (std::size_t li = 0; li < n.languages.size(); ++li, ++resourceIndex) {
                const Resource& r = *n.languages[li];
                std::size_t le = nameDir[nameIndex] + 16 + 8 * li;
                std::size_t de = dataEntries + 16 * resourceIndex;
                putLE32(out, le, r.language);
                putLE32(out, le + 4, static_cast<std::uint32_t>(de));
                putLE32(out, de, rva + static_cast<std::uint32_t>(dataAt[resourceIndex]));
                putLE32(out, de + 4, static_cast<std::uint32_t>(r.data.size()));
                putLE32(out, de + 8, r.codePage);
                std::copy(r.data.begin(), r.data.end(), out.begin() + static_cast<std::ptrdiff_t>(dataAt[resourceIndex]));
            }
        }
    }
    for (const auto& s : strings) {
        putLE16(out, s.second, static_cast<std::uint16_t>(s.first.size()));
        for (std::size_t i = 0; i < s.first.size(); ++i) putLE16(out, s.second + 2 + 2 * i, s.first[i]);
    }
    return out;
}

// ----- version information -----

// One VS_VERSIONINFO node: length, value length, type, key, value, children.
std::string versionNode(const std::u16string& key, const std::string& value, std::uint16_t valueLength, bool text,
                        const std::string& children) {
    std::string node(6, '\0');
    appendUtf16z(node, key);
    node.resize(alignUp(node.size(), 4), '\0');
    node += value;
    if (!children.empty()) node.resize(alignUp(node.size(), 4), '\0'), node += children;
    putLE16(node, 0, static_cast<std::uint16_t>(node.size()));
    putLE16(node, 2, valueLength);
    putLE16(node, 4, text ? 1 : 0);
    return node;
}

std::u16string u16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// "2.3.4.5" -> the two DWORDs of a fixed version; false unless one to four
// dot-separated numbers of 0 to 65535.
bool numericVersion(const std::string& text, std::uint32_t& ms, std::uint32_t& ls) {
    std::uint32_t parts[4] = {0, 0, 0, 0};
    int count = 0;
    std::size_t i = 0;
    while (true) {
        if (count == 4 || i >= text.size() || text[i] < '0' || text[i] > '9') return false;
        std::uint32_t v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            v = v * 10 + static_cast<std::uint32_t>(text[i++] - '0');
            if (v > 65535) return false;
        }
        parts[count++] = v;
        if (i == text.size()) break;
        if (text[i++] != '.') return false;
    }
    ms = (parts[0] << 16) | parts[1];
    ls = (parts[2] << 16) | parts[3];
    return true;
}

const char* const VERSION_NAMES[] = {"Comments",         "CompanyName",     "FileDescription", "FileVersion",
                                     "InternalName",     "LegalCopyright",  "LegalTrademarks", "OriginalFilename",
                                     "PrivateBuild",     "ProductName",     "ProductVersion",  "SpecialBuild"};

// ----- manifest check -----

// A small well-formedness check: balanced elements, an <assembly> root in
// the side-by-side namespace. Not a full XML parser; enough to refuse a
// wrong file before Windows refuses to start the launcher.
std::string manifestProblem(const std::string& text) {
    std::vector<std::string> open;
    std::string root;
    std::size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    bool rootClosed = false;
    while ((i = text.find('<', i)) != std::string::npos) {
        if (text.compare(i, 4, "<!--") == 0) {
            std::size_t end = text.find("-->", i + 4);
            if (end == std::string::npos) return "a comment is not closed";
            i = end + 3;
            continue;
        }
        std::size_t end = text.find('>', i);
        if (end == std::string::npos) return "a tag is not closed";
        std::string tag = text.substr(i + 1, end - i - 1);
        i = end + 1;
        if (!tag.empty() && (tag[0] == '?' || tag[0] == '!')) continue;
        bool closing = !tag.empty() && tag[0] == '/';
        bool empty = !tag.empty() && tag.back() == '/';
        std::string name = tag.substr(closing ? 1 : 0);
        std::size_t nameEnd = name.find_first_of(" \t\r\n/");
        if (nameEnd != std::string::npos) name.resize(nameEnd);
        if (name.empty()) return "an element has no name";
        if (closing) {
            if (open.empty() || open.back() != name) return "</" + name + "> does not close the open element";
            open.pop_back();
            if (open.empty()) rootClosed = true;
            continue;
        }
        if (open.empty()) {
            if (rootClosed) return "more than one root element";
            root = tag;
        }
        if (!empty) open.push_back(name);
        else if (open.empty()) rootClosed = true;
    }
    if (root.empty()) return "no root element";
    if (!open.empty()) return "<" + open.back() + "> is not closed";
    if (root.compare(0, 9, "assembly ") != 0 && root.compare(0, 9, "assembly\t") != 0 &&
        root.compare(0, 9, "assembly\n") != 0 && root.compare(0, 9, "assembly\r") != 0)
        return "the root element is not <assembly>";
    if (root.find("urn:schemas-microsoft-com:asm.v1") == std::string::npos)
        return "<assembly> is not in the urn:schemas-microsoft-com:asm.v1 namespace";
    if (root.find("manifestVersion=\"1.0\"") == std::string::npos && root.find("manifestVersion='1.0'") == std::string::npos)
        return "<assembly> lacks manifestVersion=\"1.0\"";
    return std::string();
}

std::uint16_t languageOf(const std::vector<Resource>& resources, std::uint16_t type, std::uint16_t fallback) {
    for (const Resource& r : resources)
        if (r.type.text.empty() && r.type.id == type) return r.language;
    return fallback;
}

bool isType(const Resource& r, std::uint16_t type) { return r.type.text.empty() && r.type.id == type; }

// ----- string tables -----

[[noreturn]] void damagedStrings(const Resource& r) {
    fail("the stub's string table " + std::to_string(r.name.id) + " (language " + std::to_string(r.language) +
         ") is damaged");
}

std::vector<std::u16string> stringsOf(const Resource& r) {
    try {
        return readStringBlock(r.data);
    } catch (const PackError&) {
        damagedStrings(r);
    }
}

bool isStringBlock(const Resource& r) { return isType(r, RT_STRING_ID) && r.name.text.empty(); }

}  // namespace

std::vector<Resource> readResources(const std::string& image) {
    PeImage pe(image);
    if (pe.directoryCount <= RESOURCE_DIRECTORY) return {};
    std::uint32_t rva = getLE32(image, pe.directoryPosition(RESOURCE_DIRECTORY));
    if (rva == 0) return {};
    const PeSection* s = sectionOf(pe, rva);
    if (!s || rva - s->virtualAddress >= s->rawSize) fail("the stub's resources are damaged");
    std::uint64_t base = std::uint64_t(s->rawPointer) + (rva - s->virtualAddress);
    std::uint64_t limit = std::min<std::uint64_t>(image.size(), std::uint64_t(s->rawPointer) + s->rawSize);
    if (base >= limit) fail("the stub's resources are damaged");
    TreeReader reader{image, base, rva, limit, {}};
    reader.directory(0, 0, Resource());
    return reader.out;
}

void writeResources(std::string& image, std::vector<Resource> resources) {
    std::stable_sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
        if (!(a.type == b.type)) return keyLess(a.type, b.type);
        if (!(a.name == b.name)) return keyLess(a.name, b.name);
        return a.language < b.language;
    });
    PeImage pe(image);
    if (pe.directoryCount <= RESOURCE_DIRECTORY) fail("the stub has no resource directory");
    std::size_t directory = pe.directoryPosition(RESOURCE_DIRECTORY);
    std::uint32_t oldRva = getLE32(image, directory);
    const PeSection* old = oldRva ? sectionOf(pe, oldRva) : nullptr;

    // The old tree is overwritten in place, or a new section is appended
    // after the last byte of the file: the sections must lie within it.
    for (const PeSection& s : pe.sections)
        if (!within(s.rawPointer, s.rawSize, image.size()))
            fail("the stub's headers are damaged: a section runs past the end of the file");
    // In place: the old section holds only the tree, its file bytes are its
    // own (a damaged image may lay them over the headers or another
    // section), and the new tree fits both its file space and the address
    // space before the next section.
    auto ownBytes = [&](const PeSection& section) {
        std::uint64_t begin = section.rawPointer, end = begin + section.rawSize;
        if (begin < pe.headersEnd) return false;
        for (const PeSection& s : pe.sections)
            if (&s != &section && s.rawSize && s.rawPointer < end && begin < std::uint64_t(s.rawPointer) + s.rawSize)
                return false;
        return true;
    };
    if (old && old->virtualAddress == oldRva && ownBytes(*old)) {
        std::uint64_t nextVa = 0x100000000ull;
        for (const PeSection& s : pe.sections)
            if (s.virtualAddress > old->virtualAddress) nextVa = std::min<std::uint64_t>(nextVa, s.virtualAddress);
        std::string tree = encodeTree(resources, oldRva);
        if (tree.size() <= old->rawSize && oldRva + std::uint64_t(tree.size()) <= nextVa) {
            std::fill(image.begin() + old->rawPointer, image.begin() + old->rawPointer + old->rawSize, '\0');
            std::copy(tree.begin(), tree.end(), image.begin() + old->rawPointer);
            putLE32(image, old->headerPosition + 8, static_cast<std::uint32_t>(tree.size()));
            putLE32(image, directory + 4, static_cast<std::uint32_t>(tree.size()));
            refreshChecksum(image);
            return;
        }
    }

    // A new last section.
    std::size_t header = pe.headersEnd;
    std::uint64_t firstRaw = getLE32(image, pe.optionalHeader + 60);  // SizeOfHeaders
    for (const PeSection& s : pe.sections)
        if (s.rawSize) firstRaw = std::min<std::uint64_t>(firstRaw, s.rawPointer);
    if (header + 40 > firstRaw || !within(header, 40, image.size()))
        fail("the stub has no room for another section header");
    for (std::size_t i = header; i < header + 40; ++i)
        if (image[i] != 0) fail("the stub has no room for another section header");
    // A power of two up to 64 KB, as the loader requires: a damaged one
    // would pad the file by up to 4 GB below.
    if (pe.fileAlignment > 0x10000u || (pe.fileAlignment & (pe.fileAlignment - 1)) != 0)
        fail("the stub's headers are damaged: the file alignment is not one the loader takes");
    std::uint64_t va = alignUp64(getLE32(image, pe.optionalHeader + 60), pe.sectionAlignment);
    for (const PeSection& s : pe.sections)
        va = std::max(va, alignUp64(std::uint64_t(s.virtualAddress) + std::max(s.virtualSize, s.rawSize),
                                    pe.sectionAlignment));
    if (va > 0xFFFFFFFFu) fail("the stub has no address space left for another section");
    std::string tree = encodeTree(resources, static_cast<std::uint32_t>(va));
    if (alignUp64(va + tree.size(), pe.sectionAlignment) > 0xFFFFFFFFu)
        fail("the stub has no address space left for another section");
    std::size_t raw = alignUp(image.size(), pe.fileAlignment);
    std::size_t rawSize = alignUp(tree.size(), pe.fileAlignment);
    image.resize(raw, '\0');
    image += tree;
    image.resize(raw + rawSize, '\0');

    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, image.begin() + static_cast<std::ptrdiff_t>(header));
    putLE32(image, header + 8, static_cast<std::uint32_t>(tree.size()));
    putLE32(image, header + 12, static_cast<std::uint32_t>(va));
    putLE32(image, header + 16, static_cast<std::uint32_t>(rawSize));
    putLE32(image, header + 20, static_cast<std::uint32_t>(raw));
    putLE32(image, header + 36, 0x40000040u);  // initialised data, readable
    if (old) {
        // The old tree stays where it was, unused; its name says so.
        const char oldName[8] = {'.', 'r', 's', 'r', 'c', 'o', 'l', 'd'};
        std::copy(oldName, oldName + 8, image.begin() + static_cast<std::ptrdiff_t>(old->headerPosition));
    }
    putLE16(image, pe.sectionCountPosition, static_cast<std::uint16_t>(pe.sections.size() + 1));
    putLE32(image, pe.imageSizePosition(), static_cast<std::uint32_t>(alignUp64(va + tree.size(), pe.sectionAlignment)));
    std::size_t initialised = pe.optionalHeader + 8;
    putLE32(image, initialised, getLE32(image, initialised) + static_cast<std::uint32_t>(rawSize));
    putLE32(image, directory, static_cast<std::uint32_t>(va));
    putLE32(image, directory + 4, static_cast<std::uint32_t>(tree.size()));
    refreshChecksum(image);
}

bool Branding::textName(std::string& name) const {
    if (productNameGiven) {
        name = productName;
        return true;
    }
    for (const auto& v : versionInfo)
        if (v.first == "ProductName") {
            name = v.second;
            return true;
        }
    return false;
}

std::string productNameProblem(const std::string& name) {
    std::u16string wide;
    if (name.empty()) return "is empty";
    if (!toUtf16(name, wide)) return "is not UTF-8 text";
    std::size_t characters = 0;
    for (char16_t c : wide) {
        // A line break or another control character would upset the three
        // lines of the progress window's text.
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return "holds a control character";
        if (c < 0xDC00 || c > 0xDFFF) ++characters;  // a surrogate pair is one character
    }
    if (characters > MAX_PRODUCT_NAME)
        return "is " + std::to_string(characters) + " characters long, more than the " +
               std::to_string(MAX_PRODUCT_NAME) + " the progress window has room for";
    return std::string();
}

std::vector<std::u16string> readStringBlock(const std::string& data) {
    std::vector<std::u16string> strings(16);
    std::size_t at = 0;
    for (std::u16string& s : strings) {
        if (!within(at, 2, data.size())) fail("a string table is damaged");
        std::size_t length = getLE16(data, at);
        at += 2;
        if (!within(at, 2 * std::uint64_t(length), data.size())) fail("a string table is damaged");
        for (std::size_t k = 0; k < length; ++k) s.push_back(static_cast<char16_t>(getLE16(data, at + 2 * k)));
        at += 2 * length;
    }
    return strings;
}

std::string encodeStringBlock(const std::vector<std::u16string>& strings) {
    std::string out;
    for (const std::u16string& s : strings) {
        if (s.size() > 0xFFFF) fail("a text of the string table would be 65,536 characters or longer");
        appendLE16(out, static_cast<std::uint32_t>(s.size()));
        for (char16_t c : s) appendLE16(out, c);
    }
    return out;
}

void brandStringTables(std::vector<Resource>& resources, const std::u16string& name) {
    // The launcher's texts name it "Marrowgate", once with the registered
    // mark, which is the launcher's and not the product's.
    const std::u16string own = u"Marrowgate", mark = u"\u00AE";
    // The texts that name it are shown in static controls, where an
    // ampersand would underline the next letter instead.
    std::u16string shown;
    for (char16_t c : name) {
        shown += c;
        if (c == u'&') shown += c;
    }
    bool named = false;
    std::vector<std::uint16_t> languages;
    for (Resource& r : resources) {
        if (!isStringBlock(r)) continue;
        if (std::find(languages.begin(), languages.end(), r.language) == languages.end())
            languages.push_back(r.language);
        std::vector<std::u16string> strings = stringsOf(r);
        bool changed = false;
        for (std::u16string& s : strings)
            for (std::size_t at = s.find(own); at != std::u16string::npos; at = s.find(own, at)) {
                std::size_t length = own.size() + (s.compare(at + own.size(), mark.size(), mark) == 0 ? mark.size() : 0);
                s.replace(at, length, shown);
                at += shown.size();
                changed = true;
            }
        // Blocks that do not name it keep their bytes.
        if (changed) r.data = encodeStringBlock(strings);
        named = named || changed;
    }
    if (!named)
        fail("the stub's texts do not name Marrowgate (edited or branded already): the product name needs the "
             "plain launcher as the stub");
    // The message boxes' caption, in every language that has texts.
    const std::uint16_t block = MESSAGE_CAPTION_STRING / 16 + 1;
    for (std::uint16_t language : languages) {
        auto table = std::find_if(resources.begin(), resources.end(), [&](const Resource& r) {
            return isStringBlock(r) && r.name.id == block && r.language == language;
        });
        if (table == resources.end()) {
            Resource r;
            r.type.id = RT_STRING_ID;
            r.name.id = block;
            r.language = language;
            r.data = encodeStringBlock(std::vector<std::u16string>(16));
            table = resources.insert(resources.end(), std::move(r));
        }
        std::vector<std::u16string> strings = stringsOf(*table);
        strings[MESSAGE_CAPTION_STRING % 16] = name;
        table->data = encodeStringBlock(strings);
    }
}

bool isVersionInfoName(const std::string& name) {
    for (const char* n : VERSION_NAMES)
        if (name == n) return true;
    return false;
}

std::vector<IconImage> readIcon(const std::string& path) { return iconImages(readFileBytes(path, "icon"), path); }

std::vector<IconImage> iconImages(const std::string& bytes, const std::string& path) {
    auto bad = [&](const std::string& why) -> void { fail(path + " is not a usable icon file: " + why); };
    if (bytes.size() < 6 || getLE16(bytes, 0) != 0 || getLE16(bytes, 2) != 1) bad("no icon header");
    std::size_t count = getLE16(bytes, 4);
    if (count == 0) bad("it holds no image");
    if (6 + 16 * count > bytes.size()) bad("its directory runs past the end of the file");
    std::vector<IconImage> images;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t e = 6 + 16 * i;
        std::uint32_t size = getLE32(bytes, e + 8), offset = getLE32(bytes, e + 12);
        if (size < 40 || offset < 6 + 16 * count || !within(offset, size, bytes.size()))
            bad("image " + std::to_string(i + 1) + " lies outside the file");
        IconImage image;
        image.data = bytes.substr(offset, size);
        bool png = image.data.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0;
        if (!png && getLE32(image.data, 0) != 40) bad("image " + std::to_string(i + 1) + " is neither a bitmap nor a PNG");
        image.groupEntry = bytes.substr(e, 12);
        // Some icon writers leave planes and bit count at 0; Windows picks
        // images by them, so they are taken from the image itself.
        if (getLE16(image.groupEntry, 4) == 0 || getLE16(image.groupEntry, 6) == 0) {
            putLE16(image.groupEntry, 4, 1);
            putLE16(image.groupEntry, 6, png ? 32 : getLE16(image.data, 14));
        }
        images.push_back(std::move(image));
    }
    return images;
}

std::string checkedManifest(const std::string& path) {
    std::string text = readFileBytes(path, "manifest");
    std::u16string ignored;
    if (!toUtf16(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text, ignored))
        fail(path + " is not a usable manifest: it is not UTF-8 text");
    std::string problem = manifestProblem(text);
    if (!problem.empty()) fail(path + " is not a usable manifest: " + problem);
    return text;
}

std::string encodeVersionInfo(const std::vector<std::pair<std::string, std::string>>& strings) {
    std::uint32_t fileMs = 0, fileLs = 0, productMs = 0, productLs = 0;
    bool fileNumeric = false, productNumeric = false;
    std::string table;
    for (const auto& s : strings) {
        std::u16string value;
        if (!toUtf16(s.second, value)) fail("the value of --version-info " + s.first + " is not UTF-8 text");
        std::string encoded;
        appendUtf16z(encoded, value);
        table.resize(alignUp(table.size(), 4), '\0');
        table += versionNode(u16(s.first), encoded, static_cast<std::uint16_t>(value.size() + 1), true, "");
        if (s.first == "FileVersion") fileNumeric = numericVersion(s.second, fileMs, fileLs);
        if (s.first == "ProductVersion") productNumeric = numericVersion(s.second, productMs, productLs);
    }
    // Without a numeric product version, the product is at the file's.
    if (!productNumeric && fileNumeric) productMs = fileMs, productLs = fileLs;
    std::string fixed;
    for (std::uint32_t v : {0xFEEF04BDu, 0x00010000u, fileMs, fileLs, productMs, productLs, 0x3Fu, 0u,
                            0x4u /* VOS__WINDOWS32 */, 0x1u /* VFT_APP */, 0u, 0u, 0u})
        appendLE32(fixed, v);
    // US English, Unicode: the strings are UTF-16 whatever the text.
    std::string stringTable = versionNode(u"040904B0", "", 0, true, table);
    std::string stringInfo = versionNode(u"StringFileInfo", "", 0, true, stringTable);
    std::string translation;
    appendLE32(translation, 0x04B00409u);
    std::string var = versionNode(u"Translation", translation, 4, false, "");
    std::string varInfo = versionNode(u"VarFileInfo", "", 0, true, var);
    std::string children = stringInfo;
    children.resize(alignUp(children.size(), 4), '\0');
    children += varInfo;
    return versionNode(u"VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()), false, children);
}

void applyBranding(std::string& image, const Branding& branding) {
    // Every file is read and checked before the image changes.
    std::vector<IconImage> icon;
    if (!branding.iconPath.empty()) icon = readIcon(branding.iconPath);
    std::string manifest = branding.manifestPath.empty() ? std::string() : checkedManifest(branding.manifestPath);
    std::string version = branding.versionInfo.empty() ? std::string() : encodeVersionInfo(branding.versionInfo);
    std::string productName;
    std::u16string textName;
    const bool named = branding.textName(productName);
    if (named) {
        std::string problem = productNameProblem(productName);
        if (!problem.empty())
            fail(branding.productNameGiven ? "--product-name " + problem
                                           : "the product name, which the launcher's texts take from --version-info "
                                             "ProductName, " + problem + " (--product-name gives them another)");
        toUtf16(productName, textName);
    }

    std::vector<Resource> resources = readResources(image);
    if (named) brandStringTables(resources, textName);
    auto drop = [&](auto predicate) {
        resources.erase(std::remove_if(resources.begin(), resources.end(), predicate), resources.end());
    };
    auto add = [&](std::uint16_t type, std::uint16_t id, std::uint16_t language, std::string data) {
        Resource r;
        r.type.id = type;
        r.name.id = id;
        r.language = language;
        r.data = std::move(data);
        resources.push_back(std::move(r));
    };
    if (!icon.empty()) {
        std::uint16_t language = languageOf(resources, RT_GROUP_ICON_ID, 0x0409);
        // The images of the launcher's group go with it; images another
        // group uses stay.
        std::vector<std::uint16_t> oldImages, kept;
        for (const Resource& r : resources) {
            if (!isType(r, RT_GROUP_ICON_ID) || r.data.size() < 6) continue;
            bool ours = r.name.text.empty() && r.name.id == LAUNCHER_ICON_GROUP;
            for (std::size_t i = 0; i < getLE16(r.data, 4) && 6 + 14 * i + 14 <= r.data.size(); ++i)
                (ours ? oldImages : kept).push_back(getLE16(r.data, 6 + 14 * i + 12));
        }
        drop([&](const Resource& r) {
            if (isType(r, RT_GROUP_ICON_ID)) return r.name.text.empty() && r.name.id == LAUNCHER_ICON_GROUP;
            return isType(r, RT_ICON_ID) && r.name.text.empty() &&
                   std::count(oldImages.begin(), oldImages.end(), r.name.id) &&
                   !std::count(kept.begin(), kept.end(), r.name.id);
        });
        std::string group;
        appendLE16(group, 0);
        appendLE16(group, 1);
        appendLE16(group, static_cast<std::uint32_t>(icon.size()));
        std::uint16_t id = 1;
        for (IconImage& image : icon) {
            auto used = [&](std::uint16_t candidate) {
                for (const Resource& r : resources)
                    if (isType(r, RT_ICON_ID) && r.name.text.empty() && r.name.id == candidate) return true;
                return false;
            };
            while (used(id)) ++id;
            group += image.groupEntry;
            appendLE16(group, id);
            add(RT_ICON_ID, id, language, std::move(image.data));
        }
        add(RT_GROUP_ICON_ID, LAUNCHER_ICON_GROUP, language, group);
    }
    if (!version.empty()) {
        std::uint16_t language = languageOf(resources, RT_VERSION_ID, 0x0409);
        drop([](const Resource& r) { return isType(r, RT_VERSION_ID); });
        add(RT_VERSION_ID, 1, language, version);
    }
    if (!manifest.empty()) {
        std::uint16_t language = languageOf(resources, RT_MANIFEST_ID, 0);
        drop([](const Resource& r) { return isType(r, RT_MANIFEST_ID) && r.name.text.empty() && r.name.id == 1; });
        add(RT_MANIFEST_ID, 1, language, manifest);
    }
    writeResources(image, resources);
}

}  // namespace mg
