// Operations that do nothing and never report a cancel: for running programs
// where only the interpreter matters (tests, the fuzzer).
#pragma once

#include "instructions/operations.h"

namespace mg {

class NullOperations : public Operations {
public:
    void initializeUi() override {}
    void findJvm(bool, bool) override {}
    void verifyJvmById(bool, bool, std::int32_t) override {}
    void installJvm(std::int32_t) override {}
    void launchWithJvmFile(const String&, std::int16_t) override {}
    void launchWithEmbeddedJvmFile(std::int32_t, std::int16_t) override {}
    void executeEmbeddedLauncher(std::int32_t) override {}
    bool cancelRequested() override { return false; }
};

}  // namespace mg
