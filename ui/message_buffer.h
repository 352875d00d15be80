// The growable text buffer behind the string table and the message formatter.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "base/string.h"

namespace mg {

// The module whose string table is read; set by WinMain before any window
// exists. Null means the executable itself.
extern HINSTANCE instanceHandle;
HMODULE stringModule();

class MessageBuffer {
public:
    explicit MessageBuffer(HMODULE module = stringModule());

    // Loads string id; a missing string leaves an empty text. Returns the length.
    int loadString(UINT id);
    // Throw LauncherException "Out of memory." when the formatter fails.
    void formatText(const char* format, const StringList& inserts);
    void formatString(UINT id, const StringList& inserts);

    const char* text() const { return buffer_.get(); }
    String str() const { return String(buffer_.get()); }
    std::size_t capacity() const { return capacity_; }

private:
    // Takes a FormatMessageA allocation: copies it in and frees it.
    void adopt(char* allocated);
    void reallocate(std::size_t capacity);

    std::unique_ptr<char[]> buffer_;
    HMODULE module_;
    std::size_t capacity_;
};

}  // namespace mg
