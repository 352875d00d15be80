#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "launch/launch_script.h"
#include "tests/support/fake_launch_environment.h"
#include "base/settings.h"
#include "text/text.h"

namespace mg {

namespace {

const char* const kLogFile = "launch_script_test.log";

struct Row {
    const char* command;
    const char* expected;
};

class LaunchScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        launcherPath = "C:\\apps\\demo.exe";
        originalLauncherPath = launcherPath;
        logPath = kLogFile;
        logHeaderWritten = true;
        std::remove(kLogFile);
        jvm.setValue("JVM_HOME", "C:\\jdk\\");
        jvm.setValue("JVM_EXE", "bin\\java.exe");
        jvm.setValue("SYSTEM", "-D");
        jvm.setValue("SYSTEM_SEPARATOR", "=");
        jvm.setValue("CLASSPATH", "-classpath ");
        jvm.setValue("CLASSPATH_SEPARATOR", ";");
    }
    void TearDown() override {
        logPath.clear();
        std::remove(kLogFile);
    }

    String build(const String& command, bool embeddedClasspath = false) {
        LaunchScript script(command, true, embeddedClasspath, &env);
        JvmFile jvmFile(jvm);
        return script.buildCommand(jvmFile);
    }
    // The message of the LauncherException the build raises.
    String buildError(const String& command) {
        try {
            String result = build(command);
            return "<no error: " + result + ">";
        } catch (const LauncherException& e) {
            return e.message();
        }
    }
    static std::string logText() {
        std::ifstream in(kLogFile);  // text mode, as the log is written
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    FakeLaunchEnvironment env;
    TagFile jvm;
};

// --- expansion: rescan and delimiter pairs -------------------------------

TEST_F(LaunchScriptTest, ExpansionRescanAndDelimiterPairs) {
    env.variables["HOME"] = "C:\\Users\\me";
    env.variables["OUTER"] = "#INNER#!";
    env.variables["INNER"] = "in";
    env.variables["EMPTY"] = "";
    env.variables["PCT"] = "%TEMP_DIR%()";
    const Row rows[] = {
        {"plain text", "plain text"},
        {"#HOME#\\bin", "C:\\Users\\me\\bin"},
        {"a#UNSET#b", "ab"},
        {"a#EMPTY#b", "ab"},
        {"#OUTER#", "#INNER#!"},            // a value is data, never scanned again
        {"100%", "100%"},                   // one "%" among the last two characters
        {"x %y", "x %y"},
        {"a %% b", "a % b"},                // a doubled delimiter with none after it
        {"mail@@host", "mail@host"},
        {"a##", "a#"},
        {"##", "#"},
        {"####", "#"},                      // "##" is a reference named "#"
        {"#PCT#", "%TEMP_DIR%()"},          // the "#" pass comes last: no functions
        {"%TEMP_DIR%()%%", "C:\\TEMP%"},
        {"@JVM_HOME@|@JVM_EXE@|@NOPE@", "C:\\jdk|bin\\java.exe|"},
        {"[@@JVM_EXE@]", "[]"},             // the name is "@JVM_EXE", an absent tag
    };
    for (const Row& row : rows) EXPECT_EQ(build(row.command), row.expected) << row.command;
}

TEST_F(LaunchScriptTest, DoubledPercentBeforeACallOpensAReference) {
    EXPECT_EQ(buildError("50%% off %TEMP_DIR%()"), "Launch script error: Invalid function name (% off ).");
    EXPECT_NE(logText().find("Launch command:\n50%% off %TEMP_DIR%()\n"), std::string::npos) << logText();
}

TEST_F(LaunchScriptTest, SelfReproducingReplacementsStop) {
    // Tags of the JVM file are written by the vendor and scanned again.
    jvm.setValue("LOOP", "@LOOP@");
    jvm.setValue("GROW", "x@GROW@");
    jvm.setValue("PING", "@PONG@");
    jvm.setValue("PONG", "@PING@");
    for (const char* command : {"@LOOP@", "a @GROW@ b", "@PING@"}) {
        String message = buildError(command);
        EXPECT_EQ(message.find("Launch script error: The reference @"), 0u) << command << ": " << message;
        EXPECT_NE(message.find("keeps expanding into itself; stopped after 1000 rounds."), NPOS) << message;
    }
    // Each level doubles the one below: finite, but far too big to build.
    for (char level = 'A'; level < 'Z'; ++level) {
        jvm.setValue(String("D") + level, String("@D") + char(level + 1) + "@@D" + char(level + 1) + "@");
    }
    jvm.setValue("DZ", "x");
    String message = buildError("@DA@");
    EXPECT_EQ(message.find("Launch script error: The references expand without bound; stopped at "), 0u) << message;
    // Deep but finite chains still expand.
    for (int i = 0; i < 500; ++i) jvm.setValue("V" + std::to_string(i), "@V" + std::to_string(i + 1) + "@");
    jvm.setValue("V500", "end");
    EXPECT_EQ(build("@V0@"), "end");
    // Many references side by side are not nested.
    String wide;
    for (int i = 0; i < 3000; ++i) wide += "@V500@";
    EXPECT_EQ(build(wide).size(), 3000u * 3);
    // An environment value is data: one that names itself ends at once.
    env.variables["LOOP"] = "#LOOP#";
    EXPECT_EQ(build("#LOOP#"), "#LOOP#");
}

// --- argument lists ------------------------------------------------------

TEST_F(LaunchScriptTest, ArgumentListErrors) {
    const Row rows[] = {
        {"%TEMP_DIR%", "Launch script error: Expected left parenthesis. (near character 10)"},
        {"%TEMP_DIR%  x()", "Launch script error: Expected left parenthesis. (near character 10)"},
        {"run %TEMP_DIR% ", "Launch script error: Expected left parenthesis. (near character 14)"},
        {"%CP%(,\"a\")", "Launch script error: Expected string arg. (near character 5)"},
        {"%CP%(", "Launch script error: Expected string arg. (near character 5)"},
        {"%CP%( a)", "Launch script error: Expected string arg. (near character 5)"},
        {"%CP%(\"a\",,)", "Launch script error: Expected string arg. (near character 9)"},
        {"%CP%(\"a\" \"b\")", "Launch script error: Expected right parenthesis. (near character 8)"},
        {"%CP%(\"a\" ", "Launch script error: Expected right parenthesis. (near character 8)"},
        {"%CP%(\"a\";", "Launch script error: Expected right parenthesis. (near character 8)"},
        {"%CP%(\"a", "Expected double quote to end argument near 6"},
        {"%CP%(\"a\"\"", "Expected double quote to end argument near -1"},
        {"%cp%()", "Launch script error: Invalid function name (cp)."},
        {"%NOPE%(", "Launch script error: Invalid function name (NOPE)."},
        {"%%%%", "Launch script error: Invalid function name (%)."},
        {"%%%", "Launch script error: Invalid function name (%)."},
    };
    for (const Row& row : rows) EXPECT_EQ(buildError(row.command), row.expected) << row.command;
}

TEST_F(LaunchScriptTest, ArgumentListsAccepted) {
    jvm.setValue("CLASSPATH", "");
    const Row rows[] = {
        {"%CP%()", ""},
        {"%CP%( )", ""},
        {"%CP% ( \"a\" , \"b\" ) x", "a;b x"},
        {"%CP%(\"a\",)", "a"},              // a trailing comma is accepted
        {"%CP%(\"a\"", "a"},                // a closing quote that ends the text
        {"x %CP%(\"a\",\"b\"", "x a;b"},
        {"%CP%(\"say \"\"hi\"\"\")", "say \"hi\""},
        {"%CP%(\"\"\"C:\\a b\\x.jar\"\"\")", "\"C:\\a b\\x.jar\""},  // triple quotes
        {"%CP%(\"%TEMP_DIR%()\")", "C:\\TEMP"},  // results are scanned again
    };
    for (const Row& row : rows) EXPECT_EQ(build(row.command), row.expected) << row.command;
}

TEST_F(LaunchScriptTest, WrongArgumentCounts) {
    const Row rows[] = {
        {"%REPLACE%(\"a\",\"b\")", "REPLACE function requires 3 arguments."},
        {"%RUNTIME_SYSTEMPROP%(\"a\")", "RUNTIME_SYSTEMPROP function takes no arguments."},
        {"%RUNTIME_JAVAARGS%(\"a\")", "RUNTIME_JAVAARGS function takes no arguments."},
        {"%SYSTEMPROP%(\"a\")", "SYSTEMPROP function requires 2 arguments."},
        {"%SYSTEMPROP%(\"a\",\"b\",\"c\")", "SYSTEMPROP function requires 2 arguments."},
        {"%IF_EXISTS%(\"a\")", "IF_EXISTS function requires 2 arguments."},
        {"%LAUNCHER_FILE%(\"a\")", "LAUNCHER_FILE function takes 0 arguments."},
        {"%LAUNCHER_DIR%(\"a\")", "LAUNCHER_DIR function takes 0 arguments."},
        {"%APPLICATION_ARCHIVE%(\"a\",\"b\")", "APPLICATION_ARCHIVE function takes 0 or 1 arguments."},
        {"%TEMP_DIR%(\"a\")", "TEMP_DIR function takes 0 arguments."},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(buildError(row.command), String("Launch script error: ") + row.expected) << row.command;
    }
}

// --- functions -----------------------------------------------------------

TEST_F(LaunchScriptTest, Functions) {
    jvm.setValue("OPTS", "-Xmx64m");
    jvm.setValue("EMPTY_TAG", "");
    env.embeddedApplicationArchive = "C:\\TEMP\\d2\\app.jar";
    const Row rows[] = {
        {"%REPLACE%(\"/\",\"\\\",\"a/b/c\")", "a\\b\\c"},
        {"%REPLACE%(\"a\",\"aa\",\"banana\")", "baanaanaa"},   // resumes after the insert
        {"%REPLACE%(\"\",\"x\",\"abc\")", "abc"},               // empty search text
        {"%REPLACE%(\"@JVM_EXE@\",\"@OPTS@\",\"run bin\\java.exe\")", "run -Xmx64m"},
        {"%REPLACE%(\"x\",\"y\",\"@JVM_EXE@ x\")", "bin\\java.exe y"},  // text itself later by "@"
        {"%SYSTEMPROP%(\"app.home\",\"@JVM_HOME@\")", "-Dapp.home=C:\\jdk"},
        {"%SYSTEMPROP%(\"@OPTS@\",\"v\")", "-D-Xmx64m=v"},  // name not expanded, but "@" pass later
        {"%IF_EXISTS%(\"OPTS\",\"@OPTS@ -server\")", "-Xmx64m -server"},
        {"[%IF_EXISTS%(\"EMPTY_TAG\",\"x\")]", "[]"},
        {"[%IF_EXISTS%(\"NO_SUCH_TAG\",\"x\")]", "[]"},
        {"%LAUNCHER_FILE%()", "C:\\apps\\demo.exe"},
        {"%LAUNCHER_DIR%()", "C:\\apps"},
        {"%APPLICATION_ARCHIVE%()", "C:\\TEMP\\d2\\app.jar"},
        {"%APPLICATION_ARCHIVE%(\"data.jar\")", "C:\\TEMP\\app1\\data.jar"},
        {"%TEMP_DIR%()", "C:\\TEMP"},
    };
    for (const Row& row : rows) EXPECT_EQ(build(row.command), row.expected) << row.command;
    EXPECT_EQ(env.applicationArchiveRequests, (StringList{"", "data.jar"}));
}

// Each result stays within the expansion's bound while it is made: a large
// tag value inserted at every match or on every side-file line would
// otherwise be built in full first (gigabytes from a few lines of script).
TEST_F(LaunchScriptTest, FunctionResultsAreBounded) {
    const std::size_t half = ReferenceExpander::maxExpandedLength / 2 + 1;
    jvm.setValue("HALF", String(half, 'b'));
    env.files["C:\\apps\\demo.ja"] = "@HALF@\n@HALF@\n";
    env.files["C:\\apps\\demo.sp"] = "a=@HALF@\nb=@HALF@\n";
    const Row rows[] = {
        {"%REPLACE%(\"a\",\"@HALF@\",\"xaax\")", "REPLACE function result exceeds 1048576 characters."},
        {"%RUNTIME_JAVAARGS%()", "RUNTIME_JAVAARGS function result exceeds 1048576 characters."},
        {"%RUNTIME_SYSTEMPROP%()", "RUNTIME_SYSTEMPROP function result exceeds 1048576 characters."},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(buildError(row.command), String("Launch script error: ") + row.expected) << row.command;
    }
    // Up to the bound they are built as before.
    EXPECT_EQ(build("%REPLACE%(\"a\",\"@HALF@\",\"xax\")"), "x" + String(half, 'b') + "x");
    env.files["C:\\apps\\demo.ja"] = "@HALF@\n";
    EXPECT_EQ(build("%RUNTIME_JAVAARGS%()").size(), half);
    // Many matches in a long text: every one is replaced.
    String many(200000, 'a');
    String result = build("%REPLACE%(\"a\",\"bc\",\"" + many + "\")");
    EXPECT_EQ(result.size(), 400000u);
    EXPECT_EQ(result.find_first_not_of("bc"), NPOS);
}

TEST_F(LaunchScriptTest, SystemPropertyWithoutSystemTags) {
    jvm.removeTag("SYSTEM");
    jvm.removeTag("SYSTEM_SEPARATOR");
    EXPECT_EQ(build("%SYSTEMPROP%(\"a\",\"b\")"), "ab");
}

TEST_F(LaunchScriptTest, LauncherPathsAndOriginal) {
    originalLauncherPath = "D:\\orig\\setup.exe";
    EXPECT_EQ(build("%LAUNCHER_FILE%()|%LAUNCHER_DIR%()"), "C:\\apps\\demo.exe|D:\\orig");
    originalLauncherPath = "setup.exe";
    EXPECT_EQ(build("[%LAUNCHER_DIR%()]"), "[]");
    originalLauncherPath = "/tmp/x/setup";
    EXPECT_EQ(build("%LAUNCHER_DIR%()"), "/tmp/x");
}

TEST_F(LaunchScriptTest, TempDirDropsOneBackslash) {
    env.tempRootPath = "C:\\T\\\\";
    EXPECT_EQ(build("%TEMP_DIR%()"), "C:\\T\\");
    env.tempRootPath = "C:\\T";
    EXPECT_EQ(build("%TEMP_DIR%()"), "C:\\T");
}

// The worked example: a system property whose value is another call.
TEST_F(LaunchScriptTest, CommandExample) {
    String command = "@JVM_HOME@/@JVM_EXE@ %CP%() %SYSTEMPROP%(\"temp.dir\",\"\"\"%TEMP_DIR%()\"\"\") run";
    EXPECT_EQ(build(command), "C:\\jdk/bin\\java.exe  -Dtemp.dir=\"C:\\TEMP\" run");
}

// --- side files ----------------------------------------------------------

TEST(SideFilePath, ExtensionRule) {
    const struct {
        const char* launcher;
        const char* expected;
    } rows[] = {
        {"C:\\apps\\demo.exe", "C:\\apps\\demo.cp"},
        {"C:/apps/demo.exe", "C:/apps/demo.cp"},
        {"C:\\apps\\demo", "C:\\apps\\demo.cp"},
        {"C:\\apps\\demo.v2.exe", "C:\\apps\\demo.v2.cp"},
        {"demo.exe", "demo.exe.cp"},              // no directory part: kept
        {"C:\\app.d\\demo", "C:\\app.d\\demo.cp"},  // a dot in a directory name
        {"", ".cp"},
    };
    for (const auto& row : rows) EXPECT_EQ(LaunchScript::sideFilePath(row.launcher, ".cp"), row.expected) << row.launcher;
}

TEST_F(LaunchScriptTest, RuntimeSystemProperties) {
    env.files["C:\\apps\\demo.sp"] =
        "app.name=Demo\r\n"
        "no equals sign\n"
        "\n"
        "  app.path = @JVM_HOME@\\lib  \n"
        "app.eq=a=b\n"
        "=bare\n";
    EXPECT_EQ(build("%RUNTIME_SYSTEMPROP%()"),
              "-Dapp.name=Demo -Dapp.path = C:\\jdk\\lib -Dapp.eq=a=b -D=bare");
    env.files.clear();
    EXPECT_EQ(build("[%RUNTIME_SYSTEMPROP%()]"), "[]");
}

TEST_F(LaunchScriptTest, RuntimeJavaArguments) {
    env.files["C:\\apps\\demo.ja"] = "-Xmx256m\n\n@NO_TAG@\n-Djava.home=@JVM_HOME@\n";
    EXPECT_EQ(build("%RUNTIME_JAVAARGS%()"), "-Xmx256m -Djava.home=C:\\jdk");
    originalLauncherPath = "D:\\other\\orig.exe";  // side files lie beside the original launcher
    EXPECT_EQ(build("[%RUNTIME_JAVAARGS%()]"), "[]");
    env.files["D:\\other\\orig.ja"] = "-server";
    EXPECT_EQ(build("%RUNTIME_JAVAARGS%()"), "-server");
}

// --- class path ----------------------------------------------------------

class ClassPathTest : public LaunchScriptTest {
protected:
    void SetUp() override {
        LaunchScriptTest::SetUp();
        env.files["C:\\apps\\demo.cp1"] = "first.jar\n\n";
        env.files["C:\\apps\\demo.cp"] = "middle1.jar\nmiddle2.jar\n";
        env.files["C:\\apps\\demo.cp2"] = "last.jar";
        jvm.setValue("JVM_CLASSPATH", "@JVM_HOME@\\lib\\rt.jar");
        env.classpathArchives = {"C:\\TEMP\\d1\\a.jar", "C:\\TEMP\\d1\\b.jar"};
        env.embeddedApplicationArchive = "C:\\TEMP\\app.jar";
        env.embeddedApplicationArchive = "C:\\TEMP\\app.jar";
    }
    String buildScript(const char* command, const char* archive) {
        TagFile script;
        script.setValue("COMMAND", command);
        if (archive != nullptr) script.setValue("ARCHIVE", archive);
        LaunchScript launch(script, true, &env);
        JvmFile jvmFile(jvm);
        return launch.buildCommand(jvmFile);
    }
};

TEST_F(ClassPathTest, OrderOfSources) {
    EXPECT_EQ(buildScript("%CP%(\"arg1.jar\",\"\",\"\"\"arg 2.jar\"\"\")", "\"%APPLICATION_ARCHIVE%()\""),
              "-classpath first.jar;C:\\jdk\\lib\\rt.jar;middle1.jar;middle2.jar;arg1.jar;\"arg 2.jar\";"
              "\"C:\\TEMP\\app.jar\";C:\\TEMP\\d1\\a.jar;C:\\TEMP\\d1\\b.jar;last.jar");
    EXPECT_EQ(env.extractions, 1);
}

TEST_F(ClassPathTest, ExtractedArchivesInAFolderWithABlankStayOneArgument) {
    env.files.clear();
    jvm.removeTag("JVM_CLASSPATH");
    env.classpathArchives = {"C:\\temp dir\\d1\\a.jar", "C:\\TEMP\\d1\\b.jar"};
    EXPECT_EQ(buildScript("%CP%()", nullptr), "-classpath \"C:\\temp dir\\d1\\a.jar\";C:\\TEMP\\d1\\b.jar");
    jvm.setValue("USE_CP_ENV_VAR", "1");
    jvm.setValue("CP_ENV_VAR", "CLASSPATH");
    buildScript("%CP%()", nullptr);
    EXPECT_EQ(env.variables["CLASSPATH"], "C:\\temp dir\\d1\\a.jar;C:\\TEMP\\d1\\b.jar");
}

TEST_F(ClassPathTest, EmptyClassPathGivesNothing) {
    env.files.clear();
    env.classpathArchives.clear();
    jvm.removeTag("JVM_CLASSPATH");
    EXPECT_EQ(buildScript("java %CP%(\"\") Main", nullptr), "java  Main");
    EXPECT_EQ(env.extractions, 1);  // the embedded archives are still asked for
}

TEST_F(ClassPathTest, VerifyCommandsUseNoEmbeddedArchives) {
    env.files.clear();
    EXPECT_EQ(build("%CP%()", false), "-classpath C:\\jdk\\lib\\rt.jar");
    EXPECT_EQ(env.extractions, 0);
    EXPECT_EQ(build("%CP%()", true), "-classpath C:\\jdk\\lib\\rt.jar;C:\\TEMP\\d1\\a.jar;C:\\TEMP\\d1\\b.jar");
    EXPECT_EQ(env.extractions, 1);
}

TEST_F(ClassPathTest, EnvironmentMode) {
    jvm.setValue("USE_CP_ENV_VAR", "1");
    jvm.setValue("CP_ENV_VAR", "CLASSPATH");
    env.files.erase("C:\\apps\\demo.cp");
    EXPECT_EQ(buildScript("java %CP%(\"\"\"x y.jar\"\"\",\"plain.jar\") Main", "\"%TEMP_DIR%()\\app.jar\""),
              "java  Main");
    const String expected = "first.jar;C:\\jdk\\lib\\rt.jar;x y.jar;plain.jar;C:\\TEMP\\app.jar;"
                            "C:\\TEMP\\d1\\a.jar;C:\\TEMP\\d1\\b.jar;last.jar";
    EXPECT_EQ(env.variables["CLASSPATH"], expected);
    EXPECT_NE(logText().find("Set env var CLASSPATH to " + expected + "\n\n"), std::string::npos) << logText();
}

TEST_F(ClassPathTest, EnvironmentModeNeedsAVariableName) {
    jvm.setValue("USE_CP_ENV_VAR", "1");
    EXPECT_EQ(buildScript("java %CP%() Main", nullptr), "java  Main");
    EXPECT_TRUE(env.variables.empty());
    EXPECT_NE(logText().find("ERROR: If USE_CP_ENV_VAR is set to 1 in the jvm file, then the jvm file "
                             "should also define CP_ENV_VAR.\n"),
              std::string::npos);
    // Only exactly "1" turns the mode on.
    jvm.setValue("USE_CP_ENV_VAR", "01");
    EXPECT_EQ(buildScript("%CP%()", nullptr).find("-classpath first.jar;"), 0u);
}

TEST_F(ClassPathTest, ArchiveCallingClassPathIsAnError) {
    EXPECT_THROW(
        {
            try {
                buildScript("%CP%()", "%CP%()");
            } catch (const LauncherException& e) {
                EXPECT_EQ(e.message(), "Launch script error: The ARCHIVE value must not call the CP function.");
                throw;
            }
        },
        LauncherException);
}

// --- the verification command --------------------------------------------

TEST_F(LaunchScriptTest, VerifyCommandOfTheExample) {
    const String command =
        "C:\\jvm\\@JVM_EXE@ %CP%(\"\"\"C:\\tmp\\d1\\Verify.jar\"\"\") \"Verify\" java.version java.vendor";
    jvm.setValue("JVM_HOME", "C:\\jvm");
    EXPECT_EQ(build(command),
              "C:\\jvm\\bin\\java.exe -classpath \"C:\\tmp\\d1\\Verify.jar\" \"Verify\" java.version java.vendor");
    EXPECT_EQ(env.extractions, 0);
    // Without a verify archive the argument is empty.
    EXPECT_EQ(build("C:\\jvm\\@JVM_EXE@ %CP%() "), "C:\\jvm\\bin\\java.exe  ");
}

// --- pass-through arguments ------------------------------------------------

TEST(QuoteArgument, WindowsSplitterRule) {
    const struct {
        const char* argument;
        const char* expected;
    } rows[] = {
        {"plain", " \"plain\""},
        {"", " \"\""},
        {"two words", " \"two words\""},
        {"C:\\data\\in.txt", " \"C:\\data\\in.txt\""},   // inner backslashes stay single
        {"C:\\data\\", " \"C:\\data\\\\\""},             // doubled before the closing quote
        {"say \"hi\"", " \"say \\\"hi\\\"\""},           // each quote gets one backslash
        {"a\\\"b", " \"a\\\\\\\"b\""},                    // backslash before a quote: doubled + 1
        {"\\\\server\\share", " \"\\\\server\\share\""},
        {"\\", " \"\\\\\""},
    };
    for (const auto& row : rows) EXPECT_EQ(LaunchScript::quoteArgument(row.argument), row.expected) << row.argument;
}

TEST_F(LaunchScriptTest, BuildCommandAppendsPassThroughArguments) {
    LaunchScript script(String("@JVM_HOME@\\@JVM_EXE@ Main"), true, false, &env);
    JvmFile jvmFile(jvm);
    EXPECT_EQ(script.buildCommand(jvmFile, {"C:\\data\\in.txt", "-v", "a \"b\""}),
              "C:\\jdk\\bin\\java.exe Main \"C:\\data\\in.txt\" \"-v\" \"a \\\"b\\\"\"");
    EXPECT_EQ(script.buildCommand(jvmFile, {}), "C:\\jdk\\bin\\java.exe Main");
}

// --- construction and execution --------------------------------------------

TEST_F(LaunchScriptTest, ConstructionFromTagFileAndText) {
    TagFile tags;
    tags.setValue("COMMAND", "java Main");
    tags.setValue("DESC", "Demo \\u00e9");
    tags.setValue("ARCHIVE", "app.jar");
    LaunchScript fromTags(tags, true, &env);
    EXPECT_EQ(fromTags.command(), "java Main");
    EXPECT_EQ(fromTags.getDescription(), "Demo \\u00e9");
    EXPECT_EQ(fromTags.archive(), "app.jar");
    EXPECT_FALSE(fromTags.displayConsole());
    EXPECT_TRUE(fromTags.autoSetWorkingDir());
    EXPECT_TRUE(fromTags.useEmbeddedClasspath());
    EXPECT_TRUE(fromTags.captureOutput());

    tags.setValue("DISPLAY_CONSOLE", "1");
    tags.setValue("AUTO_SET_WORKING_DIR", "0");
    LaunchScript flags(tags, false, &env);
    EXPECT_TRUE(flags.displayConsole());
    EXPECT_FALSE(flags.autoSetWorkingDir());
    EXPECT_FALSE(flags.captureOutput());

    LaunchScript fromText(String("cmd"), true, false, &env);
    EXPECT_EQ(fromText.command(), "cmd");
    EXPECT_FALSE(fromText.displayConsole());
    EXPECT_TRUE(fromText.autoSetWorkingDir());
    EXPECT_FALSE(fromText.useEmbeddedClasspath());
    EXPECT_TRUE(fromText.getDescription().empty());
    EXPECT_TRUE(fromText.archive().empty());
}

TEST_F(LaunchScriptTest, ExecuteConsoleAndCapture) {
    const struct {
        bool displayConsole;
        bool captureOutput;
        bool consoleFlag;
        bool expectConsole;
        bool expectCapture;
    } rows[] = {
        {false, true, false, false, true},
        {false, false, false, false, false},
        {true, true, false, true, false},
        {false, true, true, true, false},
        {true, false, true, true, false},
    };
    for (const auto& row : rows) {
        TagFile tags;
        tags.setValue("COMMAND", "@JVM_HOME@\\@JVM_EXE@ -version");
        tags.setBool("DISPLAY_CONSOLE", row.displayConsole);
        LaunchScript script(tags, row.captureOutput, &env);
        JvmFile jvmFile(jvm);
        env.runs.clear();
        script.execute(jvmFile, nullptr, row.consoleFlag);
        ASSERT_EQ(env.runs.size(), 1u);
        EXPECT_EQ(env.runs[0].showConsole, row.expectConsole);
        EXPECT_EQ(env.runs[0].capture, row.expectCapture);
        EXPECT_EQ(env.runs[0].commandLine, "C:\\jdk\\bin\\java.exe -version");
        EXPECT_EQ(env.runs[0].workingDirectory, "C:\\apps");
        EXPECT_EQ(env.runs[0].javaHome, "C:\\jdk\\");  // as stored, separator kept
    }
}

// Paths java.exe reads go through the environment's javaPath; arguments it
// cannot receive are named in the log but passed as they are.
class JavaPathEnvironment : public FakeLaunchEnvironment {
public:
    String javaPath(const String& path, const char* what) override { return "SHORT(" + path + "|" + what + ")"; }
    bool reachesJava(const String& text) override { return text != "lossy"; }
};

TEST_F(LaunchScriptTest, JavaPathsAndArgumentsJavaCannotReceive) {
    JavaPathEnvironment javaEnv;
    TagFile tags;
    tags.setValue("COMMAND", "java %LAUNCHER_FILE%() %LAUNCHER_DIR%()");
    LaunchScript script(tags, false, &javaEnv);
    JvmFile jvmFile(jvm);
    StringList arguments = {"plain", "lossy"};
    script.execute(jvmFile, &arguments, false);
    ASSERT_EQ(javaEnv.runs.size(), 1u);
    EXPECT_EQ(javaEnv.runs[0].commandLine,
              "java SHORT(C:\\apps\\demo.exe|the launcher) SHORT(C:\\apps|the launcher's folder) \"plain\" \"lossy\"");
    EXPECT_EQ(javaEnv.runs[0].workingDirectory, "SHORT(C:\\apps|the working directory)");
    EXPECT_NE(logText().find("WARNING: The argument lossy holds characters the system code page cannot represent: a "
                             "Java application may receive them as '?'\n"),
              std::string::npos)
        << logText();
    EXPECT_EQ(logText().find("The argument plain"), std::string::npos);
}

TEST_F(LaunchScriptTest, ExecuteLogsCommandAndAccumulatedOutput) {
    TagFile tags;
    tags.setValue("COMMAND", "java Main");
    tags.setValue("AUTO_SET_WORKING_DIR", "0");
    LaunchScript script(tags, true, &env);
    JvmFile jvmFile(jvm);
    env.childOutput = "out1";
    env.childError = "err1";
    StringList extra = {"C:\\in.txt"};
    script.execute(jvmFile, &extra, false);
    env.childOutput = "+out2";
    script.execute(jvmFile, nullptr, false);
    EXPECT_EQ(env.runs[0].commandLine, "java Main \"C:\\in.txt\"");
    EXPECT_EQ(env.runs[0].workingDirectory, "");
    EXPECT_EQ(script.standardOutput(), "out1+out2");
    EXPECT_EQ(logText(),
              "Executing launch script command: java Main \"C:\\in.txt\" in current working directory\n"
              "Output from the launch script execution\nStdOut:\nout1\nErrOut:\nerr1\n"
              "Executing launch script command: java Main in current working directory\n"
              "Output from the launch script execution\nStdOut:\nout1+out2\nErrOut:\nerr1err1\n");
}

TEST_F(LaunchScriptTest, ExecuteInLauncherDirectoryAndFailedStart) {
    LaunchScript script(String("java"), true, false, &env);
    JvmFile jvmFile(jvm);
    env.failStart = true;
    EXPECT_THROW(script.execute(jvmFile, nullptr, false), LauncherException);
    EXPECT_EQ(logText(), "Executing launch script command: java in working directory C:\\apps\n");
    EXPECT_EQ(env.variables["JAVA_HOME"], "C:\\jdk\\");
}

TEST_F(LaunchScriptTest, ScriptErrorLeavesNoJvmContext) {
    LaunchScript script(String("%IF_EXISTS%(\"JVM_EXE\",\"yes\") %BAD%()"), true, false, &env);
    JvmFile jvmFile(jvm);
    EXPECT_THROW(script.buildCommand(jvmFile), LauncherException);
    // Outside a build the functions see no JVM file.
    String text("[%IF_EXISTS%(\"JVM_EXE\",\"yes\")]");
    EXPECT_EQ(script.expandAll(text, '%'), "[]");
}

TEST(LaunchEnvironmentSetting, MissingEnvironmentIsAClearError) {
    setLaunchEnvironment(nullptr);
    LaunchScript script(String("%TEMP_DIR%()"), true, false);
    TagFile tags;
    JvmFile jvmFile(tags);
    try {
        script.buildCommand(jvmFile);
        FAIL() << "no error";
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "No launch environment has been set up.");
    }
    FakeLaunchEnvironment env;
    setLaunchEnvironment(&env);
    EXPECT_EQ(script.buildCommand(jvmFile), "C:\\TEMP");
    setLaunchEnvironment(nullptr);
}

