// References in command texts: a name between two delimiter characters
// (%FUNCTION%(...), #ENVIRONMENT#, @JVM_FILE_TAG@), expanded by the class
// that knows what the names mean. Portable: no system calls.
#pragma once

#include <cstddef>

#include "base/string.h"

namespace mg {

class ReferenceExpander {
public:
    virtual ~ReferenceExpander() = default;

    // Replaces the reference that opens at start and whose closing delimiter
    // is at end. end may be moved forward over text the reference consumes
    // (a function's argument list) and is left on the last consumed
    // character. Returns false when this expander does not handle delimiter
    // and left the text alone.
    virtual bool resolveReference(String& text, char delimiter, std::size_t start,
                                  std::size_t& end) = 0;

    // A copy of input with each reference of delimiter expanded. Replacements are
    // scanned again, so references they produce are expanded too; afterwards
    // each pair of adjacent delimiters becomes one. A replacement that keeps
    // reproducing references inside itself is stopped after
    // maxExpansionDepth nested rounds with a launch script error, and so is
    // an expansion that needs more than maxExpansions replacements or grows
    // beyond maxExpandedLength characters (no command line comes near
    // either; a value that multiplies its own references would).
    String expandAll(const String& input, char delimiter);

    static constexpr std::size_t maxExpansionDepth = 1000;
    static constexpr std::size_t maxExpansions = 100000;
    static constexpr std::size_t maxExpandedLength = 1024 * 1024;
};

// Text the launcher inserts from the system (its own paths, the temporary
// root, extracted files, environment and registry values) is data: a "%",
// "@" or "#" in a folder name must not open a reference. While a scope is
// open, protect gives such text as a token that no expansion pass reads,
// and resolve puts the texts back once the expansions are done. Scopes nest:
// an inner one shares the outer one's texts. Without a scope protect gives
// the text itself, so expansions outside a command build are unchanged.
class LiteralScope {
public:
    LiteralScope();
    ~LiteralScope();
    LiteralScope(const LiteralScope&) = delete;
    LiteralScope& operator=(const LiteralScope&) = delete;

    static String protect(const String& value);
    static String resolve(const String& text);

private:
    bool outermost_;
};

// Logs "Launch command:" and the text being expanded, then throws
// LauncherException "Launch script error: " + message.
[[noreturn]] void raiseScriptError(const String& message, const String& text);

}  // namespace mg
