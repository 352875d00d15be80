#include "text/reference_expander.h"

#include <vector>

#include "base/log.h"
#include "text/text.h"

void raiseScriptError(const String& message, const String& text) {
    writeLog("Launch command:", LOG_PLAIN);
    writeLog(text, LOG_PLAIN);
    throw LauncherException("Launch script error: " + message);
}

String ReferenceExpander::expandAll(const String& input, char delimiter) {
    String text(input);

    // Ends of the replacements still being rescanned, outermost first. A
    // reference found inside all of them is nested that deep: a value that
    // reproduces its own reference would otherwise be expanded forever.
    std::vector<std::size_t> openEnds;

    std::size_t expansions = 0;
    std::size_t start = text.find(delimiter);
    // Unsigned on purpose: a text shorter than two characters wraps the
    // bound and only the search for the closing delimiter ends the loop.
    while (start != NPOS && start < text.size() - 2) {
        std::size_t end = text.find(delimiter, start + 2);
        if (end == NPOS) break;

        while (!openEnds.empty() && openEnds.back() <= start) openEnds.pop_back();
        if (openEnds.size() >= maxExpansionDepth) {
            raiseScriptError("The reference " + text.substr(start, end - start + 1) +
                                 " keeps expanding into itself; stopped after " +
                                 toDecimal(static_cast<std::int32_t>(maxExpansionDepth)) +
                                 " rounds.",
                             text);
        }

        if (++expansions > maxExpansions || text.size() > maxExpandedLength) {
            raiseScriptError("The references expand without bound; stopped at " +
                                 toDecimal(static_cast<std::int32_t>(text.size())) + " characters after " +
                                 toDecimal(static_cast<std::int32_t>(expansions - 1)) + " replacements.",
                             text.substr(0, 1000));
        }

        std::size_t lengthBefore = text.size();
        std::size_t consumed = end;
        if (!resolveReference(text, delimiter, start, consumed)) {
            // Not ours: leave it and go on from its closing delimiter, which
            // may open the next reference.
            start = text.find(delimiter, end);
            continue;
        }
        std::size_t tail = lengthBefore - (consumed + 1);
        std::size_t replacedEnd = text.size() - tail;
        for (std::size_t& e : openEnds) {
            e = e > consumed ? e - (consumed + 1) + replacedEnd : replacedEnd;
        }
        openEnds.push_back(replacedEnd);

        start = text.find(delimiter, start);
    }

    for (std::size_t pos = text.find(delimiter); pos != NPOS; pos = text.find(delimiter, pos + 1)) {
        if (pos + 1 < text.size() && text[pos + 1] == delimiter) text.erase(pos + 1, 1);
    }
    return text;
}
