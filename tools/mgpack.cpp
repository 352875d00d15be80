// mgpack: builds a launcher from mglauncher.exe and the files it carries, and
// lists what a launcher carries.
#include <cstdio>
#include <string>
#include <vector>

#include "payload/index_format.h"
#include "text/text.h"
#include "tools/pack.h"

namespace mg {

namespace {

const char* const HELP =
    "usage: mgpack build --stub LAUNCHER -o OUTPUT [--icon FILE.ico] [--version-info NAME=VALUE]...\n"
    "                    [--manifest FILE] [--file TYPE PATH [--id N] [--name NAME]]...\n"
    "       mgpack list [--records] LAUNCHER\n"
    "       mgpack --help\n"
    "\n"
    "build  appends the files, in the order given, to a copy of the stub launcher,\n"
    "       then the file index and the trailer, and writes OUTPUT (through a\n"
    "       temporary file beside it, renamed at the end). The stub is the plain\n"
    "       launcher as shipped: mglauncher.exe, or mglauncher-console.exe for\n"
    "       command-line programs (never the -debug builds, which keep symbols).\n"
    "       TYPE is a name or its number:\n"
    "         0 instructions         4 jvm-installer\n"
    "         1 jvm-file             5 verify-archive\n"
    "         2 launch-script        6 application-archive\n"
    "         3 classpath-archive    7 embedded-launcher\n"
    "       --id N      the file id (default: the file's position, from 0)\n"
    "       --name NAME the entry name (default: the file's base name); one plain\n"
    "                   file name, below 65,536 bytes, without a line feed, a path\n"
    "                   separator, a colon, a '..', a control character or one of\n"
    "                   < > \" | ? *, and not a device's name (NUL, COM1.jar, ...)\n"
    "       --icon FILE.ico        every image of the icon file becomes the launcher's icon\n"
    "       --version-info NAME=VALUE  a version text: CompanyName, FileDescription,\n"
    "                   FileVersion, InternalName, LegalCopyright, OriginalFilename,\n"
    "                   ProductName, ProductVersion (repeatable; a dotted numeric\n"
    "                   FileVersion/ProductVersion also sets the numeric version)\n"
    "       --manifest FILE        replaces the launcher's application manifest\n"
    "       A stub's signature is removed (sign the packed launcher instead).\n"
    "list   prints the entries of a launcher's file index: position, type, id,\n"
    "       length, offset and name. --records prints them as the launcher's log\n"
    "       does (five lines per entry).\n"
    "\n"
    "Exit status: 0 on success, 1 on an error, 2 on a usage error or an internal\n"
    "error.\n";

int list(const std::vector<std::string>& args) {
    bool records = false;
    std::string path;
    for (const std::string& a : args) {
        if (a == "--records")
            records = true;
        else if (path.empty() && (a.empty() || a[0] != '-'))
            path = a;
        else
            throw PackError{"unexpected argument '" + a + "' (see mgpack --help)"};
    }
    if (path.empty()) throw PackError{"list needs a launcher file"};
    bool hasIndex = false;
    auto entries = readLauncherIndex(path, hasIndex);
    if (!hasIndex) {
        std::printf("%s has no file index\n", path.c_str());
        return 0;
    }
    if (!records) std::printf("%-4s %-22s %11s %11s %11s  %s\n", "pos", "type", "id", "length", "offset", "name");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const FileEntry& e = *entries[i];
        if (records) {
            std::printf("%s\n", entryLogRecord(e).c_str());
        } else {
            String type = toDecimal(e.type) + " " + fileTypeName(e.type);
            std::printf("%-4zu %-22s %11ld %11ld %11ld  %s\n", i, type.c_str(), static_cast<long>(e.id),
                        static_cast<long>(e.length), static_cast<long>(e.offset), e.name.c_str());
        }
    }
    return 0;
}

}  // namespace

}  // namespace mg

using namespace mg;

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(HELP, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    std::string command = args[0];
    args.erase(args.begin());
    return exitStatusOf([&]() -> int {
        if (command == "build") {
            PackRequest request = parseBuildArguments(args);
            addDefaultFiles(request);
            std::vector<std::string> notes;
            auto entries = buildLauncher(request, &notes);
            for (const std::string& note : notes) std::printf("mgpack: %s\n", note.c_str());
            std::printf("wrote %s with %zu embedded file%s\n", request.output.c_str(), entries.size(),
                        entries.size() == 1 ? "" : "s");
            return 0;
        }
        if (command == "list") return list(args);
        std::fprintf(stderr, "mgpack: unknown command '%s' (see mgpack --help)\n", command.c_str());
        return 2;
    });
}
