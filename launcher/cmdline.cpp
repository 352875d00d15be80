#include "launcher/cmdline.h"

namespace mg {

namespace {
bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
}  // namespace

void splitAnsiCommandLine(const String& text, CommandLine& out) {
    const std::size_t n = text.size();
    std::size_t pos = 0;
    // The program path keeps its backslashes as they are: "C:\dir\" is a path.
    bool first = true;
    for (;;) {
        while (pos < n && isSeparator(text[pos])) ++pos;
        if (pos >= n) break;

        String arg;
        const bool quotedArgument = text[pos] == '"';
        bool inQuotes = quotedArgument;
        if (quotedArgument) ++pos;
        while (pos < n) {
            char c = text[pos];
            if (!first && c == '\\') {
                if (pos + 1 == n) {
                    ++pos;  // a trailing backslash is dropped
                } else if (text[pos + 1] == '"') {
                    arg += '"';
                    pos += 2;
                } else {
                    arg += c;
                    arg += text[pos + 1];
                    pos += 2;
                }
                continue;
            }
            if (inQuotes) {
                ++pos;
                if (c == '"') {
                    inQuotes = false;
                    // A quoted argument ends at its closing quote; a quoted
                    // section inside an unquoted one only ends the section.
                    if (quotedArgument) break;
                    continue;
                }
                arg += c;
                continue;
            }
            if (isSeparator(c)) break;
            ++pos;
            if (c == '"')
                inQuotes = true;
            else
                arg += c;
        }
        if (!arg.empty()) {
            out.args.push_back(arg);
            ++out.count;
            first = false;
        }
    }
}

}  // namespace mg
