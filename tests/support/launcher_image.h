// Byte images of launcher files for the payload tests.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "payload/index_format.h"

namespace mg {

struct Embedded {
    int type;
    std::int32_t id;
    std::string name;
    std::string bytes;
};

// A stub image, the embedded files one after another, the index, the trailer.
inline std::string launcherImage(const std::vector<Embedded>& files, const std::string& stub = "MZ-stub") {
    std::string out = stub;
    std::vector<FileEntry> entries;
    for (const Embedded& f : files) {
        FileEntry e;
        e.type = static_cast<FileType>(f.type);
        e.id = f.id;
        e.length = static_cast<std::int32_t>(f.bytes.size());
        e.offset = static_cast<std::int32_t>(out.size());
        e.name = f.name;
        out += f.bytes;
        entries.push_back(std::move(e));
    }
    std::uint32_t indexOffset = static_cast<std::uint32_t>(out.size());
    out += encodeFileIndex(entries);
    out += encodeTrailer(indexOffset);
    return out;
}

inline void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A text file's lines, without the CR of Windows line ends.
inline std::string readTextFile(const std::string& path) {
    std::string text = readFileBytes(path);
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

inline std::string be32(std::uint32_t v) {
    std::string s;
    appendU32BE(s, v);
    return s;
}
inline std::string be16(std::uint16_t v) {
    std::string s;
    appendU16BE(s, v);
    return s;
}

}  // namespace mg
