#include "ui/cleanup_rules.h"

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

static String quoted(const String& s) { return "\"" + s + "\""; }

String batchFileText(const String& executable, const String& directory, const String& batchFile,
                     bool tracing, const String& tracePath) {
    String text = ":Repeat\n";
    if (tracing) text += "@echo Deleting " + executable + " from within batch file. >> " + tracePath + "\n";
    text += "del " + quoted(executable) + "\n";
    text += "if exist " + quoted(executable) + " goto Repeat\n";
    if (!directory.empty()) text += "rmdir /q " + quoted(directory) + "\n";
    text += "del " + quoted(batchFile) + "\n";
    if (tracing)
        text += "@echo Deleted batch file " + batchFile + " from within batch file. >> " + tracePath + "\n";
    return text;
}

static char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

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
