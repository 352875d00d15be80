#include <windows.h>
#include <shlobj.h>

#include "base/handles.h"

namespace mg {

void freeShellMemory(void* p) {
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(p);
        allocator->Release();
    }
}

}  // namespace mg
