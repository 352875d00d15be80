#include "tools/installation.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "base/path.h"
#include "base/system_error.h"

namespace mg {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
const char SEPARATOR = '\\';
#else
const char SEPARATOR = '/';
#endif

bool isFile(const String& path) {
    std::error_code ec;
    return fs::is_regular_file(fs::path(std::string(path)), ec);
}

bool isBareName(const String& name) { return !name.empty() && lastComponent(name) == name; }

}  // namespace

String installedShareDir(const String& executable) {
    const String bin = directoryPart(executable);
    if (bin.empty()) return String();
    String prefix = directoryPart(bin);
    if (prefix.empty()) {
        // A folder at the root (/bin/mgpack) has none above it; a relative
        // one (bin/mgpack) has the current folder.
        if (bin.find_first_of("/\\") != String::npos) return String();
        prefix = ".";
    }
    return prefix + SEPARATOR + "share" + SEPARATOR + "marrowgate";
}

String ownExecutable() {
#ifdef _WIN32
    // Converted as the C library converts the command line's paths, so that
    // fopen takes the result (UTF-8 under mgpack.exe's manifest).
    std::wstring wide(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, &wide[0], static_cast<DWORD>(wide.size()));
        if (length == 0) throwSystemError("GetModuleFileNameW");
        if (length < wide.size()) {
            wide.resize(length);
            break;
        }
        wide.resize(wide.size() * 2);
    }
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string path(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &path[0], size, nullptr, nullptr);
    path.resize(path.size() - 1);
    return path;
#else
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) throwSystemError("readlink /proc/self/exe", static_cast<unsigned long>(ec.value()));
    return self.string();
#endif
}

void useInstalledFiles(PackRequest& request, const std::function<String()>& shareDir) {
    String share;
    // The installed file NAME (under folder, when given); what stands for it
    // on the command line goes into the message when it is missing.
    auto installed = [&](const String& folder, const String& name, const std::string& given) -> String {
        if (share.empty()) share = shareDir();
        if (share.empty())
            throw PackError{given + ": mgpack's folder has no folder above it to hold share" + SEPARATOR + "marrowgate"};
        String path = share + SEPARATOR + (folder.empty() ? name : folder + SEPARATOR + name);
        if (!isFile(path)) throw PackError{given + ": mgpack's installation has no " + std::string(path)};
        return path;
    };
    if (request.stub.empty())
        request.stub = installed(String(), "mglauncher.exe", "no --stub given");
    else if (request.stub == "console" && !isFile(request.stub))
        request.stub = installed(String(), "mglauncher-console.exe", "--stub console");
    for (PackFile& f : request.files) {
        if (isFile(f.path)) continue;
        if (f.type == FT_JVM_FILE && isBareName(f.path))
            f.path = installed("jvmfiles", f.path, "--file jvm-file " + std::string(f.path));
        else if (f.type == FT_VERIFY_ARCHIVE && f.path == "default")
            f.path = installed(String(), "verify.jar", "--file verify-archive default");
    }
}

}  // namespace mg
