#include "text/tagfile.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "base/file_ptr.h"
#include "base/log.h"
#include "text/text.h"

namespace mg {

namespace {


// fgetc returns EOF both at the end and on a read error; testing with a peek
// rather than feof() keeps a failing stream from looping forever.
bool atEnd(std::FILE* stream) {
    int c = std::fgetc(stream);
    if (c == EOF) return true;
    std::ungetc(c, stream);
    return false;
}

// The tags being parsed. A file of many thousands of tags, or one that keeps
// redefining names, must not cost a linear search and a vector shift per
// line, so removal only marks a slot and the list is compacted once at the
// end.
class ParseList {
public:
    explicit ParseList(std::vector<Tag>& tags) : tags_(tags) {
        alive_.assign(tags_.size(), true);
        for (std::size_t i = 0; i < tags_.size(); ++i)
            if (find(tags_[i].name) == NONE) insert(i);
    }
    ~ParseList() {
        std::vector<Tag> kept;
        kept.reserve(tags_.size());
        for (std::size_t i = 0; i < tags_.size(); ++i)
            if (alive_[i]) kept.push_back(std::move(tags_[i]));
        tags_.swap(kept);
    }
    ParseList(const ParseList&) = delete;
    ParseList& operator=(const ParseList&) = delete;

    void remove(const String& name) {
        const std::size_t i = find(name);
        if (i != NONE) alive_[i] = false;
    }
    // Appends a value; an absent tag is created at the end.
    void add(const String& name, const String& value) {
        const std::size_t i = find(name);
        if (i != NONE) {
            tags_[i].values.push_back(value);
            return;
        }
        tags_.push_back(Tag{name, StringList{value}});
        alive_.push_back(true);
        insert(tags_.size() - 1);
    }

private:
    // The index is an open-addressing table of tag positions (a plain
    // std::unordered_map costs the launcher 5 KB): a removed tag keeps its
    // slot, skipped by lookups, until the table grows.
    static constexpr std::size_t NONE = static_cast<std::size_t>(-1);

    static std::uint32_t hash(const String& name) {
        std::uint32_t h = 2166136261u;
        for (char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        return h;
    }
    // The live tag of that name, or NONE.
    std::size_t find(const String& name) const {
        if (slots_.empty()) return NONE;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t s = hash(name) & mask; slots_[s] != NONE; s = (s + 1) & mask)
            if (alive_[slots_[s]] && tags_[slots_[s]].name == name) return slots_[s];
        return NONE;
    }
    void insert(std::size_t tag) {
        if (2 * (used_ + 1) > slots_.size()) {
            // Twice the live tags, at least 16: removed ones are dropped.
            std::size_t size = 16;
            while (size < 4 * (tags_.size() + 1)) size *= 2;
            slots_.assign(size, NONE);
            used_ = 0;
            for (std::size_t i = 0; i < tag; ++i)
                if (alive_[i] && find(tags_[i].name) == NONE) place(i);
        }
        place(tag);
    }
    void place(std::size_t tag) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t s = hash(tags_[tag].name) & mask;
        while (slots_[s] != NONE) s = (s + 1) & mask;
        slots_[s] = tag;
        ++used_;
    }

    std::vector<Tag>& tags_;
    std::vector<bool> alive_;
    std::vector<std::size_t> slots_;
    std::size_t used_ = 0;
};

bool needsQuotes(const String& value) {
    return value.empty() || isSpaceChar(value.front()) || isSpaceChar(value.back()) ||
           value.find('"') != String::npos;
}

void writeValue(std::FILE* f, const String& value) {
    std::fputs("  ", f);
    if (!needsQuotes(value)) {
        std::fwrite(value.data(), 1, value.size(), f);
    } else {
        std::fputc('"', f);
        for (char c : value) {
            if (c == '"') std::fputc('"', f);
            std::fputc(c, f);
        }
        std::fputc('"', f);
    }
    std::fputc('\n', f);
}

}  // namespace

void TagFile::load(const String& fileName) {
    FilePtr f(std::fopen(fileName.c_str(), "r"));
    if (!f) throw LauncherException("Unable to load input file: " + fileName);
    parse(f.get(), fileName, 0, -1);
}

