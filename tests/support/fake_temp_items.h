// Temporary items for host tests: files are made empty under a name prefix
// (numbered from 1) and removed with the fake, directories are only named;
// every call is recorded, nothing is registered.
#pragma once

#include <cstdio>
#include <string>

#include "system/temp_items.h"

namespace mg {

class FakeTempItems : public TempItems {
public:
    explicit FakeTempItems(const String& prefix) : prefix_(prefix) {}
    ~FakeTempItems() override {
        for (const String& path : files) std::remove(path.c_str());
    }
    FakeTempItems(const FakeTempItems&) = default;
    FakeTempItems& operator=(const FakeTempItems&) = default;

    String createTempFile() override {
        String path = prefix_ + String(std::to_string(files.size() + 1)) + ".tmp";
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) std::fclose(file);
        files.push_back(path);
        return path;
    }
    String createTempDir() override {
        dirs.push_back(prefix_ + String(std::to_string(dirs.size() + 1)));
        return dirs.back();
    }
    void unregisterTempFile(const String& path) override { keptFiles.push_back(path); }
    void unregisterTempDir(const String& path) override { keptDirs.push_back(path); }
    void deletePath(const String& path) override {
        deleted.push_back(path);
        std::remove(path.c_str());
    }
    bool fileExists(const String& path) override {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file) std::fclose(file);
        return file != nullptr;
    }

    StringList files;      // made by createTempFile
    StringList dirs;       // named by createTempDir
    StringList keptFiles;  // unregistered
    StringList keptDirs;
    StringList deleted;

private:
    String prefix_;
};

}  // namespace mg
