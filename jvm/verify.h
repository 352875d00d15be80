// Verification of a candidate JVM home: its own Java executable runs the
// verify class, which must print the magic number and the values of the
// system properties the JVM file requires. Portable: the executable's
// existence and the verify archive's extraction are reached through
// VerifySystem, the run itself through the launch script machinery.
#pragma once

#include <memory>
#include <vector>

#include "jvm/jvm_file.h"
#include "base/string.h"
#include "jvm/verify_cache.h"

namespace mg {

// The first line the verify class prints.
extern const char* const VERIFY_MAGIC;

// What verification needs from the system.
class VerifySystem {
public:
    virtual ~VerifySystem() = default;
    // Whether path can be opened for reading (a file held without sharing
    // counts); other failures than "not found" are logged.
    virtual bool fileExists(const String& path) = 0;
    // Extracts every embedded verify archive, in index order, each into a
    // new temporary directory, and returns the path of the last one; empty
    // when the launcher carries none.
    virtual String extractVerifyArchives() = 0;
    // Where JVM files with VERIFY_CACHE remember passed verifications; none
    // (every run verifies) unless the system has a place for it.
    virtual VerifyCacheStore* verifyCacheStore() { return nullptr; }
};

// Expands a verify command for a JVM file and runs it with its output
// captured. The launch script machinery does that, a layer above this one:
// the launcher wires it with setVerifyRunner, tests may pass a fake.
class VerifyRunner {
public:
    virtual ~VerifyRunner() = default;
    // What the run printed on standard output. ChildStopped when the run
    // was ended early.
    virtual String run(JvmFile& jvm, const String& command) = 0;
};
void setVerifyRunner(VerifyRunner* runner);

#ifdef _WIN32
// The launcher's own: the file system and the process-wide launcher file.
// Host tests pass a fake instead.
VerifySystem& systemVerify();
#endif

// The verify class setting that JvmSearch holds (behind its setVerifyClass,
// prepareVerifyClass and getVerifyClass): the class path argument and the
// class name of the verify run.
class VerifyClass {
public:
    // An input file's VERIFY_CLASSPATH and VERIFY_CLASS_NAME.
    void set(const String& classpath, const String& className);
    // Without a setting, the last embedded verify archive, extracted once,
    // and the class "Verify", both in double quotes. Without an archive both
    // stay empty, and the next call tries again.
    void prepare(VerifySystem& system);
    // prepare, then both settings.
    void get(VerifySystem& system, String& classpath, String& className);

    const String& classpath() const { return classpath_; }
    const String& className() const { return className_; }

private:
    String classpath_;
    String className_;
};

// The verify command text before expansion, and the required properties in
// the order of their arguments. JVM_PROPERTIES values without "=" are logged
// as a warning and left out. The executable's path is quoted when the home or
// JVM_EXE holds a blank.
String buildVerifyCommand(const JvmFile& jvm, const String& home, const String& verifyClasspath,
                          const String& verifyClassName, std::vector<RequiredProperty>& required);

// Whether the verify run's standard output shows a JVM with the required
// properties: the magic line first, then one value per property. Lines are
// trimmed; output that ends before every property was reported fails. On a
// failure, reason (when given) says why, for the log: "java.vendor is X,
// wanted Y".
bool checkVerifyOutput(const String& output, const std::vector<RequiredProperty>& required,
                       String* reason = nullptr);

// Sets the JVM file's JVM_HOME to home, runs the verify command on behalf of
// the JVM file with output capture and checks what it printed. A rejected
// JVM is logged with the reason, which reason (when given) receives too.
bool runVerify(JvmFile& jvm, const String& home, const String& verifyClasspath,
               const String& verifyClassName, String* reason = nullptr);

// The homes verified while one lives, each with its outcome, so that a
// search that found nothing can say in one line what it tried and why each
// was refused. One at a time (the search runs on one thread).
class VerifyJournal {
public:
    VerifyJournal();
    ~VerifyJournal();
    VerifyJournal(const VerifyJournal&) = delete;
    VerifyJournal& operator=(const VerifyJournal&) = delete;

    // "Candidates tried: HOME (DESC: OUTCOME), ..." or "Candidates tried: none".
    String summary() const;

private:
    VerifyJournal* previous_;
};

// Notes a verified home and its outcome in the living journal, if any.
void recordVerifyOutcome(const JvmFile& jvm, const String& home, const String& outcome);

// A match when home holds the JVM file's executable and its verify run
// passes; none otherwise (and, silently, for an empty JVM_EXE or home).
// Shows "Verifying <DESC>" meanwhile and restores the detail line after.
// With VERIFY_CACHE: 1 in the JVM file a pass is remembered, and an
// unchanged executable with the same requirements passes without a run.
std::unique_ptr<JvmMatch> verifyAt(JvmFile& jvm, const String& home, const String& verifyClasspath,
                                   const String& verifyClassName, VerifySystem& system);

}  // namespace mg
