// mgpack: builds a launcher from mglauncher.exe and the files it carries,
// checks what a launcher carries, and lists it.
#include <cstdio>
#include <string>
#include <vector>

#include "payload/index_format.h"
#include "text/text.h"
#include "tools/check.h"
#include "tools/installation.h"
#include "tools/pack.h"

namespace mg {

namespace {

const char* const HELP =
    "usage: mgpack build [--stub LAUNCHER|console] -o OUTPUT [--icon FILE.ico] [--version-info NAME=VALUE]...\n"
    "                    [--product-name NAME] [--manifest FILE] [--strict | --no-check]\n"
    "                    [--file TYPE PATH [--id N] [--name NAME]]...\n"
    "       mgpack check [--strict] [--input FILE]... LAUNCHER\n"
    "       mgpack list [--records] LAUNCHER\n"
    "       mgpack --help | --version\n"
    "\n"
    "build  appends the files, in the order given, to a copy of the stub launcher,\n"
    "       then the file index and the trailer, and writes OUTPUT (through a\n"
    "       temporary file beside it, renamed at the end). The stub is the plain\n"
    "       launcher as shipped: mglauncher.exe, or mglauncher-console.exe for\n"
    "       command-line programs (never the -debug builds, which keep symbols).\n"
    "       Without --stub, build packs the mglauncher.exe of mgpack's own\n"
    "       installation (share/marrowgate beside mgpack's bin folder); --stub\n"
    "       console packs its mglauncher-console.exe. Where no such file exists,\n"
    "       a jvm-file given by a bare NAME is the ready JVM file of the\n"
    "       installation (share/marrowgate/jvmfiles/NAME), and the verify-archive\n"
    "       'default' is its share/marrowgate/verify.jar.\n"
    "       Before writing, build makes the checks of 'check' on the stub and the\n"
    "       files (named by their paths) and prints what they find on standard\n"
    "       error: an error stops the build and nothing is written (exit status\n"
    "       2); so does a warning with --strict. --no-check packs without\n"
    "       checking the files (for trying the launcher's own handling of faulty\n"
    "       files); the stub must still be one of the launchers.\n"
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
    "       --product-name NAME    the name the launcher's texts give the product, in\n"
    "                   every language: the progress window's text and the\n"
    "                   caption of its message boxes (default: the ProductName\n"
    "                   of --version-info; without either the texts stay as they\n"
    "                   are). UTF-8, 1 to 40 characters, no control characters\n"
    "       --manifest FILE        replaces the launcher's application manifest\n"
    "       A stub's signature is removed (sign the packed launcher instead).\n"
    "check  reads a packed launcher as the launcher would: every tag file with\n"
    "       the launcher's own parsers, and what the files refer to against what\n"
    "       the package carries. It prints one line per finding on standard\n"
    "       output, FILE:LINE: error: MESSAGE (or warning:), FILE being the entry\n"
    "       name, then a summary line. Errors are what fails at run time (unknown\n"
    "       commands and tags, wrong arguments, undefined labels, unterminated\n"
    "       tags, text after a closing quote in COMMAND, archives or files the\n"
    "       package lacks, a stub that is no launcher); warnings what is legal\n"
    "       but likely wrong. --input FILE reads an input file the launcher is\n"
    "       run with (-mg:in) too, and the tag files it names.\n"
    "list   prints the entries of a launcher's file index: position, type, id,\n"
    "       length, offset and name. --records prints them as the launcher's log\n"
    "       does (five lines per entry).\n"
    "--version prints mgpack's version, which is the launcher's.\n"
    "\n"
    "Exit status: 0 on success (check and build: no error, and no warning with\n"
    "--strict), 1 on a failure (a file that cannot be read or written, or is\n"
    "refused), 2 on a usage error, an internal error, or when check or build\n"
    "finds an error (with --strict, a warning).\n";

#ifndef MG_VERSION
#define MG_VERSION "unknown"
#endif

// Stops a build whose check found errors.
struct CheckStopped {};

bool mustStop(const std::vector<Finding>& findings, bool strict) {
    return countOf(findings, Severity::error) > 0 || (strict && countOf(findings, Severity::warning) > 0);
}

int check(const std::vector<std::string>& args) {
    bool strict = false;
    std::string path;
    StringList inputs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--strict") {
            strict = true;
        } else if (a == "--input") {
            if (i + 1 >= args.size()) throw PackError{"--input needs a value"};
            inputs.push_back(args[++i]);
        } else if (path.empty() && (a.empty() || a[0] != '-')) {
            path = a;
        } else {
            throw PackError{"unexpected argument '" + a + "' (see mgpack --help)"};
        }
    }
    if (path.empty()) throw PackError{"check needs a launcher file"};
    Package package = packageOfLauncher(path);
    package.inputFiles = inputs;
    const std::vector<Finding> findings = checkPackage(package);
    for (const Finding& f : findings) std::printf("%s\n", formatFinding(f).c_str());
    std::printf("%s: %s\n", path.c_str(), findingSummary(findings).c_str());
    return mustStop(findings, strict) ? 2 : 0;
}

int build(const std::vector<std::string>& args) {
    PackRequest request = parseBuildArguments(args);
    useInstalledFiles(request, [] { return installedShareDir(ownExecutable()); });
    addDefaultFiles(request);
    std::vector<std::string> notes;
    std::vector<FileEntry> entries;
    try {
        entries = buildLauncher(request, &notes, [&request] {
            const Package package = packageOfRequest(request);
            const std::vector<Finding> findings = request.check ? checkPackage(package) : checkStub(package);
            for (const Finding& f : findings) std::fprintf(stderr, "%s\n", formatFinding(f).c_str());
            const bool stop = mustStop(findings, request.strict);
            if (!findings.empty())
                std::fprintf(stderr, "mgpack: %s%s\n", findingSummary(findings).c_str(),
                             stop ? (": " + std::string(request.output) + " is not written").c_str() : "");
            if (stop) throw CheckStopped{};
        });
    } catch (const CheckStopped&) {
        return 2;
    }
    for (const std::string& note : notes) std::printf("mgpack: %s\n", note.c_str());
    std::printf("wrote %s with %zu embedded file%s\n", request.output.c_str(), entries.size(),
                entries.size() == 1 ? "" : "s");
    return 0;
}

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
    if (args[0] == "--version") {
        std::printf("mgpack %s\n", MG_VERSION);
        return 0;
    }
    std::string command = args[0];
    args.erase(args.begin());
    return exitStatusOf([&]() -> int {
        if (command == "build") return build(args);
        if (command == "check") return check(args);
        if (command == "list") return list(args);
        std::fprintf(stderr, "mgpack: unknown command '%s' (see mgpack --help)\n", command.c_str());
        return 2;
    });
}
