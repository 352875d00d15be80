// The launcher file: the running executable's file index and the tag files
// embedded in it or named by an input file. One process-wide object.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "payload/file_entry.h"
#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

// What the layers above build from the loaded tag files (the instructions
// program, JVM files, the launch script) lives above this one; launcher/
// implements this interface to build them. Each call may throw
// LauncherException, which the LauncherFile wraps with its context.
class ContentHandler {
public:
    virtual ~ContentHandler() = default;
    virtual void instructionsLoaded(const TagFile& program) = 0;
    // Non-const: a JVM file records where its JVM was found or installed.
    virtual void jvmFileLoaded(TagFile& jvmFile) = 0;
    virtual void launchScriptLoaded(const TagFile& launchScript) = 0;
    virtual void verifyClassGiven(const String& classPath, const String& className) = 0;
    // The progress window's title: a launch script's DESC or an input file's UI_TITLE.
    virtual void captionGiven(const String& caption) = 0;
};

class LauncherFile {
public:
    LauncherFile() = default;
    LauncherFile(const LauncherFile&) = delete;
    LauncherFile& operator=(const LauncherFile&) = delete;

    // May be null (tools, tests): the tag files are then only kept.
    void setContentHandler(ContentHandler* handler) { handler_ = handler; }

    // Reads the index of launcherPath (or of path); with contents, also loads
    // the embedded tag files. Does nothing once it has succeeded.
    void loadIndex(bool withContents);
    void loadIndex(const String& path, bool withContents);

    std::int32_t entryCount() const { return static_cast<std::int32_t>(entries_.size()); }
    const FileEntry* entryAt(std::int32_t position) const;
    const FileEntry* entryById(std::int32_t id) const;

    // The tag files named by an input file (INSTRUCTIONS, LAUNCHSCRIPT, JVM,
    // VERIFY_CLASSPATH / VERIFY_CLASS_NAME, UI_TITLE).
    void loadInputReferences(const TagFile& input);
    // Loads a tag file from disk and keeps it for as long as this object lives.
    TagFile& loadTagFileByPath(const String& path);

    const TagFile* instructions() const { return instructions_; }
    const TagFile* launchScript() const { return launchScript_; }
    const std::vector<TagFile*>& jvmFiles() const { return jvmFiles_; }
    bool jvmFilesGiven() const { return jvmFilesGiven_; }
    bool indexLoaded() const { return indexLoaded_; }

    // Back to the state at start-up; for tests.
    void reset();

private:
    void loadContents(std::FILE* stream);
    void setInstructions(const TagFile& program);
    void setLaunchScript(const TagFile& script);
    void addJvmFile(TagFile& jvmFile);

    std::vector<std::unique_ptr<FileEntry>> entries_;
    std::vector<std::unique_ptr<TagFile>> ownedTagFiles_;
    const TagFile* instructions_ = nullptr;
    const TagFile* launchScript_ = nullptr;
    std::vector<TagFile*> jvmFiles_;
    bool jvmFilesGiven_ = false;
    bool indexLoaded_ = false;
    ContentHandler* handler_ = nullptr;
};

// The process-wide launcher file.
LauncherFile& launcherFile();

}  // namespace mg
