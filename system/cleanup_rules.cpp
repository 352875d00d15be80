#include "system/cleanup_rules.h"

#include "text/text.h"

namespace mg {

String executableDirectory(const String& executable) {
    std::size_t slash = executable.rfind('\\');
    return slash == String::npos ? String() : executable.substr(0, slash);
}

String batchFileName(const String& tempName) {
    std::size_t nameStart = tempName.find_last_of("\\/");
    nameStart = nameStart == String::npos ? 0 : nameStart + 1;
    std::size_t dot = tempName.rfind('.');
    String base = (dot != String::npos && dot >= nameStart) ? tempName.substr(0, dot) : tempName;
    return base + ".bat";
}

// cmd expands %...% in a batch file even between quotes; %% is one %.
static String percentsDoubled(const String& s) {
    String out;
    for (char c : s) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

// Quotes keep blanks, &, ^, |, < and > literal; only % needs more.
static String quoted(const String& s) { return "\"" + percentsDoubled(s) + "\""; }

// Text after echo is unquoted, so every character cmd treats specially is
// escaped, or a folder named "a&b" would run what follows the &.
static String echoText(const String& s) {
    String out;
    for (char c : s) {
        if (c == '&' || c == '|' || c == '<' || c == '>' || c == '^' || c == '(' || c == ')') out += '^';
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

// A redirection target is one word: quoted when it holds anything that would
// end or change it; an ordinary path stays as written.
static String redirectTarget(const String& path) {
    return path.find_first_of(" \t&|<>^()%;,=") == String::npos ? path : quoted(path);
}

String batchFileText(const String& executable, const String& directory, const String& batchFile,
                     bool tracing, const String& tracePath) {
    String text = ":Repeat\n";
    if (tracing)
        text += "@echo Deleting " + echoText(executable) + " from within batch file. >> " +
                redirectTarget(tracePath) + "\n";
    text += "del " + quoted(executable) + "\n";
    text += "if exist " + quoted(executable) + " goto Repeat\n";
    if (!directory.empty()) text += "rmdir /q " + quoted(directory) + "\n";
    text += "del " + quoted(batchFile) + "\n";
    if (tracing)
        text += "@echo Deleted batch file " + echoText(batchFile) + " from within batch file. >> " +
                redirectTarget(tracePath) + "\n";
    return text;
}

// A plain prefix test would also match a sibling whose name merely starts
// with the directory's ("C:\t\ab" is not below "C:\t\a"), leaving it behind.
bool holdsFailedPath(const String& directory, const String& failedPath) {
    std::size_t n = directory.size();
    if (failedPath.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (lowerAscii(directory[i]) != lowerAscii(failedPath[i])) return false;
    if (failedPath.size() == n || n == 0) return true;
    return directory[n - 1] == '\\' || failedPath[n] == '\\';
}

}  // namespace mg
