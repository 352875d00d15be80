// A small child program for the process tests. Each mode does one thing a
// real child may do to the launcher's pipes:
//   stderr N          N numbered lines on standard error only
//   big BYTES         BYTES bytes on standard output (more than a pipe holds)
//   both BYTES        BYTES bytes on each of standard output and error
//   exit CODE TEXT    prints TEXT on standard output and exits with CODE
//   cwd               prints the current directory
//   env NAME          prints the value of environment variable NAME
//   nul               writes "a", a zero byte and "b"
//   late MS TEXT      sleeps MS milliseconds, then prints TEXT and ends
//   installer MS      sleeps MS milliseconds, then writes the JVM file "jvm"
//                     into the current directory, as a JVM installer does
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void writeAll(HANDLE handle, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                       nullptr) ||
            written == 0)
            std::exit(90);
        done += written;
    }
}

// Deterministic content, so the reader can check every byte arrived in order.
std::string pattern(std::size_t size, char base) {
    std::string bytes(size, ' ');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(base + i % 26);
    return bytes;
}

int usage() {
    writeAll(GetStdHandle(STD_ERROR_HANDLE),
             "usage: proc_child stderr N | big BYTES | both BYTES | exit CODE TEXT | cwd | env NAME"
             " | nul | late MS TEXT | installer MS\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    std::string mode = argv[1];
    if (mode == "stderr" && argc == 3) {
        int lines = std::atoi(argv[2]);
        for (int i = 0; i < lines; ++i) writeAll(err, "line " + std::to_string(i) + "\r\n");
    } else if (mode == "big" && argc == 3) {
        writeAll(out, pattern(std::strtoul(argv[2], nullptr, 10), 'a'));
    } else if (mode == "both" && argc == 3) {
        std::size_t size = std::strtoul(argv[2], nullptr, 10);
        // Interleaved so that both pipes fill up while the other is read.
        std::string o = pattern(size, 'a'), e = pattern(size, 'A');
        for (std::size_t i = 0; i < size; i += 1000) {
            writeAll(out, o.substr(i, 1000));
            writeAll(err, e.substr(i, 1000));
        }
    } else if (mode == "exit" && argc == 4) {
        writeAll(out, argv[3]);
        return std::atoi(argv[2]);
    } else if (mode == "cwd" && argc == 2) {
        char dir[MAX_PATH];
        DWORD n = GetCurrentDirectoryA(MAX_PATH, dir);
        writeAll(out, std::string(dir, n));
    } else if (mode == "env" && argc == 3) {
        char value[1024];
        DWORD n = GetEnvironmentVariableA(argv[2], value, sizeof value);
        writeAll(out, n ? std::string(value, n) : std::string("(unset)"));
    } else if (mode == "nul" && argc == 2) {
        writeAll(out, std::string("a\0b", 3));
    } else if (mode == "late" && argc == 4) {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        writeAll(out, argv[3]);
    } else if (mode == "installer" && argc == 3) {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        std::FILE* f = std::fopen("jvm", "w");
        if (!f) return 91;
        std::fputs("DESC: Installed by proc_child\nJVM_EXE: bin\\java.exe\n", f);
        std::fclose(f);
    } else {
        return usage();
    }
    return 0;
}