TEST(ReadTextFileLines, LinesOfARealFile) {
    const char* path = "launch_script_lines.tmp";
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("  a.jar \r\nb.jar\n\nlast", f);
    std::fclose(f);
    StringList lines;
    EXPECT_TRUE(readTextFileLines(path, lines));
    EXPECT_EQ(lines, (StringList{"a.jar", "b.jar", "", "last"}));
    std::remove(path);
    EXPECT_FALSE(readTextFileLines(path, lines));
    EXPECT_TRUE(lines.empty());
}

}  // namespace

namespace {

// The documented examples, read from docs/examples with their real side files.
class DocumentedExample : public LaunchScriptTest {
protected:
    class RealSideFiles : public FakeLaunchEnvironment {
    public:
        bool readLines(const String& path, StringList& lines) override { return readTextFileLines(path, lines); }
    };

    void SetUp() override {
        LaunchScriptTest::SetUp();
        launcherPath = String(MG_EXAMPLES_DIR) + "/launch/demo.exe";
        originalLauncherPath = launcherPath;
        files.variables["APP_USER_DIR"] = "C:\\Users\\demo";
        files.embeddedApplicationArchive = "C:\\TEMP\\d2\\demo.jar";
        files.classpathArchives = {"C:\\TEMP\\d1\\lib1.jar"};
        script.load(String(MG_EXAMPLES_DIR) + "/launch/demo.tag");
    }
    String buildWith(const char* jvmFileName, const StringList& extra) {
        TagFile jvmTags;
        jvmTags.load(String(MG_EXAMPLES_DIR) + "/jvm/" + jvmFileName);
        jvmTags.setValue("JVM_HOME", "C:\\Java\\runtime17\\");
        LaunchScript launch(script, true, &files);
        EXPECT_EQ(launch.getDescription(), "Demo Application");
        JvmFile jvmFile(jvmTags);
        return launch.buildCommand(jvmFile, extra);
    }

