#include "launch/argument_file.h"

#include <cstdlib>

#include "launch/launch_ops.h"
#include "text/text.h"

namespace mg {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// One word in Java's argument-file syntax: in double quotes, where a
// backslash escapes the next character.
String argumentFileWord(const String& word) {
    String quoted("\"");
    for (char c : word) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    quoted += "\"\n";
    return quoted;
}

}  // namespace

std::vector<CommandWord> splitCommandWords(const String& line) {
    std::vector<CommandWord> words;
    std::size_t pos = 0;
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (pos < line.size()) {
        // The program's name: no escapes, a quote only groups.
        CommandWord program{String(), pos, pos};
        bool quoted = false;
        while (pos < line.size() && (quoted || !isBlank(line[pos]))) {
            if (line[pos] == '"')
                quoted = !quoted;
            else
                program.text += line[pos];
            ++pos;
        }
        program.end = pos;
        words.push_back(program);
    }
    for (;;) {
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos >= line.size()) break;
        CommandWord word{String(), pos, pos};
        bool quoted = false;
        while (pos < line.size() && (quoted || !isBlank(line[pos]))) {
            std::size_t backslashes = 0;
            while (pos < line.size() && line[pos] == '\\') {
                ++backslashes;
                ++pos;
            }
            if (pos < line.size() && line[pos] == '"') {
                word.text.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    word.text += '"';
                } else if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
                    word.text += '"';  // "" inside quotes: one quote
                    ++pos;
                } else {
                    quoted = !quoted;
                }
                ++pos;
                continue;
            }
            word.text.append(backslashes, '\\');
            if (pos < line.size() && (quoted || !isBlank(line[pos]))) word.text += line[pos++];
        }
        word.end = pos;
        words.push_back(word);
    }
    return words;
}

bool moveToArgumentFile(const String& commandLine, const String& argumentFilePath, String& shortCommand,
                        String& fileText, std::size_t& movedWords) {
    const std::vector<CommandWord> words = splitCommandWords(commandLine);
    if (words.size() < 2) return false;
    const String head = commandLine.substr(0, words[0].end) + " " + quoteArgumentIfNeeded("@" + argumentFilePath);
    // The fewest leading arguments that make the rest fit; the order of all
    // of them stays, so options, main class and arguments mean what they did.
    for (std::size_t last = 1; last < words.size(); ++last) {
        String rest = last + 1 < words.size() ? " " + commandLine.substr(words[last + 1].begin) : String();
        if (head.size() + rest.size() >= maxCommandLine) continue;
        shortCommand = head + rest;
        fileText.clear();
        for (std::size_t i = 1; i <= last; ++i) fileText += argumentFileWord(words[i].text);
        movedWords = last;
        return true;
    }
    return false;
}

bool releaseSupportsArgumentFiles(const StringList& releaseLines) {
    for (const String& line : releaseLines) {
        if (line.compare(0, 13, "JAVA_VERSION=") != 0) continue;
        std::size_t pos = 13;
        if (pos < line.size() && line[pos] == '"') ++pos;
        long major = std::strtol(line.c_str() + pos, nullptr, 10);
        // Up to 8 the version began "1.": 1.8.0_392.
        if (major == 1) {
            std::size_t dot = line.find('.', pos);
            major = dot == NPOS ? 1 : std::strtol(line.c_str() + dot + 1, nullptr, 10);
        }
        return major >= 9;
    }
    return false;
}

}  // namespace mg
