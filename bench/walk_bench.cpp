// Benchmark (not a test): the exhaustive search's walker against a bare
// FindFirstFile walk of the same tree, in one process, best of several runs
// each, alternating so the system's caches favour neither.
//
// Usage: walk_bench.exe ROOT [RUNS]   (ROOT such as W:\ or C:\tree\)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "jvm/search.h"
#include "base/string.h"
#include "ui/progress_win.h"

namespace {

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The least a walk can do: list every directory, descend, count files.
long bareWalk(const String& dir) {
    long files = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const String name(data.cFileName);
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files += bareWalk(dir + name + "\\");
        else
            ++files;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s ROOT [RUNS]\n", argv[0]);
        return 2;
    }
    String root(argv[1]);
    if (root.empty() || root.back() != '\\') root += '\\';
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;

    // The walker moves the progress bar as it goes, as in the launcher: the
    // dialog exists, hidden.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    progressDialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                        progressDialogProc, 0);
    if (!progressDialog) {
        std::fprintf(stderr, "the progress dialog could not be made\n");
        return 1;
    }

    double bestBare = 1e30, bestSearch = 1e30;
    long files = 0;
    // The name no file in the tree has, so the walk visits everything.
    const StringList names = {"bin\\java.exe"};
    for (int run = 0; run < runs; ++run) {
        double start = now();
        files = bareWalk(root);
        double bare = now() - start;
        if (bare < bestBare) bestBare = bare;

        JvmSearch search(systemSearch());
        start = now();
        try {
            systemSearch().walkDrive(root, names, search);
        } catch (const LauncherException& e) {
            std::fprintf(stderr, "the search walk failed: %s\n", e.message().c_str());
            return 1;
        }
        double walked = now() - start;
        if (walked < bestSearch) bestSearch = walked;
    }
    std::printf("files: %ld\n", files);
    std::printf("bare FindFirstFile walk: %.3f s, %.0f files/s\n", bestBare, files / bestBare);
    std::printf("search walk: %.3f s, %.0f files/s\n", bestSearch, files / bestSearch);
    std::printf("ratio search/bare: %.2f\n", bestBare / bestSearch);
    return 0;
}
