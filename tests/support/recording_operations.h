// Operations that record each call as one line of text, and stand in for the
// real find, verify and install operations by setting the result variables
// the way those do, so that whole programs can run in tests.
#pragma once

#include <cstdint>

#include "instructions/operations.h"
#include "instructions/variables.h"
#include "text/text.h"

namespace mg {

class RecordingOperations : public Operations {
public:
    StringList calls;

    // What the stand-in operations report.
    bool jvmFound = false;
    String foundHome = "C:\\jre";
    String foundJvmFile = "C:\\jre\\jvm.jvm";
    bool jvmValid = false;
    String verifiedHome = "C:\\embedded-jre";
    bool installSucceeds = false;
    String installedJvmFile = "C:\\Temp\\mg1\\jvm.jvm";

    // cancelRequested answers true from this query on (1-based); 0 = never.
    int cancelFromQuery = 0;
    int cancelQueries = 0;

    void initializeUi() override { calls.push_back("initializeUi"); }

    void findJvm(bool showUi, bool showFailureMessage) override {
        calls.push_back("findJvm " + flag(showUi) + " " + flag(showFailureMessage));
        setStringVariable(1, "");
        setStringVariable(2, "");
        setNumericVariable(1, 0);
        if (jvmFound) {
            setStringVariable(1, foundHome);
            setStringVariable(2, foundJvmFile);
            setNumericVariable(1, 1);
        }
    }

    void verifyJvmById(bool showUi, bool showFailureMessage, std::int32_t fileIndex) override {
        calls.push_back("verifyJvmById " + flag(showUi) + " " + flag(showFailureMessage) + " " +
                        toDecimal(fileIndex));
        setNumericVariable(1, 0);
        if (jvmValid) {
            setNumericVariable(1, 1);
            setStringVariable(1, verifiedHome);
        }
    }

    void installJvm(std::int32_t mode) override {
        calls.push_back("installJvm " + toDecimal(mode));
        setNumericVariable(1, 0);
        setStringVariable(1, "");
        if (installSucceeds) {
            setNumericVariable(1, 1);
            setStringVariable(1, installedJvmFile);
        }
    }

    void launchWithJvmFile(const String& jvmFileName, std::int16_t seconds) override {
        calls.push_back("launchWithJvmFile [" + jvmFileName + "] " + toDecimal(seconds));
    }

    void launchWithEmbeddedJvmFile(std::int32_t fileIndex, std::int16_t seconds) override {
        calls.push_back("launchWithEmbeddedJvmFile " + toDecimal(fileIndex) + " " + toDecimal(seconds));
    }

    void executeEmbeddedLauncher(std::int32_t fileIndex) override {
        calls.push_back("executeEmbeddedLauncher " + toDecimal(fileIndex));
    }

    bool cancelRequested() override {
        ++cancelQueries;
        return cancelFromQuery > 0 && cancelQueries >= cancelFromQuery;
    }

private:
    static String flag(bool b) { return b ? "1" : "0"; }
};

}  // namespace mg
