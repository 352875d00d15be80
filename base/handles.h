// One owner for every system resource: move-only wrappers that release their
// resource on destruction, so no early return or exception leaks it.
#pragma once

#include <windows.h>

namespace mg {

// Traits give the empty value, the validity test and the release call.
template <class Traits>
class Owned {
public:
    using Type = typename Traits::Type;

    Owned() noexcept : value_(Traits::empty()) {}
    explicit Owned(Type value) noexcept : value_(value) {}
    ~Owned() { reset(); }

    Owned(Owned&& other) noexcept : value_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Type get() const noexcept { return value_; }
    bool valid() const noexcept { return Traits::valid(value_); }
    explicit operator bool() const noexcept { return valid(); }

    // Gives up ownership without releasing.
    Type release() noexcept {
        Type v = value_;
        value_ = Traits::empty();
        return v;
    }
    void reset(Type value = Traits::empty()) noexcept {
        if (Traits::valid(value_)) Traits::close(value_);
        value_ = value;
    }
    // For calls that return the resource through a pointer (RegOpenKeyExA):
    // releases what is held and hands out the slot.
    Type* receive() noexcept {
        reset();
        return &value_;
    }

private:
    Type value_;
};

// Kernel handles: files, processes, threads, pipes, mappings. Creation calls
// disagree on the failure value (NULL or INVALID_HANDLE_VALUE); both are empty.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type empty() { return nullptr; }
    static bool valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type empty() { return INVALID_HANDLE_VALUE; }
    static bool valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) { ::FindClose(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type empty() { return nullptr; }
    static bool valid(Type h) { return h != nullptr; }
    static void close(Type h) { ::RegCloseKey(h); }
};

struct MappedViewTraits {
    using Type = void*;
    static Type empty() { return nullptr; }
    static bool valid(Type p) { return p != nullptr; }
    static void close(Type p) { ::UnmapViewOfFile(p); }
};

struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type empty() { return nullptr; }
    static bool valid(Type p) { return p != nullptr; }
    static void close(Type p) { ::LocalFree(p); }
};

// Memory from the shell's allocator (SHBrowseForFolderA's item lists).
void freeShellMemory(void* p);  // base/shell_memory.cpp
struct ShellMemoryTraits {
    using Type = void*;
    static Type empty() { return nullptr; }
    static bool valid(Type p) { return p != nullptr; }
    static void close(Type p) { freeShellMemory(p); }
};

using Handle = Owned<KernelHandleTraits>;
using FindHandle = Owned<FindHandleTraits>;
using RegKey = Owned<RegKeyTraits>;
using MappedView = Owned<MappedViewTraits>;
using LocalMemory = Owned<LocalMemoryTraits>;
using ShellMemory = Owned<ShellMemoryTraits>;

}  // namespace mg
