// Fuzz target: the Windows 9x command-line splitter. Any text splits into
// non-empty arguments, counted; and arguments the rules can express (no
// backslash before a quote or at the end) come back unchanged from a
// command line that quotes each of them and escapes their quotes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "launcher/cmdline.h"

using namespace mg;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const String text(reinterpret_cast<const char*>(data), size);

    CommandLine split;
    splitAnsiCommandLine(text, split);
    if (split.count != static_cast<int>(split.args.size())) std::abort();
    for (const String& arg : split.args)
        if (arg.empty()) std::abort();

    // Appending goes on from what is there.
    CommandLine twice = split;
    splitAnsiCommandLine(text, twice);
    if (twice.count != 2 * split.count) std::abort();

    // The input again as arguments separated by NUL bytes.
    StringList wanted;
    String current;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            bool expressible = !current.empty() && current.back() != '\\';
            for (std::size_t k = 0; k + 1 < current.size(); ++k)
                if (current[k] == '\\' && current[k + 1] == '"') expressible = false;
            if (expressible) wanted.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    String line = "\"C:\\Program Files\\app\\app.exe\"";
    for (const String& arg : wanted) {
        line += " \"";
        for (char c : arg) {
            if (c == '"') line += '\\';
            line += c;
        }
        line += '"';
    }
    CommandLine back;
    splitAnsiCommandLine(line, back);
    if (back.count != static_cast<int>(wanted.size()) + 1) std::abort();
    if (back.args[0] != "C:\\Program Files\\app\\app.exe") std::abort();
    for (std::size_t i = 0; i < wanted.size(); ++i)
        if (back.args[i + 1] != wanted[i]) std::abort();
    return 0;
}