    RealSideFiles files;
    TagFile script;
};

TEST_F(DocumentedExample, CommandLine) {
    const String dir = String(MG_EXAMPLES_DIR) + "/launch";
    EXPECT_EQ(buildWith("runtime17.jvm", {"C:\\data\\in.txt"}),
              "C:\\Java\\runtime17\\bin\\java.exe -Xmx256m -Dapp.jvm=C:\\Java\\runtime17 "
              "-classpath first.jar;lib\\extra.jar;\"C:\\TEMP\\d2\\demo.jar\";C:\\TEMP\\d1\\lib1.jar;last.jar "
              "-Dapp.home=\"" + dir + "\" -Dapp.mode=demo -Dapp.user.dir=C:\\Users\\demo  demo.Main "
              "\"C:\\data\\in.txt\"");
}

TEST_F(DocumentedExample, ClassPathInTheEnvironment) {
    EXPECT_EQ(buildWith("classpath-variable.jvm", {}),
              "C:\\Java\\runtime17\\bin\\jre.exe -Xmx256m -Dapp.jvm=C:\\Java\\runtime17  "
              "-Dapp.home=\"" + String(MG_EXAMPLES_DIR) + "/launch\" -Dapp.mode=demo "
              "-Dapp.user.dir=C:\\Users\\demo  demo.Main");
    EXPECT_EQ(files.variables["CLASSPATH"],
              "first.jar;C:\\Java\\runtime17\\lib\\classes.zip;lib\\extra.jar;C:\\TEMP\\d2\\demo.jar;"
              "C:\\TEMP\\d1\\lib1.jar;last.jar");
}

}  // namespace

