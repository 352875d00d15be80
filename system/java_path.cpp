#include "system/java_path.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "base/log.h"
#include "text/text.h"

namespace mg {

namespace {

std::wstring toWide(const String& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<std::size_t>(n - 1));
    return wide;
}

String fromWide(const std::wstring& wide) {
    int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return String();
    String text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], n, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(n - 1));
    return text;
}

}  // namespace

unsigned systemAnsiCodePage() {
    // GetACP answers for this process, which its manifest may have moved to
    // UTF-8; java.exe, without such a manifest, gets the system locale's.
    wchar_t digits[8] = {};
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 8) > 0) {
        unsigned page = 0;
        for (const wchar_t* p = digits; *p >= L'0' && *p <= L'9'; ++p) page = page * 10 + static_cast<unsigned>(*p - L'0');
        if (page != 0) return page;
    }
    return GetACP();
}

bool survivesSystemCodePage(const String& text) {
    std::wstring wide = toWide(text);
    if (wide.empty()) return text.empty();
    unsigned page = systemAnsiCodePage();
    if (page == CP_UTF8) return true;
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, &usedDefault);
    return n > 0 && !usedDefault;
}

namespace {

// The short name of wide in the process's code page, when there is one
// that the system code page keeps; else empty.
String survivingShortName(const std::wstring& wide) {
    DWORD n = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (n > 0) {
        std::wstring shortName(n, L'\0');
        DWORD got = GetShortPathNameW(wide.c_str(), &shortName[0], n);
        if (got > 0 && got < n) {
            shortName.resize(got);
            String result = fromWide(shortName);
            if (toWide(result) == shortName && survivesSystemCodePage(result)) return result;
        }
    }
    return String();
}

String codePageText() { return toDecimal(static_cast<int>(systemAnsiCodePage())); }

}  // namespace

String javaSafePath(const String& path, const char* what) {
    if (path.empty() || survivesSystemCodePage(path)) return path;
    String result = survivingShortName(toWide(path));
    if (!result.empty()) {
        writeLog(String("Using the short name ") + result + " for " + what + " " + path +
                     ": its name does not survive the system code page " + codePageText(),
                 LOG_PLAIN);
        return result;
    }
    writeLog(String("Java cannot open ") + what + " " + path + ": its name does not survive the system code page " +
                 codePageText() + " and it has no short name",
             LOG_WARNING);
    return path;
}

String javaSafeTempRoot() {
    // Asked in UTF-16: on a system without the UTF-8 code page the ANSI
    // answer would already have lost the characters.
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) {
        // The 9x family has no wide call; its ANSI answer is all there is.
        char path[MAX_PATH + 1];
        DWORD a = GetTempPathA(sizeof path, path);
        return a > 0 && a < sizeof path ? String(path, a) : String();
    }
    std::wstring wide(buffer, n);
    String path = fromWide(wide);
    if (toWide(path) == wide && survivesSystemCodePage(path)) return path;
    String result = survivingShortName(wide);
    if (!result.empty()) {
        writeLog("Using the short name " + result + " for the temporary folder " + path +
                     ": its name does not survive the system code page " + codePageText(),
                 LOG_PLAIN);
        return result;
    }
    // Java could not open anything extracted there: the Windows folder's
    // Temp, which every user may write to, serves instead.
    wchar_t windows[MAX_PATH + 1];
    UINT w = GetWindowsDirectoryW(windows, MAX_PATH + 1);
    std::wstring fallback = std::wstring(windows, w > 0 && w <= MAX_PATH ? w : 0) + L"\\Temp\\";
    DWORD attributes = GetFileAttributesW(fallback.c_str());
    String fallbackText = fromWide(fallback);
    if (w > 0 && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        survivesSystemCodePage(fallbackText)) {
        writeLog("The temporary folder " + path + " does not survive the system code page " + codePageText() +
                     " and has no short name; using " + fallbackText + " instead",
                 LOG_WARNING);
        return fallbackText;
    }
    writeLog("Java cannot open files in the temporary folder " + path + ": its name does not survive the system code page " +
                 codePageText() + " and it has no short name; use -mg:tempdir",
             LOG_WARNING);
    return path;
}

String javaSafeLocalAppData() {
    // Looked up, not imported: shell32 has it from Windows 2000 on; older
    // systems run without the cache.
    using FolderPathCall = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    HMODULE shell = LoadLibraryA("shell32.dll");
    FARPROC proc = shell == nullptr ? nullptr : GetProcAddress(shell, "SHGetFolderPathW");
    wchar_t buffer[MAX_PATH + 1] = {};
    if (proc == nullptr ||
        FAILED(reinterpret_cast<FolderPathCall>(reinterpret_cast<void*>(proc))(nullptr, CSIDL_LOCAL_APPDATA, nullptr,
                                                                               0, buffer)) ||
        buffer[0] == 0)
        return String();
    const std::wstring wide(buffer);
    String path = fromWide(wide);
    return survivesSystemCodePage(path) ? path : survivingShortName(wide);
}

}  // namespace mg
