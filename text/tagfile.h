// Tag files: the text format of named values behind every configuration text
// (input files, instructions programs, launch scripts, JVM files).
#pragma once

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "base/string.h"

namespace mg {

struct Tag {
    String name;
    StringList values;  // never empty while held by a TagFile
    // Where the tag was read: the line of its name and of each value (1-based,
    // as the syntax errors count). Values set in code have no line, so lines
    // may be shorter than values, and line is 0 for a tag made in code.
    std::int32_t line = 0;
    std::vector<std::int32_t> lines;
};

// Text after a value's closing quote, which the format ignores: kept so a
// checker can say where a vendor's line does not mean what it seems to.
struct IgnoredText {
    std::int32_t line;
    String tagName;
    String text;
};

// A syntax error of a tag file: the message is the launcher's whole text
// ("Syntax error in NAME at line N ==> reason"); line and reason are its parts.
class TagSyntaxError : public LauncherException {
public:
    TagSyntaxError(const String& message, std::int32_t line, String reason)
        : LauncherException(message), line_(line), reason_(std::move(reason)) {}
    std::int32_t line() const { return line_; }
    const String& reason() const { return reason_; }

private:
    std::int32_t line_;
    String reason_;
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
    // those already held. Syntax errors are logged, then thrown as
    // TagSyntaxError.
    void parse(std::FILE* stream, const String& fileName, long offset, long length,
               RegionEnd regionEnd = RegionEnd::valuesMayRunPast);

    const Tag* findTag(const String& name) const;
    String getValue(const String& name, std::size_t index = 0) const;
    std::size_t valueCount(const String& name) const;
    bool getBool(const String& name, bool defaultValue) const;
    // The line a value was read from; 0 when it was not read from a text.
    std::int32_t lineOf(const String& name, std::size_t index = 0) const;

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
    // Every text after a closing quote that parsing ignored, in file order.
    const std::vector<IgnoredText>& ignoredText() const { return ignoredText_; }

private:
    std::vector<Tag> tags_;
    String fileName_;
    std::int32_t lineCount_ = 0;
    std::vector<IgnoredText> ignoredText_;
};

}  // namespace mg
