// The driver's logic: the -mg: options in order, input files and their
// actions, then the instructions program. Portable: the work itself is asked
// of DriverActions, which the launcher wires to the real layers
// (launcher/wiring.cpp) and tests replace with a recorder.
#pragma once

#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

class DriverActions {
public:
    virtual ~DriverActions() = default;
    // -mg:tempdir: taken only when dir names an existing directory.
    virtual void setTempRoot(const String& dir) = 0;
    // -mg:extract, after the index was read without contents.
    virtual void extractAll() = 0;
    // The input-file actions.
    virtual void search(bool showProgress, bool showFailure) = 0;
    virtual void searchAll(bool showProgress, bool showFailure) = 0;
    // Sets N1 to 1 when the JVM at home is valid for jvmFile.
    virtual void verifyJvm(bool showProgress, bool showFailure, TagFile& jvmFile, const String& home) = 0;
    // Runs program with directory as its working directory and waits for it.
    virtual void runInstaller(const String& program, const String& directory) = 0;
    // Builds the interpreter on program and runs it; an error in the program
    // arrives as the LauncherException "Error in instructions. ...".
    virtual void runProgram(const TagFile& program) = 0;
    // -mg:clearcache: removes the program's payload cache and tells the
    // user; false when the program asks for no cache (CACHE_FOLDER).
    virtual bool clearCache(const TagFile* program) {
        (void)program;
        return false;
    }
    // A line for the standard output of the query actions.
    virtual void writeOutput(const String& text) = 0;
};

// The driver's version, shown by -mg:version.
extern const char* const LAUNCHER_VERSION;

// Walks the arguments and returns 0; throws LauncherException for what ends
// the run (see runDriver).
int runDriverWith(const StringList& args, DriverActions& actions);

}  // namespace mg
