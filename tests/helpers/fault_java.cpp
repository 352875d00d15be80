// A java.exe that misbehaves on purpose while the launcher verifies it. What
// it does is named by the environment variable MG_FAULT_JAVA, which the
// launcher passes on:
//   ok         the verify output of a Java 17 (the control)
//   garbage    control bytes and text, no magic number
//   empty      nothing at all
//   megabytes  a good answer followed by 16 MB on standard output and 4 MB
//              on standard error, more than any pipe buffer holds
//   crash      half the magic number, then ends as if by an access violation
//   droplog    a good answer after deleting the folder of the launcher's log
//              (MG_FAULT_LOG_DIR), so the log disappears between records
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void put(HANDLE out, const std::string& text) {
    DWORD written = 0;
    ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(dir.c_str());
}

}  // namespace

int main() {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    const char* mode = std::getenv("MG_FAULT_JAVA");
    std::string m = mode ? mode : "ok";
    const std::string good = "1739021872\r\n17.0.9\r\n";
    if (m == "ok") {
        put(out, good);
    } else if (m == "garbage") {
        put(out, std::string("\x01\x02\x1b[31mnot java\xff\r\n", 15) + "Exception in thread \"main\"\r\n");
    } else if (m == "empty") {
    } else if (m == "megabytes") {
        put(out, good);
        std::string block(65536, 'x');
        for (int i = 0; i < 65536; i += 64) block[i] = '\n';
        for (int i = 0; i < 256; ++i) put(out, block);
        for (int i = 0; i < 64; ++i) put(err, block);
    } else if (m == "crash") {
        put(out, "17390");
        ::TerminateProcess(::GetCurrentProcess(), 0xC0000005u);
    } else if (m == "droplog") {
        const char* dir = std::getenv("MG_FAULT_LOG_DIR");
        if (dir) removeTree(dir);
        put(out, good);
    }
    return 0;
}
