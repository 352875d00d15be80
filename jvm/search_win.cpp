// The search on the system: registry hints, fixed drives and the walk.
#include "jvm/search_win.h"

#include <cstring>
#include <vector>

#include "system/walker.h"
#include "base/log.h"
#include "system/temp.h"
#include "text/text.h"
#include "base/handles.h"
#include "ui/messages.h"

namespace mg {

namespace {

HKEY hiveKey(const String& hive) {
    struct Hive {
        const char* name;
        HKEY key;
    };
    static const Hive hives[] = {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                                 {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                                 {"HKEY_USERS", HKEY_USERS},
                                 {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                                 {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}};
    for (const Hive& h : hives) {
        if (hive == h.name) return h.key;
    }
    return nullptr;
}

// A 32-bit process on 64-bit Windows sees HKLM\SOFTWARE redirected to the
// 32-bit view. IsWow64Process is missing on the 9x family and old NT, which
// have no other view.
bool runningUnderWow64() {
    using IsWow64ProcessCall = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return false;
    FARPROC proc = GetProcAddress(kernel, "IsWow64Process");
    if (proc == nullptr) return false;
    auto isWow64Process = reinterpret_cast<IsWow64ProcessCall>(reinterpret_cast<void*>(proc));
    BOOL wow64 = FALSE;
    return isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The view the launcher reads without asking for one: its own bitness's.
RegistryView ownRegistryView() { return sizeof(void*) == 8 ? RegistryView::Bits64 : RegistryView::Bits32; }

// The registry view a hint is read in besides the default one, or 0 when
// there is none: the 64-bit view for the 32-bit launcher on 64-bit Windows;
// for a 64-bit build (local trials under a 64-bit-only Wine), the 32-bit view
// that x86 installers write.
REGSAM otherRegistryView() {
    if (sizeof(void*) == 8) return KEY_WOW64_32KEY;
    return runningUnderWow64() ? KEY_WOW64_64KEY : 0;
}

RegistryView otherViewOf(RegistryView view) {
    return view == RegistryView::Bits32 ? RegistryView::Bits64 : RegistryView::Bits32;
}

// The value named by the hint in one registry view; when the key opens but
// the value cannot be read, the default value of the key formed by
// everything after the hive.
LONG readHint(HKEY root, const PlatformHint& hint, REGSAM view, String& out) {
    RegKey key;
    LONG error = RegOpenKeyExA(root, hint.keyPath.c_str(), 0, KEY_READ | view, key.receive());
    if (error != ERROR_SUCCESS) return error;
    error = readRegistryString(key.get(), hint.valueName, out);
    if (error == ERROR_SUCCESS) return error;
    RegKey whole;
    error = RegOpenKeyExA(root, hint.keyWithValue.c_str(), 0, KEY_READ | view, whole.receive());
    if (error != ERROR_SUCCESS) return error;
    return readRegistryString(whole.get(), String(), out);
}

// Appends the names of key's subkeys that names does not hold yet (ignoring
// case, as the registry does).
void appendSubkeys(HKEY root, const String& keyPath, REGSAM view, StringList& names) {
    RegKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS) return;
    char name[256];  // the registry's limit for a key name, and its NUL
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LONG error = RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (error == ERROR_MORE_DATA) continue;
        if (error != ERROR_SUCCESS) return;
        const String found(name, length);
        bool known = false;
        for (const String& have : names) known = known || lstrcmpiA(have.c_str(), found.c_str()) == 0;
        if (!known) names.push_back(found);
    }
}

// The launcher's environment as it started: every verify run sets JAVA_HOME
// to the home it tries, so later reads would see that instead of the user's.
// Taken while the program's statics are made, before any verify run.
const StringList& startupEnvironment() {
    static const StringList environment = [] {
        StringList entries;
        char* block = GetEnvironmentStringsA();
        if (block == nullptr) return entries;
        for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) entries.push_back(entry);
        FreeEnvironmentStringsA(block);
        return entries;
    }();
    return environment;
}
const StringList& startupEnvironmentTaken = startupEnvironment();

void logInvalidHint(const String& reason) {
    writeLog(formatStringText(IDS_INVALID_HINT, StringList{reason}), LOG_WARNING);
}

class JvmSearchWalker : public DirectoryWalker {
public:
    JvmSearchWalker(const StringList& names, JvmSearch& search)
        : DirectoryWalker(true), names_(names), search_(search), skipped_(getTempRoot()) {
        appendBackslash(skipped_);
    }

    bool onFile(const String& path) override {
        for (const String& name : names_) {
            if (matchesExeName(path, name) && search_.onCandidate(path)) return true;
        }
        return false;
    }

    bool skipDirectory(const String& dir) override { return isSkippedSearchDirectory(dir, skipped_); }

private:
    const StringList& names_;
    JvmSearch& search_;
    String skipped_;
};

class SystemSearch : public SearchSystem {
public:
    explicit SystemSearch(VerifySystem& verify) : verify_(verify) {}

