// Loads a DLL by its bare name, as a system DLL loads its helpers, after the
// launcher's DLL search restriction or without it.
//   hardening_probe restricted|plain NAME
// Prints "loaded" or "not loaded"; the planted DLL itself leaves a marker.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "launcher/dll_search_win.h"

using namespace mg;

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    if (std::strcmp(argv[1], "restricted") == 0) restrictDllSearch();
    HMODULE module = ::LoadLibraryA(argv[2]);
    std::printf("%s\n", module ? "loaded" : "not loaded");
    return 0;
}
