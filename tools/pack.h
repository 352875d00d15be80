// mgpack's work: appending embedded files, the file index and the trailer to
// a launcher executable, and listing the index of a launcher. Portable: the
// same code builds the Linux tool and mgpack.exe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "payload/file_entry.h"
#include "base/string.h"
#include "tools/pe_resources.h"

namespace mg {

struct PackFile {
    int type = -1;
    String path;
    bool idGiven = false;
    std::int32_t id = 0;
    bool nameGiven = false;
    String name;
};

struct PackRequest {
    String stub;  // empty: the installation's launcher (tools/installation.h)
    String output;
    std::vector<PackFile> files;
    Branding branding;  // --icon, --version-info, --manifest, --product-name
    bool check = true;    // --no-check turns the checks of the files off
    bool strict = false;  // --strict: a warning stops the build too
};

// Failures of mgpack; the message is printed after "mgpack: ".
struct PackError {
    std::string message;
};

// Parses the arguments after "build". Throws PackError.
PackRequest parseBuildArguments(const std::vector<std::string>& args);

// The files every launcher should carry but the request does not name. The
// place for a default verify archive (with --verify-archive PATH and
// --no-verify); none is added yet.
void addDefaultFiles(PackRequest& request);

// Why name cannot be an entry name, or empty when it can: an entry is
// extracted as directory\name, so it must stay one plain file name.
std::string entryNameProblem(const String& name);

// Validates everything, then writes output (through a temporary file in
// the same directory, renamed at the end). Returns the entries written;
// what it changed on its own (a stub's signature removed) goes to notes.
// beforeWriting, when given, runs once everything is validated and before
// a byte is written: an exception from it stops the build, which then
// writes nothing.
std::vector<FileEntry> buildLauncher(const PackRequest& request, std::vector<std::string>* notes = nullptr,
                                     const std::function<void()>& beforeWriting = {});

// Reads a launcher's index. hasIndex is false for a file without one.
std::vector<std::unique_ptr<FileEntry>> readLauncherIndex(const String& path, bool& hasIndex);

// Runs one mgpack command and returns its exit status. What it throws ends
// as a message on standard error: a PackError with status 1, anything else
// (no memory, a fault of mgpack's own) with status 2; never an abort.
int exitStatusOf(const std::function<int()>& command);

// The largest launcher file: offsets are signed 32-bit positions.
constexpr std::int64_t MAX_LAUNCHER_SIZE = 0x7FFFFFFFLL;

}  // namespace mg
