// Small file-system helpers for the Wine tests of temporary items, the walker
// and the clean-up: real files under the prefix's temporary directory.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "base/string.h"

namespace mg {

namespace testfs {

inline bool exists(const String& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool isDirectory(const String& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

inline void writeFile(const String& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::string readFile(const String& path) {
    std::string bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

inline void makeDir(const String& path) { CreateDirectoryA(path.c_str(), nullptr); }

// A fresh, empty directory under the system temporary path, named after tag.
inline String freshDir(const char* tag) {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    String path = String(base) + "mgtest_" + tag + "_" + String(std::to_string(GetCurrentProcessId())) + "_" +
                  String(std::to_string(GetTickCount()));
    makeDir(path);
    return path;
}

// Removes a tree without the code under test (for the tests' own tidying).
inline void removeTree(const String& path) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            String name = data.cFileName;
            if (name == "." || name == "..") continue;
            String full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &data));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace testfs

}  // namespace mg
