// Remembered verifications. A JVM file with VERIFY_CACHE: 1 lets a launch
// skip the verify run for a Java executable that passed before, unchanged,
// against the same requirements. Portable: the key and the cache's text
// format; where the cache lives and the executable's stamp are the system's
// (VerifyCacheStore).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "jvm/jvm_file.h"
#include "base/string.h"
#include "text/record.h"

namespace mg {


// "file <size> <digest>": a class path file's identity.
String fileIdentity(std::uint64_t size, std::uint64_t digest);

// What identifies one passed verification: the executable as the file system
// reports it and the digest of what was asked of it.
struct VerifyKey {
    String exePath;
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;     // the file system's last-write stamp
    std::uint64_t requirements = 0;  // fnv1a64 of requirementsText
};

// The requirements a verify run checks, as one text: each required property
// (name=expected, in order), the verify class name and what its class path
// holds (VerifyCacheStore::classpathIdentity).
String requirementsText(const std::vector<RequiredProperty>& required, const String& className,
                        const String& classpathIdentity);

// The cache's content. The text is a version line, one line per entry and a
// closing line with the entry count and a digest of everything before it,
// so that a file cut short or altered is refused as a whole.
class VerifyCache {
public:
    // At most this many entries are kept, the oldest going first.
    static constexpr std::size_t kMaxEntries = 32;

    // False (and empty) for a text that is not one whole cache of this version.
    bool parse(const String& text);
    String format() const;
    // An entry for the same executable (letter case aside) and requirements,
    // with the same size and last-write stamp.
    bool contains(const VerifyKey& key) const;
    // Records a passed verification; an entry for the same executable and
    // requirements is replaced.
    void remember(const VerifyKey& key);
    std::size_t size() const { return entries_.size(); }

private:
    std::vector<VerifyKey> entries_;  // oldest first
};

// Where the cache of the current user is kept, and what the key needs from
// the file system. The launcher's own is Windows-side.
class VerifyCacheStore {
public:
    virtual ~VerifyCacheStore() = default;
    // The cache file's path, for the log; empty when the user has no folder
    // for it (then nothing is remembered).
    virtual String location() = 0;
    // False when there is no cache file or it cannot be read.
    virtual bool read(String& text) = 0;
    // False with a reason when the cache could not be written.
    virtual bool write(const String& text, String& reason) = 0;
    // The executable's size and last-write stamp; false when it cannot be read.
    virtual bool stamp(const String& path, VerifyKey& key) = 0;
    // What the verify class path holds: for a single file, its size and a
    // digest of its bytes, so a class path that is extracted anew on each
    // run keeps its identity and a changed file loses it; otherwise the text.
    virtual String classpathIdentity(const String& classpath) = 0;
};

#ifdef _WIN32
// The current user's: a file in the local (or roaming) application data folder.
std::unique_ptr<VerifyCacheStore> makeSystemVerifyCacheStore();
#endif

// One verification under VERIFY_CACHE: made before the verify run, asked
// whether a run can be skipped, told when a run passed. Without the tag (or
// without a store, or a stamp) it does nothing and logs nothing.
class CachedVerification {
public:
    CachedVerification(const JvmFile& jvm, const String& exe, const String& verifyClasspath,
                       const String& verifyClassName, VerifyCacheStore* store);
    // True (and logged) when the executable passed before, unchanged, with
    // the same requirements.
    bool passedBefore();
    void rememberPass();

private:
    // The cache as stored; a damaged one is logged and counts as empty.
    VerifyCache load();

    VerifyCacheStore* store_;  // null: inactive
    VerifyKey key_;
    String location_;
    bool damageReported_;
};

}  // namespace mg
