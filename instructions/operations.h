// The operations that instruction commands call. The interpreter knows only
// this interface; the launcher wires in the JVM, install and launch
// operations, so the interpreter builds and tests on its own.
#pragma once

#include <cstdint>

#include "base/string.h"

namespace mg {

class Operations {
public:
    virtual ~Operations() = default;
    virtual void initializeUi() = 0;
    virtual void findJvm(bool showUi, bool showFailureMessage) = 0;
    virtual void verifyJvmById(bool showUi, bool showFailureMessage, std::int32_t fileIndex) = 0;
    virtual void installJvm(std::int32_t mode) = 0;
    virtual void launchWithJvmFile(const String& jvmFileName, std::int16_t seconds) = 0;
    virtual void launchWithEmbeddedJvmFile(std::int32_t fileIndex, std::int16_t seconds) = 0;
    virtual void executeEmbeddedLauncher(std::int32_t fileIndex) = 0;

    // Asked after every jump the program takes, so that a looping program
    // still ends when the user cancels the progress window. The default reads
    // the process-wide flag the dialog sets.
    virtual bool cancelRequested();
};

}  // namespace mg
