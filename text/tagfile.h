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

class TagFile {
public:
    TagFile() = default;

    // Opens fileName as text and parses all of it. Throws LauncherException
    // "Unable to load input file: " + fileName when it cannot be opened.
    void load(const String& fileName);

    // Parses tags from the region of an open stream starting at the absolute
    // offset; length < 0 means to the end of the stream. Tags are added to
    // those already held. Syntax errors are logged, then thrown.
    void parse(std::FILE* stream, const String& fileName, long offset, long length);

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
