// Tag files: the text format of named values behind every configuration text
// (input files, instructions programs, launch scripts, JVM files).
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/string.h"

namespace mg {

struct Tag {
    String name;
    StringList values;  // never empty while held by a TagFile
};

// What a parse reads, told as it reads it, for a reader that wants more than
// the tags (mgpack's checks): where each tag and value was read, what a
// closing quote left ignored, and a syntax error's line and reason. Lines are
// 1-based, counted as the syntax errors count them. The launcher parses
// without one.
class ParseObserver {
public:
    virtual ~ParseObserver() = default;
    // A tag line removed any earlier tag of that name.
    virtual void tagRemoved(const String& name) = 0;
    // A value was stored for name; tagLine is the line of the tag's name.
    virtual void valueRead(const String& name, std::int32_t tagLine, std::int32_t valueLine) = 0;
    // Text after a value's closing quote, which the format ignores.
    virtual void textIgnored(const String& name, std::int32_t line, const String& text) = 0;
    // Told just before the syntax error is logged and thrown.
    virtual void syntaxError(std::int32_t line, const String& reason) = 0;
};

// How far the value lines of a multi-line tag that opens inside the region
// are read. The launcher reads them on past the region's end, to "/:" or the
// end of the stream, as it always has; a checker reads the region alone, so
// that a tag missing its "/:" is reported rather than completed by the lines
// of the next embedded file.
enum class RegionEnd { valuesMayRunPast, valuesStopAtEnd };

class TagFile {
public:
    TagFile() = default;

    // Opens fileName as text and parses all of it. Throws LauncherException
    // "Unable to load input file: " + fileName when it cannot be opened.
    void load(const String& fileName);

    // Parses tags from the region of an open stream starting at the absolute
    // offset; length < 0 means to the end of the stream. Tags are added to
    // those already held. Syntax errors are logged, then thrown. An observer,
    // when given, is told what is read.
    void parse(std::FILE* stream, const String& fileName, long offset, long length,
               RegionEnd regionEnd = RegionEnd::valuesMayRunPast, ParseObserver* observer = nullptr);

    const Tag* findTag(const String& name) const;
    String getValue(const String& name, std::size_t index = 0) const;
    std::size_t valueCount(const String& name) const;
    bool getBool(const String& name, bool defaultValue) const;

    void setValue(const String& name, const String& value);
    void addValue(const String& name, const String& value);
    void setBool(const String& name, bool flag);
    void removeTag(const String& name);
    void setJvmLocation(const String& home, const String& jvmFile, bool temporary);

    // Writes every tag; a target that cannot be opened is silently skipped.
    void write(const String& fileName) const;

    const std::vector<Tag>& tags() const { return tags_; }
    const String& fileName() const { return fileName_; }
    std::int32_t lineCount() const { return lineCount_; }

private:
    std::vector<Tag> tags_;
    String fileName_;
    std::int32_t lineCount_ = 0;
};

}  // namespace mg
