#include "system/wininit.h"

#include <windows.h>

#include <cstring>

#include "base/handles.h"

namespace mg {

void WininitWriter::addDeleteEntry(const String& path) {
    char shortPath[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    if (n == 0) return;
    lines_.push_back("NUL=" + (n < sizeof shortPath ? String(shortPath, n) : path));
}

namespace {

// Sets the file's length to length (the mapping may have grown it).
void setLength(HANDLE file, DWORD length) {
    SetFilePointer(file, static_cast<LONG>(length), nullptr, FILE_BEGIN);
    SetEndOfFile(file);
}

}  // namespace

unsigned long WininitWriter::commit() {
    if (lines_.empty()) return 0;

    String directory = windowsDirectory_;
    if (directory.empty()) {
        char buffer[MAX_PATH];
        UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
        if (n == 0 || n >= sizeof buffer) return GetLastError() ? GetLastError() : ERROR_PATH_NOT_FOUND;
        directory = String(buffer, n);
    }
    String iniPath = directory;
    if (!iniPath.empty() && iniPath.back() == '\\') iniPath.pop_back();
    iniPath += "\\WinInit.Ini";

    DWORD added = 0;
    for (const String& line : lines_) added += static_cast<DWORD>(line.size() + 1);

    Handle file(CreateFileA(iniPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) return GetLastError();

    DWORD oldLength = GetFileSize(file.get(), nullptr);
    if (oldLength == INVALID_FILE_SIZE) return GetLastError();
    DWORD room = oldLength + added + WININIT_SPARE;

    std::size_t newLength;
    {
        Handle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READWRITE, 0, room, nullptr));
        if (!mapping.valid()) {
            DWORD error = GetLastError();
            setLength(file.get(), oldLength);
            return error;
        }
        MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, room));
        if (!view.valid()) {
            DWORD error = GetLastError();
            view.reset();
            mapping.reset();
            setLength(file.get(), oldLength);
            return error;
        }
        char* text = static_cast<char*>(view.get());
        std::memset(text + oldLength, 0, room - oldLength);
        newLength = insertWininitText(text, oldLength, lines_);
    }
    setLength(file.get(), static_cast<DWORD>(newLength));
    lines_.clear();
    return 0;
}

}  // namespace mg
