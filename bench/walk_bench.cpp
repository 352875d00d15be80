// Benchmark (not a test): the exhaustive search's walker against a bare
// FindFirstFile walk of the same tree, in one process, best of several runs
// each, alternating so the system's caches favour neither. The walker runs
// twice per round: on the main thread beside a hidden dialog, and as the
// launcher runs it, on a worker thread while the main thread pumps the
// messages of the shown dialog.
//
// Usage: walk_bench.exe ROOT [RUNS]   (ROOT such as W:\ or C:\tree\)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "jvm/search.h"
#include "base/string.h"
#include "ui/progress_win.h"

using namespace mg;

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

const StringList& searchedNames() {
    // The name no file in the tree has, so the walk visits everything.
    static const StringList names = {"bin\\java.exe"};
    return names;
}

// Seconds of one search walk of root; negative after a failure (reported).
double searchWalk(const String& root) {
    JvmSearch search(systemSearch());
    const double start = now();
    try {
        systemSearch().walkDrive(root, searchedNames(), search);
    } catch (const LauncherException& e) {
        std::fprintf(stderr, "the search walk failed: %s\n", e.message().c_str());
        return -1;
    }
    return now() - start;
}

struct WorkerWalk {
    String root;
    DWORD mainThread;
    double seconds;
};

DWORD WINAPI walkOnWorker(LPVOID parameter) {
    WorkerWalk& job = *static_cast<WorkerWalk*>(parameter);
    job.seconds = searchWalk(job.root);
    ::PostThreadMessageA(job.mainThread, WM_QUIT, 0, 0);
    return 0;
}

// The launcher's threading: the dialog shown and served by this thread's
// message loop (as WinMain's), the walk on a worker.
double threadedWalk(const String& root) {
    ::ShowWindow(progressDialog, SW_SHOWNORMAL);
    WorkerWalk job = {root, ::GetCurrentThreadId(), -1};
    HANDLE worker = ::CreateThread(nullptr, 0, walkOnWorker, &job, 0, nullptr);
    if (!worker) return -1;
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageA(progressDialog, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    ::WaitForSingleObject(worker, INFINITE);
    ::CloseHandle(worker);
    ::ShowWindow(progressDialog, SW_HIDE);
    return job.seconds;
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

    // The walker moves the progress bar as it goes, as in the launcher.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    progressDialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                        progressDialogProc, 0);
    if (!progressDialog) {
        std::fprintf(stderr, "the progress dialog could not be made\n");
        return 1;
    }

    double bestBare = 1e30, bestSearch = 1e30, bestThreaded = 1e30;
    long files = 0;
    for (int run = 0; run < runs; ++run) {
        double start = now();
        files = bareWalk(root);
        double bare = now() - start;
        if (bare < bestBare) bestBare = bare;

        double walked = searchWalk(root);
        if (walked < 0) return 1;
        if (walked < bestSearch) bestSearch = walked;

        walked = threadedWalk(root);
        if (walked < 0) return 1;
        if (walked < bestThreaded) bestThreaded = walked;
    }
    std::printf("files: %ld\n", files);
    std::printf("bare FindFirstFile walk: %.3f s, %.0f files/s\n", bestBare, files / bestBare);
    std::printf("search walk, one thread, window hidden: %.3f s, %.0f files/s\n", bestSearch, files / bestSearch);
    std::printf("ratio search/bare, one thread: %.2f\n", bestBare / bestSearch);
    std::printf("search walk on a worker, window shown: %.3f s, %.0f files/s\n", bestThreaded,
                files / bestThreaded);
    std::printf("ratio search/bare with the window shown and the real threads: %.2f\n",
                bestBare / bestThreaded);
    return 0;
}
