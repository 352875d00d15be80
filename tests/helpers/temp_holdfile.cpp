// Test helper: holds a file open without sharing until told to let go, so a
// test can see how removal copes with a file that another process has locked.
//   temp_holdfile FILE READY RELEASE
// Opens FILE (share mode 0), creates READY, then waits until RELEASE exists
// (at most 120 s) and exits. Exit code 2 when FILE cannot be opened.
#include <windows.h>

#include <cstdio>

static bool exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: temp_holdfile FILE READY RELEASE\n");
        return 1;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    for (int i = 0; i < 1200 && !exists(argv[3]); ++i) Sleep(100);
    CloseHandle(file);
    return 0;
}
