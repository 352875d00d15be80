#include "text/reference_expander.h"

#include <vector>

#include "base/log.h"
#include "text/text.h"

namespace mg {

namespace {

// Tokens are a start byte, the text's number and an end byte: control
// characters that no delimiter, blank, quote or parenthesis matches.
constexpr char TOKEN_START = '\x01';
constexpr char TOKEN_END = '\x02';

StringList*& literalTexts() {
    thread_local StringList* texts = nullptr;
    return texts;
}

}  // namespace

LiteralScope::LiteralScope() : outermost_(literalTexts() == nullptr) {
    if (outermost_) literalTexts() = new StringList();
}

LiteralScope::~LiteralScope() {
    if (!outermost_) return;
    delete literalTexts();
    literalTexts() = nullptr;
}

String LiteralScope::protect(const String& value) {
    StringList* texts = literalTexts();
    // Text that could open nothing (and holds no token byte) stays as it is.
    if (texts == nullptr || value.find_first_of("%@#\x01") == NPOS) return value;
    texts->push_back(value);
    return String(1, TOKEN_START) + toDecimal(static_cast<std::int32_t>(texts->size() - 1)) + String(1, TOKEN_END);
}

String LiteralScope::resolve(const String& text) {
    const StringList* texts = literalTexts();
    if (texts == nullptr || text.find(TOKEN_START) == NPOS) return text;
    String result;
    std::size_t pos = 0;
    for (std::size_t start = text.find(TOKEN_START); start != NPOS; start = text.find(TOKEN_START, pos)) {
        std::size_t end = text.find(TOKEN_END, start + 1);
        std::size_t index = 0;
        bool valid = end != NPOS && end > start + 1 && end - start <= 10;
        for (std::size_t i = start + 1; valid && i < end; ++i) {
            if (text[i] < '0' || text[i] > '9') valid = false;
            index = index * 10 + static_cast<std::size_t>(text[i] - '0');
        }
        valid = valid && index < texts->size();
        result.append(text.data() + pos, start - pos);
        if (valid) {
            result += (*texts)[index];
            pos = end + 1;
        } else {
            result += TOKEN_START;
            pos = start + 1;
        }
    }
    result.append(text.data() + pos, text.size() - pos);
    return result;
}

void raiseScriptError(const String& message, const String& text) {
    writeLog("Launch command:", LOG_PLAIN);
    writeLog(LiteralScope::resolve(text), LOG_PLAIN);
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

}  // namespace mg