    VerifySystem& verifySystem() override { return verify_; }

    std::unique_ptr<JvmMatch> verifyAt(JvmFile& jvm, const String& home, const String& verifyClasspath,
                                       const String& verifyClassName) override {
        return mg::verifyAt(jvm, home, verifyClasspath, verifyClassName, verify_);
    }

    ViewHomes resolvePlatformHint(const String& hint) override { return mg::resolvePlatformHint(hint); }

    StringList listFixedDrives() override {
        StringList drives;
        mg::listFixedDrives(drives);
        return drives;
    }

    bool walkDrive(const String& root, const StringList& names, JvmSearch& search) override {
        JvmSearchWalker walker(names, search);
        return walker.walk(root);
    }

    StringList registrySubkeys(const String& hive, const String& keyPath) override {
        StringList names;
        HKEY root = hiveKey(hive);
        if (root == nullptr) return names;
        // Both views, as a plain hint is read: x86 and x64 installers each
        // register in their own.
        appendSubkeys(root, keyPath, 0, names);
        const REGSAM other = otherRegistryView();
        if (other != 0) appendSubkeys(root, keyPath, other, names);
        return names;
    }

    StringList subdirectories(const String& dir) override {
        StringList names;
        WIN32_FIND_DATAA entry;
        FindHandle listing(FindFirstFileA((dir + "\\*").c_str(), &entry));
        if (!listing.valid()) return names;
        do {
            const String name(entry.cFileName);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(listing.get(), &entry));
        return names;
    }

    String environmentVariable(const String& name) override {
        for (const String& entry : startupEnvironment()) {
            const std::size_t eq = entry.find('=', 1);  // "=C:=..." entries start with "="
            if (eq == String::npos || eq != name.size()) continue;
            if (lstrcmpiA(entry.substr(0, eq).c_str(), name.c_str()) == 0) return entry.substr(eq + 1);
        }
        return String();
    }

private:
    VerifySystem& verify_;
};

}  // namespace

LONG readRegistryString(HKEY key, const String& valueName, String& out) {
    const char* name = valueName.empty() ? nullptr : valueName.c_str();
    DWORD size = 0;
    LONG error = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    if (error != ERROR_SUCCESS) return error;
    std::vector<char> data(size + 1, '\0');
    error = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    if (error != ERROR_SUCCESS) return error;
    std::size_t length = 0;
    while (length < size && data[length] != '\0') ++length;
    out.assign(data.data(), length);
    return ERROR_SUCCESS;
}

ViewHomes resolvePlatformHint(const String& hint) {
    ViewHomes homes;
    PlatformHint parts;
    if (!parsePlatformHint(hint, parts)) return homes;
    HKEY root = hiveKey(parts.hive);
    if (root == nullptr) throw LauncherException(formatStringText(IDS_INVALID_HIVE, StringList{parts.hive, hint}));
    if (!parts.complete) {
        // No key or no value name: nothing sound to read; the next hint may do.
        logInvalidHint(hint);
        return homes;
    }
    String home;
    const LONG error = readHint(root, parts, 0, home);
    if (error == ERROR_SUCCESS) homes.push_back(ViewHome{ownRegistryView(), home});
    // x86 and x64 installers each write their own view, which the other
    // kind of program does not see by default; one version installed in both
    // bitnesses is in both.
    const REGSAM other = otherRegistryView();
    if (other != 0) {
        String otherHome;
        if (readHint(root, parts, other, otherHome) == ERROR_SUCCESS)
            homes.push_back(ViewHome{otherViewOf(ownRegistryView()), otherHome});
    }
    // The reason of the default view, the one every Windows has.
    if (homes.empty()) logInvalidHint(systemErrorText(static_cast<unsigned long>(error)));
    return homes;
}

void listFixedDrives(StringList& drives) {
    // 26 roots of four bytes ("C:\" and its NUL) and the final NUL.
    char buffer[26 * 4 + 2];
    const DWORD length = GetLogicalDriveStringsA(sizeof buffer, buffer);
    if (length == 0) throw LauncherException(loadStringText(IDS_NO_DRIVES));
    if (length > sizeof buffer) throwSystemError("GetLogicalDriveStrings", ERROR_INSUFFICIENT_BUFFER);
    for (const char* root = buffer; *root != '\0'; root += std::strlen(root) + 1) {
        if (GetDriveTypeA(root) != DRIVE_FIXED) continue;
        String drive(root);
        if (!drive.empty() && drive.back() == '\\') drive.erase(drive.size() - 1);
        drives.push_back(drive);
    }
}

std::unique_ptr<SearchSystem> makeSystemSearch(VerifySystem& verify) {
    return std::make_unique<SystemSearch>(verify);
}

}  // namespace mg
