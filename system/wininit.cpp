#include "system/wininit.h"

#include <algorithm>
#include <cstring>

namespace mg {

std::size_t insertWininitText(char* buffer, std::size_t oldLength, const StringList& lines) {
    static const char section[] = "[Rename]";
    const std::size_t sectionLength = sizeof section - 1;
    std::size_t length = oldLength;

    char* end = buffer + oldLength;
    char* found = std::search(buffer, end, section, section + sectionLength);
    std::size_t insertAt;
    if (found != end) {
        char* afterSection = found + sectionLength;
        char* lineFeed = std::find(afterSection, end, '\n');
        if (lineFeed != end) {
            insertAt = static_cast<std::size_t>(lineFeed + 1 - buffer);
        } else {
            insertAt = static_cast<std::size_t>(afterSection - buffer);
            std::memmove(buffer + insertAt + 1, buffer + insertAt, length - insertAt);
            buffer[insertAt++] = '\n';
            ++length;
        }
    } else {
        // A last line without its line feed would otherwise run into the
        // section name and hide it from the system.
        if (length > 0 && buffer[length - 1] != '\n') buffer[length++] = '\n';
        std::memcpy(buffer + length, section, sectionLength);
        length += sectionLength;
        buffer[length++] = '\n';
        insertAt = length;
    }

    std::size_t inserted = 0;
    for (const String& line : lines) inserted += line.size() + 1;
    std::memmove(buffer + insertAt + inserted, buffer + insertAt, length - insertAt);
    char* out = buffer + insertAt;
    for (const String& line : lines) {
        std::memcpy(out, line.data(), line.size());
        out += line.size();
        *out++ = '\n';
    }
    return length + inserted;
}

}  // namespace mg
