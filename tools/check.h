// What mgpack finds wrong in a package before it ships. Every tag file is
// read with the launcher's own code (the tag-file parser, the interpreter,
// the JVM-file rules, the launch script's expansion), and what the files
// refer to is compared with what the package carries. Findings name the file
// as the vendor knows it and the line in it. Portable: mgpack and mgpack.exe
// report the same.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/string.h"
#include "payload/file_entry.h"
#include "tools/pack.h"

namespace mg {

enum class Severity { error, warning };

struct Finding {
    Severity severity = Severity::error;
    String file;            // an entry name, a source path in a build, or the package
    std::int32_t line = 0;  // 1-based; 0 when it concerns the file as a whole
    String message;
};

// As a compiler writes it: "FILE:LINE: error: message", or without a line
// "FILE: warning: message".
String formatFinding(const Finding& finding);

// What a stub is. Our launchers carry the resource MGLAUNCHER (RCDATA),
// whatever their size and layout; the console launcher is the one built for
// the console subsystem.
enum class StubKind { notWindowsProgram, zipArchive, otherProgram, guiLauncher, consoleLauncher };
StubKind stubKind(const std::string& image);
// Whether a PE image still carries its COFF symbols: a -debug build, which
// is for a debugger, not for shipping.
bool keepsSymbols(const std::string& image);

// One file of a package as the checks read it.
struct PackageFile {
    FileType type = FT_INSTRUCTIONS;
    std::int32_t id = 0;
    String name;   // the entry name, as the launcher sees it
    String shown;  // in findings
    String path;   // where its bytes are: the packed launcher, or the source file
    long offset = 0;
    long length = 0;
};

struct Package {
    String shown;       // the package in package-wide findings
    String stubShown;   // the stub in its findings
    StubKind stub = StubKind::guiLauncher;
    bool stubKeepsSymbols = false;
    bool hasIndex = true;
    String indexProblem;  // why the index could not be read, if it could not
    std::vector<PackageFile> files;
    // Input files to read with the package (-mg:in files it is run with).
    StringList inputFiles;
};

// The package of a packed launcher. Throws PackError when the file cannot
// be read at all; a missing or damaged index is a finding of checkPackage.
Package packageOfLauncher(const String& path);

// The package a build request would write, before anything is written.
// Throws PackError when a file cannot be read.
Package packageOfRequest(const PackRequest& request);

// Every finding, in the order of the package's files, each file's by line;
// package-wide findings last.
std::vector<Finding> checkPackage(const Package& package);
// Only whether the stub is one of our launchers: what a build checks even
// when it is told not to check the files.
std::vector<Finding> checkStub(const Package& package);

// The summary line: "1 error, 2 warnings".
String findingSummary(const std::vector<Finding>& findings);
std::size_t countOf(const std::vector<Finding>& findings, Severity severity);

}  // namespace mg
