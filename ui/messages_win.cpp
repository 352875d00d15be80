#include <cstring>
#include <vector>

#include "base/handles.h"
#include "ui/message_buffer.h"
#include "ui/messages.h"

namespace mg {

HINSTANCE instanceHandle = nullptr;

HMODULE stringModule() { return instanceHandle ? instanceHandle : ::GetModuleHandleA(nullptr); }

namespace {
const std::size_t kInitialCapacity = 64;
const std::size_t kGrowth = 64;
// FormatMessageA reads as many inserts as the text names (up to %99); give it
// that many so a text naming more inserts than supplied reads empty ones, not
// whatever lies beyond the caller's list.
const std::size_t kMaxInserts = 99;
}  // namespace

MessageBuffer::MessageBuffer(HMODULE module) : module_(module), capacity_(0) { reallocate(kInitialCapacity); }

void MessageBuffer::reallocate(std::size_t capacity) {
    buffer_.reset(new char[capacity]);
    buffer_[0] = '\0';
    capacity_ = capacity;
}

int MessageBuffer::loadString(UINT id) {
    for (;;) {
        int length = ::LoadStringA(module_, id, buffer_.get(), static_cast<int>(capacity_));
        if (length <= 0) {
            buffer_[0] = '\0';
            return 0;
        }
        // A text that filled the buffer may have been cut: grow and load again.
        if (capacity_ - static_cast<std::size_t>(length) > 1) return length;
        reallocate(capacity_ + kGrowth);
    }
}

void MessageBuffer::adopt(char* allocated) {
    LocalMemory owner(allocated);
    std::size_t length = std::strlen(allocated);
    if (capacity_ < length + 1) reallocate(length + 1);
    std::memcpy(buffer_.get(), allocated, length + 1);
}

void MessageBuffer::formatText(const char* format, const StringList& inserts) {
    // An empty text formats to an empty text; the formatter would report that
    // as a failure.
    if (format[0] == '\0') {
        buffer_[0] = '\0';
        return;
    }
    std::vector<DWORD_PTR> args(kMaxInserts, reinterpret_cast<DWORD_PTR>(""));
    for (std::size_t i = 0; i < inserts.size() && i < kMaxInserts; ++i)
        args[i] = reinterpret_cast<DWORD_PTR>(inserts[i].c_str());
    char* allocated = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY, format, 0, 0,
        reinterpret_cast<char*>(&allocated), 0, reinterpret_cast<va_list*>(args.data()));
    if (length == 0 || !allocated) {
        if (allocated) ::LocalFree(allocated);
        throw LauncherException("Out of memory.");
    }
    adopt(allocated);
}

void MessageBuffer::formatString(UINT id, const StringList& inserts) {
    MessageBuffer format(module_);
    format.loadString(id);
    formatText(format.text(), inserts);
}

String loadStringText(int id) {
    if (id < 0 || id > 0xFFFF) return String();
    MessageBuffer buffer;
    buffer.loadString(static_cast<UINT>(id));
    return buffer.str();
}

String formatText(const String& format, const StringList& inserts) {
    MessageBuffer buffer;
    buffer.formatText(format.c_str(), inserts);
    return buffer.str();
}

}  // namespace mg