void TagFile::parse(std::FILE* stream, const String& fileName, long offset, long length, RegionEnd regionEnd,
                    ParseObserver* observer) {
    fileName_ = fileName;
    lineCount_ = 0;
    if (offset < 0 || std::fseek(stream, offset, SEEK_SET) != 0)
        throw LauncherException("Unable to read tag file.");

    ParseList list(tags_);
    // 64 bits: an offset and length near 2 GB must not wrap the region's end.
    const std::int64_t end = static_cast<std::int64_t>(offset) + length;
    auto pastRegion = [&] { return length >= 0 && static_cast<std::int64_t>(std::ftell(stream)) >= end; };
    auto syntaxError = [&](std::int32_t line, const char* what) {
        if (observer) observer->syntaxError(line, what);
        String message = "Syntax error in " + fileName_ + " at line " + toDecimal(line) + " ==> " + what;
        writeLog(message, LOG_ERROR);
        return LauncherException(message);
    };
    // The quoted argument that starts after the quote at start.
    auto quoted = [&](const String& line, std::size_t start, const String& name) {
        std::size_t pos = start + 1;
        String value = parseArgument(line, pos, true);
        if (observer && pos != NPOS && pos < line.size()) observer->textIgnored(name, lineCount_, line.substr(pos));
        return value;
    };
    auto add = [&](const String& name, const String& value, std::int32_t tagLine) {
        list.add(name, value);
        if (observer) observer->valueRead(name, tagLine, lineCount_);
    };

    while (!atEnd(stream)) {
        if (pastRegion()) break;
        String line;
        readLine(stream, line);
        ++lineCount_;
        if (line.empty()) continue;

        std::size_t colon = line.find(':');
        if (colon == String::npos) throw syntaxError(lineCount_, "Missing colon at the end of the tag name.");
        String name = line.substr(0, colon);
        trim(name);
        list.remove(name);
        if (observer) observer->tagRemoved(name);

        if (colon + 1 == line.size()) {
            // Value lines run to "/:" or the end of the stream, past the region
            // if need be, unless the parse is bounded to it.
            const std::int32_t tagLine = lineCount_;
            for (;;) {
                if (atEnd(stream) || (regionEnd == RegionEnd::valuesStopAtEnd && pastRegion()))
                    throw syntaxError(tagLine, "Missing /: tag completer.");
                String value;
                readLine(stream, value);
                ++lineCount_;
                if (!value.empty() && value[0] == '"') value = quoted(value, 0, name);
                if (value.empty()) continue;
                if (value == "/:") break;
                add(name, value, tagLine);
            }
            continue;
        }

        std::size_t start = line.find_first_not_of(WHITESPACE, colon + 1);
        if (start == String::npos) throw syntaxError(lineCount_, "Invalid tag format.");
        add(name, line[start] == '"' ? quoted(line, start, name) : line.substr(start), lineCount_);
    }
}

const Tag* TagFile::findTag(const String& name) const {
    for (const Tag& tag : tags_)
        if (tag.name == name) return &tag;
    return nullptr;
}

String TagFile::getValue(const String& name, std::size_t index) const {
    const Tag* tag = findTag(name);
    if (!tag || index >= tag->values.size()) return String();
    return tag->values[index];
}

std::size_t TagFile::valueCount(const String& name) const {
    const Tag* tag = findTag(name);
    return tag ? tag->values.size() : 0;
}

bool TagFile::getBool(const String& name, bool defaultValue) const {
    String value = getValue(name);
    std::int16_t n;
    if (value.empty() || !scanShort(value, n)) return defaultValue;
    return n != 0;
}

void TagFile::setValue(const String& name, const String& value) {
    for (Tag& tag : tags_) {
        if (tag.name == name) {
            tag.values.resize(1);
            tag.values[0] = value;
            return;
        }
    }
    tags_.push_back(Tag{name, StringList{value}});
}

void TagFile::addValue(const String& name, const String& value) {
    for (Tag& tag : tags_) {
        if (tag.name == name) {
            tag.values.push_back(value);
            return;
        }
    }
    setValue(name, value);
}

void TagFile::setBool(const String& name, bool flag) { setValue(name, flag ? "1" : "0"); }

void TagFile::removeTag(const String& name) {
    for (auto it = tags_.begin(); it != tags_.end(); ++it) {
        if (it->name == name) {
            tags_.erase(it);
            return;
        }
    }
}

void TagFile::setJvmLocation(const String& home, const String& jvmFile, bool temporary) {
    setValue("JVM_HOME", home);
    setValue("JVM_FILE", jvmFile);
    setBool("JVM_TEMP", temporary);
}

void TagFile::write(const String& fileName) const {
    FilePtr f(std::fopen(fileName.c_str(), "w"));
    if (!f) return;
    for (const Tag& tag : tags_) {
        if (tag.values.empty()) continue;
        std::fwrite(tag.name.data(), 1, tag.name.size(), f.get());
        std::fputc(':', f.get());
        bool multi = tag.values.size() > 1;
        if (multi) std::fputc('\n', f.get());
        for (const String& value : tag.values) writeValue(f.get(), value);
        if (multi) std::fputs("/:\n", f.get());
    }
}

}  // namespace mg