namespace {

// Random templates built from the syntax's own characters: every outcome is
// a command or a LauncherException, never another exception, hang or crash.
TEST_F(LaunchScriptTest, RandomTemplatesFailCleanly) {
    env.variables["A"] = "#A#";
    env.variables["B"] = "%CP%(\"b\")";
    env.files["C:\\apps\\demo.ja"] = "@JVM_HOME@ % # \"";
    env.files["C:\\apps\\demo.sp"] = "x=%TEMP_DIR%(";
    const char* pieces[] = {"%", "#", "@", "(", ")", ",", "\"", "\"\"\"", " ", "x", "A", "B", "CP", "TEMP_DIR",
                            "REPLACE", "SYSTEMPROP", "IF_EXISTS", "RUNTIME_JAVAARGS", "RUNTIME_SYSTEMPROP",
                            "JVM_HOME", "APPLICATION_ARCHIVE", "LAUNCHER_DIR", "%CP%(", "%TEMP_DIR%()"};
    std::uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    int built = 0;
    for (int round = 0; round < 20000; ++round) {
        String command;
        int count = 1 + next() % 12;
        for (int i = 0; i < count; ++i) command += pieces[next() % (sizeof pieces / sizeof pieces[0])];
        try {
            build(command, next() % 2 == 0);
            ++built;
        } catch (const LauncherException&) {
        } catch (...) {
            FAIL() << "unexpected exception for: " << command;
        }
    }
    EXPECT_GT(built, 1000);
}

}  // namespace

