// Reports what Windows itself reads from a launcher file's resources, one
// line each, in UTF-8: the version strings and fixed versions
// (GetFileVersionInfo / VerQueryValue), the icon group 104 as loaded, the
// English strings 31 (its start) and 41 (LoadString), dialog 101 and the
// manifest's size.
// Usage: branding_probe.exe FILE
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string utf8(const wchar_t* text, int length = -1) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, nullptr, nullptr);
    if (length < 0 && !out.empty()) out.pop_back();
    return out;
}

void say(const std::string& line) {
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string dotted(DWORD ms, DWORD ls) {
    return std::to_string(HIWORD(ms)) + "." + std::to_string(LOWORD(ms)) + "." + std::to_string(HIWORD(ls)) + "." +
           std::to_string(LOWORD(ls));
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 2) {
        say("usage: branding_probe FILE");
        return 2;
    }
    const wchar_t* file = argv[1];
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(file, &ignored);
    std::vector<char> info(size);
    if (size && GetFileVersionInfoW(file, 0, size, info.data())) {
        struct { WORD language, codePage; }* translation = nullptr;
        UINT length = 0;
        if (VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) &&
            length >= 4) {
            wchar_t block[64];
            wsprintfW(block, L"\\StringFileInfo\\%04x%04x\\", translation->language, translation->codePage);
            for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                                        L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
                wchar_t* value = nullptr;
                std::wstring query = std::wstring(block) + name;
                if (VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) && value)
                    say(utf8(name) + "=" + utf8(value));
            }
        }
        VS_FIXEDFILEINFO* fixed = nullptr;
        if (VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed)
            say("fixed file " + dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + " product " +
                dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
    } else {
        say("no version information");
    }

    HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        say("cannot load the file as a module");
        return 1;
    }
    for (int pixels : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(104), IMAGE_ICON, pixels, pixels, 0));
        ICONINFO iconInfo = {};
        BITMAP bitmap = {};
        if (icon && GetIconInfo(icon, &iconInfo) && GetObjectW(iconInfo.hbmColor ? iconInfo.hbmColor : iconInfo.hbmMask,
                                                               sizeof bitmap, &bitmap))
            say("icon " + std::to_string(pixels) + ": " + std::to_string(bitmap.bmWidth) + "x" +
                std::to_string(bitmap.bmHeight));
        else
            say("icon " + std::to_string(pixels) + ": none");
    }
    // String 31 sits in block 2 of the neutral English table.
    HRSRC strings = FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(2), MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL));
    if (strings) {
        const WCHAR* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, strings)));
        for (int i = 0; i < 31 % 16; ++i) p += 1 + *p;
        say("string 31: " + utf8(p + 1, *p).substr(0, 40));
    }
    // String 41, the message boxes' caption, as the launcher loads it.
    const WCHAR* caption = nullptr;
    int length = LoadStringW(module, 41, reinterpret_cast<LPWSTR>(&caption), 0);
    say("string 41: " + (length > 0 ? utf8(caption, length) : std::string("none")));
    say(std::string("dialog 101: ") + (FindResourceW(module, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(5)) ? "yes" : "no"));
    HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    say("manifest: " + std::to_string(manifest ? SizeofResource(module, manifest) : 0) + " bytes");
    return 0;
}
