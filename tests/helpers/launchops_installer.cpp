// A small JVM installer for the sample launcher and the end-to-end runs. It
// honours the launcher's installer contract: started without arguments in the
// destination directory, it copies a JVM home into it and leaves there a JVM
// file named "jvm" that describes it.
//
// The home it copies is named by the environment variable
// MG_INSTALLER_SOURCE (a Windows path; the launcher's children inherit its
// environment), for example a JVM home whose bin\java.exe is the bridge.
// Exit status 0 on success; otherwise a message on standard error, status 1,
// and no "jvm" file, so that the launcher reports the installation as failed.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool copyTree(const std::string& from, const std::string& to) {
    if (!CreateDirectoryA(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "installer: cannot create %s (error %lu)\n", to.c_str(), GetLastError());
        return false;
    }
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((from + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "installer: cannot list %s (error %lu)\n", from.c_str(), GetLastError());
        return false;
    }
    bool ok = true;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string source = from + "\\" + name;
        std::string target = to + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = copyTree(source, target);
        } else if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
            std::fprintf(stderr, "installer: cannot copy %s (error %lu)\n", source.c_str(), GetLastError());
            ok = false;
        }
    } while (ok && FindNextFileA(find, &data));
    FindClose(find);
    return ok;
}

// The JVM file is written last: its presence tells the launcher the
// installation is complete.
bool writeJvmFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) {
        std::fprintf(stderr, "installer: cannot write %s\n", path.c_str());
        return false;
    }
    std::fputs("DESC: Bundled Java(tm) Virtual Machine\n"
               "JVM_EXE: bin\\java.exe\n"
               "SYSTEM: -D\n"
               "SYSTEM_SEPARATOR: =\n"
               "CLASSPATH: \"-classpath \"\n"
               "CLASSPATH_SEPARATOR: ;\n",
               f);
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char**) {
    if (argc > 1) {
        std::fprintf(stderr,
                     "usage: launchops_installer   (no arguments)\n"
                     "Copies the JVM home named by MG_INSTALLER_SOURCE into the current directory\n"
                     "and writes the JVM file \"jvm\" there.\n");
        return 2;
    }
    char source[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("MG_INSTALLER_SOURCE", source, sizeof source);
    if (length == 0 || length >= sizeof source) {
        std::fprintf(stderr, "installer: MG_INSTALLER_SOURCE does not name a JVM home\n");
        return 1;
    }
    std::string home = source;
    while (!home.empty() && (home.back() == '\\' || home.back() == '/')) home.pop_back();
    if (GetFileAttributesA((home + "\\bin\\java.exe").c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "installer: %s\\bin\\java.exe does not exist\n", home.c_str());
        return 1;
    }
    char here[MAX_PATH] = {};
    if (GetCurrentDirectoryA(sizeof here, here) == 0) return 1;
    std::string destination = here;
    if (!destination.empty() && destination.back() == '\\') destination.pop_back();
    if (!copyTree(home + "\\bin", destination + "\\bin")) return 1;
    if (!writeJvmFile(destination + "\\jvm")) return 1;
    std::printf("installer: installed %s into %s\n", home.c_str(), destination.c_str());
    return 0;
}