// --- system text is data ------------------------------------------------

TEST_F(LaunchScriptTest, InsertedPathsAndValuesNeverOpenReferences) {
    const char* folders[] = {"C:\\100% Java", "C:\\a@b", "C:\\#1 x #2", "C:\\%TEMP_DIR%()@JVM_EXE@#V#"};
    for (const char* folder : folders) {
        SCOPED_TRACE(folder);
        originalLauncherPath = String(folder) + "\\app.exe";
        launcherPath = originalLauncherPath;
        env.tempRootPath = String(folder) + "\\tmp\\";
        env.variables["V"] = folder;
        env.classpathArchives = {String(folder) + "\\tmp\\cp.jar"};
        jvm.setValue("JVM_HOME", folder);
        const String f(folder);
        // An extracted archive in a folder with a blank is quoted, as one argument.
        const String cp = f.find(' ') == String::npos ? f + "\\tmp\\cp.jar" : "\"" + f + "\\tmp\\cp.jar\"";
        EXPECT_EQ(build("%LAUNCHER_DIR%()|%TEMP_DIR%()|#V#|@JVM_HOME@|%LAUNCHER_FILE%()"),
                  f + "|" + f + "\\tmp|" + f + "|" + f + "|" + f + "\\app.exe");
        EXPECT_EQ(build("%SYSTEMPROP%(\"d\",\"\"\"@JVM_HOME@\"\"\") %CP%()", true),
                  "-Dd=\"" + f + "\" -classpath " + cp);
        // References written in the script itself still expand.
        EXPECT_EQ(build("%REPLACE%(\"@JVM_HOME@\",\"X\",\"" + f + "\\lib\")"), "X\\lib");
    }
}

