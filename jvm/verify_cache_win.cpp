// The verify cache of the current user: one small file in the user's local
// application data folder (the roaming one where the system has no local
// one), written in place; a write cut short is refused by its digest on the
// next read and the JVM is verified again.
#include <windows.h>

#include <vector>

#include "jvm/verify_cache.h"
#include "base/handles.h"
#include "system/temp.h"
#include "ui/messages.h"

namespace mg {

namespace {

const char* const kFolder = "Marrowgate";
const char* const kFile = "verify-cache.txt";
// A cache holds a few dozen lines; anything far larger is not one of ours.
const DWORD kMaxCacheBytes = 1 << 20;

String environmentValue(const char* name) {
    char value[MAX_PATH];
    DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value) return String();
    return String(value, length);
}

String folderPath() {
    String base = environmentValue("LOCALAPPDATA");
    if (base.empty()) base = environmentValue("APPDATA");
    if (base.empty()) return String();
    if (base.back() != '\\') base += '\\';
    return base + kFolder;
}

// Feeds the file's bytes to fnv1a64, in blocks; false when it cannot be read.
bool digestFile(const String& path, std::uint64_t& size, std::uint64_t& digest) {
    Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::vector<char> buffer(0x10000);
    size = 0;
    digest = fnv1a64(String());
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0) {
        size += got;
        digest = fnv1a64(String(buffer.data(), got), digest);
    }
    return true;
}

class SystemVerifyCacheStore : public VerifyCacheStore {
public:
    String location() override {
        String folder = folderPath();
        return folder.empty() ? folder : folder + "\\" + kFile;
    }

    bool read(String& text) override {
        const String path = location();
        if (path.empty()) return false;
        Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD size = ::GetFileSize(file.get(), nullptr);
        // Too large (or unknown) reads as damaged: the caller verifies anew.
        if (size == INVALID_FILE_SIZE || size > kMaxCacheBytes) {
            text = "\n";
            return true;
        }
        text.assign(size, '\0');
        DWORD got = 0;
        if (size > 0 && !::ReadFile(file.get(), &text[0], size, &got, nullptr)) return false;
        text.resize(got);
        return true;
    }

    bool write(const String& text, String& reason) override {
        const String path = location();
        if (path.empty()) return false;
        if (!::CreateDirectoryA(folderPath().c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            reason = systemErrorMessage("CreateDirectory", ::GetLastError());
            return false;
        }
        Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
        if (!file) {
            reason = systemErrorMessage("CreateFile", ::GetLastError());
            return false;
        }
        DWORD written = 0;
        if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size()) {
            reason = systemErrorMessage("WriteFile", ::GetLastError());
            return false;
        }
        return true;
    }

    bool stamp(const String& path, VerifyKey& key) override { return fileStamp(path, key.size, key.lastWrite); }

    String classpathIdentity(const String& classpath) override {
        String path = classpath;
        if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
        std::uint64_t size = 0, digest = 0;
        if (path.empty() || path.find(';') != String::npos || !digestFile(path, size, digest)) return classpath;
        return fileIdentity(size, digest);
    }
};

}  // namespace

std::unique_ptr<VerifyCacheStore> makeSystemVerifyCacheStore() {
    return std::make_unique<SystemVerifyCacheStore>();
}

}  // namespace mg
