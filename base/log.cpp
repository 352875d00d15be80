#include "base/log.h"

#include <cstdio>

#include "base/settings.h"

// Opened and closed per record, so every record is on disk when the call
// returns and another program may read or move the file in between.
void writeLog(const String& text, int level) {
    if (logPath.empty()) return;
    std::FILE* f = std::fopen(logPath.c_str(), "a");
    if (!f) return;
    if (!logHeaderWritten) {
        std::fputs("------------------\n", f);
        logHeaderWritten = true;
    }
    if (level == LOG_WARNING)
        std::fputs("WARNING: ", f);
    else if (level == LOG_ERROR)
        std::fputs("ERROR: ", f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fputc('\n', f);
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
