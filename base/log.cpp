#include "base/log.h"

#include <cstdio>

#include "base/settings.h"

namespace mg {

namespace {

// The path whose failure was last reported: a log that cannot be written is
// said once in the trace, not once per record, and again only for a new path.
String reportedLogPath;

// Opens the log for one record, writing the separator before the first
// record of the process; null when there is no log or it cannot be opened.
std::FILE* openLog() {
    if (logPath.empty()) return nullptr;
    std::FILE* f = std::fopen(logPath.c_str(), "a");
    if (!f) {
        if (reportedLogPath != logPath) {
            reportedLogPath = logPath;
            writeTrace("Launcher: The log file " + logPath + " cannot be written; its records are lost.", true);
        }
        return nullptr;
    }
    if (!logHeaderWritten) {
        std::fputs("------------------\n", f);
        logHeaderWritten = true;
    }
    return f;
}

}  // namespace

// Opened and closed per record, so every record is on disk when the call
// returns and another program may read or move the file in between.
void writeLog(const String& text, int level) {
    std::FILE* f = openLog();
    if (!f) return;
    if (level == LOG_WARNING)
        std::fputs("WARNING: ", f);
    else if (level == LOG_ERROR)
        std::fputs("ERROR: ", f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fputc('\n', f);
    std::fflush(f);
    std::fclose(f);
}

void appendLog(const char* data, std::size_t size) {
    std::FILE* f = openLog();
    if (!f) return;
    std::fwrite(data, 1, size, f);
    std::fflush(f);
    std::fclose(f);
}

void writeTrace(const String& text, bool lineEnd) {
    if (tracePath.empty()) return;
    std::FILE* f = std::fopen(tracePath.c_str(), "a");
    if (!f) return;
    std::fwrite(text.data(), 1, text.size(), f);
    if (lineEnd) std::fputc('\n', f);
    std::fclose(f);
}

}  // namespace mg
