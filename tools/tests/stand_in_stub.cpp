// Writes a stand-in for mglauncher.exe that mgpack accepts as a stub: the
// command-line tests pack it where the real launcher (a Windows build) may
// not exist. Usage: stand_in_stub OUTPUT SIZE [console]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/tests/stub_image.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: stand_in_stub OUTPUT SIZE [console]\n", stderr);
        return 2;
    }
    const std::string image =
        mg::launcherStandIn(std::strtoul(argv[2], nullptr, 10), argc > 3 && std::string(argv[3]) == "console");
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(image.data(), 1, image.size(), f) != image.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
