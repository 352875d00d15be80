// The launcher's wiring of the layers: the one place where the production
// objects are built and handed down. The driver's actions, what is built from
// the tag files of the launcher file, and the operations the instruction
// commands call are the layers' own functions on the launcher's own systems.
#pragma once

#include "instructions/operations.h"
#include "launcher/actions.h"
#include "payload/launcher_file.h"

namespace mg {

class SystemActions : public DriverActions {
public:
    void setTempRoot(const String& dir) override;
    void extractAll() override;
    void search(bool showProgress, bool showFailure) override;
    void searchAll(bool showProgress, bool showFailure) override;
    void verifyJvm(bool showProgress, bool showFailure, TagFile& jvmFile, const String& home) override;
    void runInstaller(const String& program, const String& directory) override;
    void runProgram(const TagFile& program) override;
    void writeOutput(const String& text) override;
};

class SystemContent : public ContentHandler {
public:
    void instructionsLoaded(const TagFile& program) override;
    void jvmFileLoaded(TagFile& jvmFile) override;
    void launchScriptLoaded(const TagFile& launchScript) override;
    void verifyClassGiven(const String& classPath, const String& className) override;
    void captionGiven(const String& caption) override;
};

class SystemOperations : public Operations {
public:
    void initializeUi() override;
    void findJvm(bool showUi, bool showFailureMessage) override;
    void verifyJvmById(bool showUi, bool showFailureMessage, std::int32_t fileIndex) override;
    void installJvm(std::int32_t mode) override;
    void launchWithJvmFile(const String& jvmFileName, std::int16_t seconds) override;
    void launchWithEmbeddedJvmFile(std::int32_t fileIndex, std::int16_t seconds) override;
    void executeEmbeddedLauncher(std::int32_t fileIndex) override;
};

}  // namespace mg
