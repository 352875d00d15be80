#include <gtest/gtest.h>

#include "launcher/cmdline.h"

namespace mg {

namespace {

struct SplitCase {
    const char* text;  // what follows the program path
    StringList args;   // the arguments after the program path
};

StringList splitAfterProgram(const char* text) {
    CommandLine line;
    splitAnsiCommandLine(String("prog.exe ") + text, line);
    EXPECT_EQ(static_cast<int>(line.args.size()), line.count);
    if (line.args.empty()) return {};
    EXPECT_EQ(line.args[0], "prog.exe");
    return StringList(line.args.begin() + 1, line.args.end());
}

TEST(AnsiCommandLine, SplitsLikeWindows9x) {
    const SplitCase cases[] = {
        {"\"a b\" c", {"a b", "c"}},
        {"x\"a b\"y", {"xa by"}},
        {"\"ab\"cd", {"ab", "cd"}},
        {"a\\\"b", {"a\"b"}},
        {"a\\b", {"a\\b"}},
        {"\"\"", {}},
        {"x\\", {"x"}},
        // Further cases of the same rules.
        {"", {}},
        {"   \t\r\n  ", {}},
        {"a\tb\nc\rd", {"a", "b", "c", "d"}},
        {"  lead   trail  ", {"lead", "trail"}},
        {"\"\" a \"\"", {"a"}},
        {"\"a \\\" b\"", {"a \" b"}},
        {"\"C:\\dir\\\\\"", {"C:\\dir\\\\"}},
        {"\"unterminated arg", {"unterminated arg"}},
        {"a\"unterminated section", {"aunterminated section"}},
        {"-mg:log \"C:\\my logs\\run.log\" x", {"-mg:log", "C:\\my logs\\run.log", "x"}},
        {"\\\\server\\share", {"\\\\server\\share"}},
        {"a\"\"b", {"ab"}},
        {"\\", {}},
        {"\"a\"\"b\"", {"a", "b"}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(splitAfterProgram(c.text), c.args);
    }
}

TEST(AnsiCommandLine, ProgramPathKeepsItsBackslashes) {
    const SplitCase cases[] = {
        {"C:\\Program Files\\app\\x.exe", {"C:\\Program Files\\app\\x.exe"}},
        {"C:\\dir\\x.exe\\", {"C:\\dir\\x.exe\\"}},
        {"\"C:\\a b\\x.exe\" \\\"", {"C:\\a b\\x.exe", "\""}},
        // An empty first argument is not stored, so the next one is the path.
        {"\"\" C:\\x\\ a\\", {"C:\\x\\", "a"}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.text);
        CommandLine line;
        // The path itself may be quoted and contain spaces.
        String text(c.text);
        if (text.find(' ') != String::npos && text[0] != '"' && text.find("\"\"") == String::npos)
            text = "\"" + text + "\"";
        splitAnsiCommandLine(text, line);
        EXPECT_EQ(line.args, c.args);
        EXPECT_EQ(line.count, static_cast<int>(c.args.size()));
    }
}

TEST(AnsiCommandLine, HugeLineSplitsCompletely) {
    String text("prog.exe");
    for (int i = 0; i < 5000; ++i) text += " \"arg with space\"";
    CommandLine line;
    splitAnsiCommandLine(text, line);
    ASSERT_EQ(line.count, 5001);
    EXPECT_EQ(line.args.back(), "arg with space");
}

}  // namespace

}  // namespace mg
