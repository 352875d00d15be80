#include "payload/launcher_file.h"

#include "base/file_ptr.h"
#include "base/log.h"
#include "base/settings.h"
#include "payload/index_format.h"

namespace mg {

namespace {


// Runs build and turns its failure into context + the inner message.
template <class F> void withContext(const char* context, F build) {
    try {
        build();
    } catch (const LauncherException& e) {
        throw LauncherException(context + e.message());
    }
}

}  // namespace

LauncherFile& launcherFile() {
    static LauncherFile instance;
    return instance;
}

void LauncherFile::loadIndex(bool withContents) { loadIndex(launcherPath, withContents); }

void LauncherFile::loadIndex(const String& path, bool withContents) {
    if (indexLoaded_) return;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) throw LauncherException("Cannot open launcher file.");

    // Records are gathered apart, so that a failed read leaves nothing behind
    // and a later call starts afresh.
    std::vector<std::unique_ptr<FileEntry>> read;
    try {
        readFileIndex(file.get(), read);
        for (auto& e : read) {
            writeLog(entryLogRecord(*e));
            entries_.push_back(std::move(e));
        }
        read.clear();
        if (withContents) loadContents(file.get());
    } catch (const LauncherException&) {
        throw;
    } catch (...) {
        // Anything but a format error ends the reading quietly with what was read.
        for (auto& e : read)
            if (e) entries_.push_back(std::move(e));
    }
    indexLoaded_ = true;
}

void LauncherFile::loadContents(std::FILE* stream) {
    for (auto& entry : entries_) {
        if (entry->type > FT_LAUNCH_SCRIPT) continue;
        auto tagFile = std::make_unique<TagFile>();
        // A negative length would mean "to the end of the stream" to the parser.
        if (entry->length < 0) throw LauncherException("Unable to read tag file.");
        tagFile->parse(stream, entry->name, entry->offset, entry->length);
        entry->tagFile = std::move(tagFile);
        TagFile& loaded = *entry->tagFile;
        if (entry->type == FT_INSTRUCTIONS) {
            if (!instructions_) withContext("Error loading instructions file.", [&] { setInstructions(loaded); });
        } else if (entry->type == FT_JVM_FILE) {
            if (!jvmFilesGiven_) withContext("Error loading JVM file.", [&] { addJvmFile(loaded); });
        } else if (!launchScript_) {
            withContext("Error loading launch script.", [&] { setLaunchScript(loaded); });
        }
    }
    jvmFilesGiven_ = true;
}

void LauncherFile::setInstructions(const TagFile& program) {
    if (handler_) handler_->instructionsLoaded(program);
    instructions_ = &program;
}

void LauncherFile::setLaunchScript(const TagFile& script) {
    if (handler_) handler_->launchScriptLoaded(script);
    launchScript_ = &script;
    if (handler_) handler_->captionGiven(script.getValue("DESC"));
}

void LauncherFile::addJvmFile(TagFile& jvmFile) {
    if (handler_) handler_->jvmFileLoaded(jvmFile);
    jvmFiles_.push_back(&jvmFile);
}

const FileEntry* LauncherFile::entryAt(std::int32_t position) const {
    if (position < 0 || position >= entryCount()) return nullptr;
    return entries_[static_cast<std::size_t>(position)].get();
}

const FileEntry* LauncherFile::entryById(std::int32_t id) const {
    for (const auto& e : entries_)
        if (e->id == id) return e.get();
    return nullptr;
}

TagFile& LauncherFile::loadTagFileByPath(const String& path) {
    auto tagFile = std::make_unique<TagFile>();
    tagFile->load(path);  // a failure discards the partly built file
    ownedTagFiles_.push_back(std::move(tagFile));
    return *ownedTagFiles_.back();
}

void LauncherFile::loadInputReferences(const TagFile& input) {
    String path = input.getValue("INSTRUCTIONS");
    if (!path.empty())
        withContext("Error loading instructions file.", [&] { setInstructions(loadTagFileByPath(path)); });

    path = input.getValue("LAUNCHSCRIPT");
    if (!path.empty()) withContext("Error loading launch script.", [&] { setLaunchScript(loadTagFileByPath(path)); });

    String classPath = input.getValue("VERIFY_CLASSPATH");
    String className = input.getValue("VERIFY_CLASS_NAME");
    if (!classPath.empty() && !className.empty() && handler_) handler_->verifyClassGiven(classPath, className);

    String title = input.getValue("UI_TITLE");
    if (!title.empty() && handler_) handler_->captionGiven(title);

    std::size_t count = input.valueCount("JVM");
    for (std::size_t i = 0; i < count; ++i) {
        jvmFilesGiven_ = true;
        String jvm = input.getValue("JVM", i);
        if (!jvm.empty()) withContext("Error loading JVM file.", [&] { addJvmFile(loadTagFileByPath(jvm)); });
    }
}

void LauncherFile::reset() {
    instructions_ = nullptr;
    launchScript_ = nullptr;
    jvmFiles_.clear();
    entries_.clear();
    ownedTagFiles_.clear();
    jvmFilesGiven_ = false;
    indexLoaded_ = false;
}

}  // namespace mg
