#include "bridge/translate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mg {

namespace {

// Stands in for Wine's drive mapping: C: is /c, D: cannot be mapped.
std::string fakeMapper(const std::string& path) {
    if (path[0] != 'C' && path[0] != 'c') return std::string();
    std::string result = "/c";
    for (std::size_t i = 2; i < path.size(); ++i) result += path[i] == '\\' ? '/' : path[i];
    return result;
}

struct PathCase {
    const char* input;
    bool relativeToo;
    const char* expected;
};

TEST(BridgeTranslate, Paths) {
    const PathCase cases[] = {
        {"C:\\jvm\\bin", false, "/c/jvm/bin"},
        {"c:/jvm/lib", false, "/c/jvm/lib"},
        {"C:", false, "/c"},
        {"D:\\unmapped", false, "D:\\unmapped"},
        {"lib\\app.jar", true, "lib/app.jar"},
        {"lib\\app.jar", false, "lib\\app.jar"},
        {"C:relative", false, "C:relative"},
        {"1:\\x", false, "1:\\x"},
        {"", true, ""},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(c.expected, bridge::translatePath(c.input, fakeMapper, c.relativeToo)) << c.input;
}

TEST(BridgeTranslate, PathLists) {
    const char* const cases[][2] = {
        {"C:\\a.jar;C:\\b.jar", "/c/a.jar:/c/b.jar"},
        {"C:\\a.jar", "/c/a.jar"},
        {"lib\\x.jar;;C:\\y", "lib/x.jar::/c/y"},
        {"/usr/share/java/a.jar:/b.jar", "/usr/share/java/a.jar:/b.jar"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c[1], bridge::translatePathList(c[0], fakeMapper)) << c[0];
}

struct ArgumentsCase {
    std::vector<std::string> input;
    std::vector<std::string> expected;
};

TEST(BridgeTranslate, Arguments) {
    const ArgumentsCase cases[] = {
        {{"-version"}, {"-version"}},
        {{"-classpath", "C:\\v\\Verify.jar", "Verify", "java.version"},
         {"-classpath", "/c/v/Verify.jar", "Verify", "java.version"}},
        {{"-cp", "a\\b.jar;C:\\c.jar", "Main"}, {"-cp", "a/b.jar:/c/c.jar", "Main"}},
        {{"--class-path", "C:\\x", "Main"}, {"--class-path", "/c/x", "Main"}},
        {{"-Dtemp.dir=C:\\tmp", "-Dname=plain", "Main"}, {"-Dtemp.dir=/c/tmp", "-Dname=plain", "Main"}},
        {{"-jar", "app\\app.jar", "C:\\in.txt", "a\\b"}, {"-jar", "app/app.jar", "/c/in.txt", "a\\b"}},
        // After the main class the arguments are the application's.
        {{"Main", "-cp", "a\\b;c"}, {"Main", "-cp", "a\\b;c"}},
        {{"Main", "C:\\data"}, {"Main", "/c/data"}},
        {{"--add-modules", "C:\\notapath", "Main"}, {"--add-modules", "C:\\notapath", "Main"}},
        {{"-javaagent:C:\\ag.jar=opt", "Main"}, {"-javaagent:/c/ag.jar=opt", "Main"}},
        {{"-Xmx64m", "-cp"}, {"-Xmx64m", "-cp"}},
        {{}, {}},
    };
    for (const ArgumentsCase& c : cases) {
        EXPECT_EQ(c.expected, bridge::translateArguments(c.input, fakeMapper))
            << (c.input.empty() ? std::string("(none)") : c.input[0]);
    }
}

TEST(BridgeTranslate, ArgumentFilesAmongJavaOptions) {
    // What the launcher writes: one quoted word per line, backslashes escaped.
    const std::string file = "\"-cp\"\n\"C:\\\\a b.jar;C:\\\\c.jar\"\n# note\n'Main' \"say \\\"hi\\\"\"\n";
    bridge::FileReader reader = [&](const std::string& path, std::string& content) {
        if (path != "C:\\args") return false;
        content = file;
        return true;
    };
    const std::vector<std::string> expected = {"-cp", "/c/a b.jar:/c/c.jar", "Main", "say \"hi\""};
    EXPECT_EQ(expected, bridge::translateArguments({"@C:\\args"}, fakeMapper, reader));
    // After the main class, and for a file that cannot be read, "@" is text.
    const std::vector<std::string> kept = {"Main", "@C:\\args"};
    EXPECT_EQ(kept, bridge::translateArguments({"Main", "@C:\\args"}, fakeMapper, reader));
    const std::vector<std::string> unread = {"-Xmx1m", "@C:\\none"};
    EXPECT_EQ(unread, bridge::translateArguments({"-Xmx1m", "@C:\\none"}, fakeMapper, reader));
}

TEST(BridgeTranslate, Variables) {
    EXPECT_EQ("/c/jdk", bridge::translateVariable("JAVA_HOME", "C:\\jdk", fakeMapper));
    EXPECT_EQ("/c/a.jar:/c/b.jar", bridge::translateVariable("CLASSPATH", "C:\\a.jar;C:\\b.jar", fakeMapper));
    EXPECT_EQ("/c/a.jar:x/y", bridge::translateVariable("classpath", "C:\\a.jar;x\\y", fakeMapper));
    EXPECT_EQ("a;b", bridge::translateVariable("OTHER", "a;b", fakeMapper));
    EXPECT_EQ("/c/a.jar:lib/b.jar", bridge::translateVariable("APP_CP", "C:\\a.jar;lib\\b.jar", fakeMapper));
    EXPECT_EQ(".COM;.EXE", bridge::translateVariable("PATHEXT", ".COM;.EXE", fakeMapper));
    EXPECT_EQ("/c/tmp", bridge::translateVariable("TEMP", "C:\\tmp", fakeMapper));
}

}  // namespace

}  // namespace mg