// --- long command lines --------------------------------------------------

TEST_F(LaunchScriptTest, LongCommandGoesThroughAnArgumentFile) {
    const String entry(200, 'e');
    String classpath;
    for (int i = 0; i < 200; ++i) classpath += (i ? ";" : "") + entry;
    TagFile tags;
    tags.setValue("COMMAND", "@JVM_HOME@\\@JVM_EXE@ -Xmx64m -classpath \"" + classpath + "\" Main \"two words\"");
    struct Row {
        const char* release;  // the home's "release" file; nullptr: none
        bool argumentFile;
    };
    const Row rows[] = {{"JAVA_VERSION=\"17.0.9\"", true}, {"JAVA_VERSION=\"9\"", true},
                        {"JAVA_VERSION=\"1.8.0_392\"", false}, {nullptr, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.release ? row.release : "none");
        env.files.clear();
        if (row.release) env.files["C:\\jdk\\release"] = String("IMPLEMENTOR=\"x\"\n") + row.release + "\n";
        env.runs.clear();
        env.temp.files.clear();
        LaunchScript script(tags, true, &env);
        JvmFile jvmFile(jvm);
        if (!row.argumentFile) {
            try {
                script.execute(jvmFile, nullptr, false);
                FAIL() << "started";
            } catch (const LauncherException& e) {
                EXPECT_NE(e.message().find(" characters long; Windows starts none longer than 32767"), NPOS);
            }
            EXPECT_TRUE(env.runs.empty());
            continue;
        }
        script.execute(jvmFile, nullptr, false);
        ASSERT_EQ(env.runs.size(), 1u);
        ASSERT_EQ(env.temp.files.size(), 1u);
        // The fewest leading arguments move, in order; the rest stays as written.
        EXPECT_EQ(env.runs[0].commandLine, "C:\\jdk\\bin\\java.exe @" + env.temp.files[0] + " Main \"two words\"");
        std::ifstream in(env.temp.files[0].c_str(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        EXPECT_EQ(text.str(), "\"-Xmx64m\"\n\"-classpath\"\n\"" + classpath + "\"\n");
        std::remove(env.temp.files[0].c_str());
    }
}

TEST_F(LaunchScriptTest, OversizedClasspathVariableIsRefused) {
    jvm.setValue("USE_CP_ENV_VAR", "1");
    jvm.setValue("CP_ENV_VAR", "CLASSPATH");
    String entries;
    for (int i = 0; i < 400; ++i) entries += "\"C:\\libraries\\library-" + String(std::to_string(1000 + i)) + String(80, 'x') + ".jar\",";
    EXPECT_EQ(buildError("java %CP%(" + entries + ") Main"),
              "The class path is 43999 characters long; the environment variable CLASSPATH holds at most 32766.");
    EXPECT_TRUE(env.variables.find("CLASSPATH") == env.variables.end()) << "a value was set";
}

// --- captured output -----------------------------------------------------

TEST_F(LaunchScriptTest, LargeOutputIsLoggedWholeAndKeptBounded) {
    // Beyond every bound: the error output goes through a temporary file.
    String output, error;
    for (int i = 0; output.size() < 300000; ++i) output += "out " + std::to_string(i) + "\r\n";
    for (int i = 0; error.size() < 600000; ++i) error += "err " + std::to_string(i) + "\n";
    env.childOutput = output;
    env.childError = error;
    LaunchScript script(String("java Main"), true, false, &env);
    JvmFile jvmFile(jvm);
    script.execute(jvmFile, nullptr, false);
    std::string expected = "Executing launch script command: java Main in working directory C:\\apps\n"
                           "Output from the launch script execution\nStdOut:\n" + output + "\nErrOut:\n" + error + "\n";
    EXPECT_TRUE(logText() == expected) << "the log differs from the output";
    EXPECT_EQ(script.standardOutput(), output.substr(0, KeptOutput::headLimit));
    EXPECT_EQ(script.errorTail(), error.substr(error.size() - KeptOutput::tailLimit));
    ASSERT_EQ(env.temp.files.size(), 1u);
    EXPECT_EQ(std::fopen(env.temp.files[0].c_str(), "rb"), nullptr) << "the spool file is left";
}

}  // namespace mg
