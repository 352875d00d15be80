#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "base/settings.h"
#include "text/tagfile.h"
#include "text/text.h"

namespace mg {

namespace {

// Files live in the test's working directory: the same code runs natively and
// under Wine, where tmpfile() may point at an unwritable root.
String scratchPath(const char* tag) { return String("tagfile_test_") + tag + ".tmp"; }

void writeBytes(const String& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// Text files get CR LF line ends on Windows; compare their lines.
std::string readText(const String& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// name=[v1|v2] per tag, in stored order.
std::string dump(const TagFile& t) {
    std::string out;
    for (const Tag& tag : t.tags()) {
        out += tag.name + "=[";
        for (std::size_t i = 0; i < tag.values.size(); ++i) out += (i ? "|" : "") + tag.values[i];
        out += "]";
    }
    return out;
}

// Parses text as the launcher parses an embedded file: binary stream, region.
void parseText(TagFile& t, const std::string& text, long offset = 0, long length = -1,
               RegionEnd regionEnd = RegionEnd::valuesMayRunPast, ParseObserver* observer = nullptr) {
    String path = scratchPath("parse");
    writeBytes(path, text);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    try {
        t.parse(f, "test.txt", offset, length, regionEnd, observer);
    } catch (...) {
        std::fclose(f);
        throw;
    }
    std::fclose(f);
}

String parseError(const std::string& text) {
    TagFile t;
    try {
        parseText(t, text);
    } catch (const LauncherException& e) {
        return e.message();
    }
    return "(no error)";
}

TEST(TagFileParse, Syntax) {
    struct Row { const char* text; const char* tags; } rows[] = {
        {"", ""},
        {"\n\n  \n", ""},
        {"A:b:c", "A=[b:c]"},
        {"A : x", "A=[x]"},
        {"  My Name  :   two  words : here  \n", "My Name=[two  words : here]"},
        {"N:\n\n  first  \n\n /: \n", "N=[first]"},
        {"N:\n\"  spaced \"\nX: y\n\"\"\n\"/:\"\nB: 2\n", "N=[  spaced |X: y]B=[2]"},
        {"Q: \"a \"\"b\"\" c\" ignored", "Q=[a \"b\" c]"},
        {"Q: \"\"", "Q=[]"},
        {"ARCHIVE: \"\"\"%APPLICATION_ARCHIVE%()\"\"\"", "ARCHIVE=[\"%APPLICATION_ARCHIVE%()\"]"},
        {"A: 1\nB: 2\nA: 3\n", "B=[2]A=[3]"},
        {"A: 1\nB: 2\nA:\n/:\n", "B=[2]"},
        {"T: \t \nv\n/:", "T=[v]"},
        {"#x: y", "#x=[y]"},
        {"A: one\r\nB:\r\n  x\r\n/:\r\n", "A=[one]B=[x]"},
        {"A: o\rne\r", "A=[one]"},
        {"A: \xe9t\xe9\xff", "A=[\xe9t\xe9\xff]"},
        {"DESC: Marrowgate Native Installer\nINSTRUCTIONS:\nINITIALIZE_UI\n:DO_INSTALL\nINSTALL_JVM 1\n"
         "JMP0 @N1@ DONE\nLAUNCH @S1@ 0\n:DONE\n/:\n",
         "DESC=[Marrowgate Native Installer]INSTRUCTIONS=[INITIALIZE_UI|:DO_INSTALL|INSTALL_JVM 1|"
         "JMP0 @N1@ DONE|LAUNCH @S1@ 0|:DONE]"},
    };
    for (const auto& r : rows) {
        TagFile t;
        parseText(t, r.text);
        EXPECT_EQ(dump(t), r.tags) << r.text;
    }
}

TEST(TagFileParse, SyntaxErrors) {
    struct Row { const char* text; const char* message; } rows[] = {
        {"A: 1\nB: 2\n\nno colon here\n", "Syntax error in test.txt at line 4 ==> Missing colon at the end of the tag name."},
        {"# a comment\n", "Syntax error in test.txt at line 1 ==> Missing colon at the end of the tag name."},
        {"A: 1\n\nLIST:\n one\n two\n", "Syntax error in test.txt at line 3 ==> Missing /: tag completer."},
        {"LIST:", "Syntax error in test.txt at line 1 ==> Missing /: tag completer."},
        {"A: \"open", "Expected double quote to end argument near 4"},
        {"L:\n\"open\n/:\n", "Expected double quote to end argument near 1"},
        {"A: \"ends doubled\"\"", "Expected double quote to end argument near -1"},
    };
    for (const auto& r : rows) EXPECT_EQ(parseError(r.text), r.message) << r.text;
}

// What a parse tells its observer, one line per call.
class RecordingObserver : public ParseObserver {
public:
    std::vector<std::string> calls;
    void tagRemoved(const String& name) override { calls.push_back("removed " + name); }
    void valueRead(const String& name, std::int32_t tagLine, std::int32_t valueLine) override {
        calls.push_back("value " + name + " " + toDecimal(tagLine) + " " + toDecimal(valueLine));
    }
    void textIgnored(const String& name, std::int32_t line, const String& text) override {
        calls.push_back("ignored " + name + " " + toDecimal(line) + " [" + text + "]");
    }
    void syntaxError(std::int32_t line, const String& reason) override {
        calls.push_back("error " + toDecimal(line) + " " + reason);
    }
};

std::vector<std::string> observed(const std::string& text) {
    TagFile t;
    RecordingObserver observer;
    try {
        parseText(t, text, 0, -1, RegionEnd::valuesMayRunPast, &observer);
    } catch (const LauncherException&) {
    }
    return observer.calls;
}

// An observer learns where each tag and value was read (blank and quoted
// lines counted, a redefined tag removed first), what a closing quote left
// ignored, and a syntax error's line and reason before it is thrown.
TEST(TagFileParse, ObserverIsToldWhatIsRead) {
    struct Row { const char* text; std::vector<std::string> calls; } rows[] = {
        {"A: 1\n\nL:\n  x\n\n\"\"\n  \"y z\"\n/:\nA: 3\n",
         {"removed A", "value A 1 1", "removed L", "value L 3 4", "value L 3 7", "removed A", "value A 9 9"}},
        {"COMMAND: \"java\" %CP%() Main", {"removed COMMAND", "ignored COMMAND 1 [ %CP%() Main]", "value COMMAND 1 1"}},
        {"Q: \"a \"\"b\"\"\"", {"removed Q", "value Q 1 1"}},
        {"Q: plain \"not quoted\" text", {"removed Q", "value Q 1 1"}},
        {"L:\n\"one\" two\n/:", {"removed L", "ignored L 2 [ two]", "value L 1 2"}},
        {"A: 1\n\n# comment\n", {"removed A", "value A 1 1", "error 3 Missing colon at the end of the tag name."}},
        {"A: 1\n\nLIST:\n one\n two\n",
         {"removed A", "value A 1 1", "removed LIST", "value LIST 3 4", "value LIST 3 5",
          "error 3 Missing /: tag completer."}},
    };
    for (const auto& r : rows) EXPECT_EQ(observed(r.text), r.calls) << r.text;
}

TEST(TagFileParse, SyntaxErrorIsLoggedAsError) {
    String log = scratchPath("log");
    std::remove(log.c_str());
    logPath = log;
    EXPECT_EQ(parseError("\nbad\n"), "Syntax error in test.txt at line 2 ==> Missing colon at the end of the tag name.");
    logPath.clear();
    std::string text = readText(log);
    EXPECT_NE(text.find("ERROR: Syntax error in test.txt at line 2 ==> Missing colon at the end of the tag name.\n"),
              std::string::npos)
        << text;
}

TEST(TagFileParse, TagsBeforeAnErrorStayAndLaterParsesAdd) {
    TagFile t;
    parseText(t, "A: 1\nB: 2\n");
    EXPECT_THROW(parseText(t, "C: 3\nA: 4\noops\n"), LauncherException);
    EXPECT_EQ(dump(t), "B=[2]C=[3]A=[4]");
    EXPECT_EQ(t.lineCount(), 3);
}

TEST(TagFileParse, RegionStopsBeforeTagLinesOutsideIt) {
    // Two embedded files back to back; the second's multi-line tag runs past
    // the end of its region and is still read to its terminator.
    std::string first = "A: 1\nB: 2\n";
    std::string second = "C:\nx\ny\n";
    std::string third = "/:\nD: 4\n";
    std::string all = "JUNK\n" + first + second + third;
    TagFile t1;
    parseText(t1, all, 5, static_cast<long>(first.size()));
    EXPECT_EQ(dump(t1), "A=[1]B=[2]");
    EXPECT_EQ(t1.lineCount(), 2);
    TagFile t2;
    parseText(t2, all, static_cast<long>(5 + first.size()), static_cast<long>(second.size()));
    EXPECT_EQ(dump(t2), "C=[x|y]");
    EXPECT_EQ(t2.fileName(), "test.txt");
    TagFile t3;
    parseText(t3, all, 5, 0);
    EXPECT_EQ(dump(t3), "");
    TagFile t4;
    EXPECT_THROW(parseText(t4, all, -1, 10), LauncherException);
    // Bounded to its region, the second file's unterminated tag is an error
    // at the tag's line instead of taking the third file's terminator.
    TagFile t5;
    RecordingObserver observer;
    EXPECT_THROW(parseText(t5, all, static_cast<long>(5 + first.size()), static_cast<long>(second.size()),
                           RegionEnd::valuesStopAtEnd, &observer),
                 LauncherException);
    ASSERT_FALSE(observer.calls.empty());
    EXPECT_EQ(observer.calls.back(), "error 1 Missing /: tag completer.");
    TagFile t6;
    parseText(t6, all, static_cast<long>(5 + first.size()), static_cast<long>(second.size() + third.size()),
              RegionEnd::valuesStopAtEnd);
    EXPECT_EQ(dump(t6), "C=[x|y]D=[4]");
}

TEST(TagFileLoad, MissingFileAndTextMode) {
    TagFile t;
    try {
        t.load("no such dir/none.tag");
        FAIL();
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "Unable to load input file: no such dir/none.tag");
    }
    String path = scratchPath("load");
    writeBytes(path, "ACTION: SEARCH\r\nJVM:\r\n a.jvm\r\n b.jvm\r\n/:\r\n");
    t.load(path);
    EXPECT_EQ(dump(t), "ACTION=[SEARCH]JVM=[a.jvm|b.jvm]");
    EXPECT_EQ(t.fileName(), path);
    EXPECT_EQ(t.lineCount(), 5);
}

TEST(TagFileValues, Lookups) {
    TagFile t;
    parseText(t, "ONE: 1\nZERO: 0\nWORD: yes\nMIXED: 12abc\nNEG:  -3\nBIG: 65536\nLIST:\n a\n b\n/:\n");
    struct Row { const char* name; bool def; bool result; } rows[] = {
        {"ONE", false, true}, {"ZERO", true, false}, {"WORD", true, true}, {"WORD", false, false},
        {"MIXED", false, true}, {"NEG", false, true}, {"BIG", true, false}, {"ABSENT", true, true},
        {"ABSENT", false, false},
    };
    for (const auto& r : rows) EXPECT_EQ(t.getBool(r.name, r.def), r.result) << r.name;
    EXPECT_EQ(t.valueCount("LIST"), 2u);
    EXPECT_EQ(t.valueCount("ABSENT"), 0u);
    EXPECT_EQ(t.getValue("LIST", 1), "b");
    EXPECT_EQ(t.getValue("LIST", 2), "");
    EXPECT_EQ(t.getValue("ABSENT"), "");
    EXPECT_EQ(t.findTag("list"), nullptr);
    ASSERT_NE(t.findTag("LIST"), nullptr);
}

TEST(TagFileValues, UpdatesKeepOrder) {
    TagFile t;
    t.addValue("A", "1");
    t.setValue("B", "x");
    t.addValue("A", "2");
    t.addValue("A", "3");
    t.setValue("C", "c");
    EXPECT_EQ(dump(t), "A=[1|2|3]B=[x]C=[c]");
    t.setValue("A", "only");
    EXPECT_EQ(dump(t), "A=[only]B=[x]C=[c]");
    t.removeTag("B");
    t.removeTag("absent");
    t.setBool("D", true);
    t.setJvmLocation("C:\\jre", "C:\\jre\\jvm", false);
    t.setJvmLocation("C:\\jdk", "C:\\jdk\\jvm", true);
    EXPECT_EQ(dump(t), "A=[only]C=[c]D=[1]JVM_HOME=[C:\\jdk]JVM_FILE=[C:\\jdk\\jvm]JVM_TEMP=[1]");
}

TEST(TagFileWrite, Bytes) {
    TagFile t;
    t.setValue("PLAIN", "a b: c");
    t.setValue("EMPTY", "");
    t.setValue("EDGE", " padded\t");
    t.setValue("QUOTE", "say \"hi\"");
    t.addValue("LIST", "one");
    t.addValue("LIST", "/:");
    t.addValue("LIST", "");
    String path = scratchPath("write");
    t.write(path);
    EXPECT_EQ(readText(path),
              "PLAIN:  a b: c\nEMPTY:  \"\"\nEDGE:  \" padded\t\"\nQUOTE:  \"say \"\"hi\"\"\"\n"
              "LIST:\n  one\n  /:\n  \"\"\n/:\n");
    // Documented losses on reading back: the "/:" value ends the list early,
    // after which the rest no longer parses as tags.
    TagFile back;
    EXPECT_THROW(back.load(path), LauncherException);
    EXPECT_EQ(back.getValue("EDGE"), " padded\t");
    EXPECT_EQ(back.getValue("QUOTE"), "say \"hi\"");
    EXPECT_EQ(back.getValue("EMPTY"), "");
    ASSERT_NE(back.findTag("EMPTY"), nullptr);
    EXPECT_EQ(back.valueCount("LIST"), 1u);

    t.write("no such dir/out.tag");  // silently nothing
}

TEST(TagFileWrite, RandomRoundTrip) {
    std::mt19937 rng(20261208);
    const std::string alphabet = "ab Z09:\"/\t#\xe9@%";
    auto randomText = [&](std::size_t maxLen) {
        std::string s;
        std::size_t n = rng() % (maxLen + 1);
        for (std::size_t i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
        return String(s);
    };
    for (int round = 0; round < 300; ++round) {
        TagFile t;
        int tags = static_cast<int>(rng() % 8);
        for (int i = 0; i < tags; ++i) {
            // A name is trimmed text before the first colon.
            String name = randomText(6);
            for (char& c : name)
                if (c == ':') c = '_';
            trim(name);
            if (t.findTag(name)) continue;
            int values = 1 + static_cast<int>(rng() % 4);
            for (int v = 0; v < values; ++v) {
                String value = randomText(10);
                // In a list, an empty value and a "/:" value do not survive reading back.
                if (values > 1 && (value.empty() || value == "/:")) value = "x";
                t.addValue(name, value);
            }
        }
        String path = scratchPath("round");
        t.write(path);
        TagFile back;
        back.load(path);
        ASSERT_EQ(dump(back), dump(t)) << readText(path);
    }
}

// Whatever the bytes, a parse ends with tags or a LauncherException, quickly.
TEST(TagFileHostile, NeverCrashesOrHangs) {
    std::mt19937 rng(7);
    std::vector<std::string> inputs;
    for (int i = 0; i < 200; ++i) {
        std::string s(rng() % 400, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        inputs.push_back(s);
    }
    inputs.push_back(std::string(3 * 1024 * 1024, 'x'));                 // one long line, no colon
    inputs.push_back("A: " + std::string(3 * 1024 * 1024, 'v'));          // one long value, no line end
    inputs.push_back("A: \"" + std::string(1024 * 1024, 'q'));            // quoted value never closed
    inputs.push_back("L:\n" + std::string(2 * 1024 * 1024, '\n'));        // list never closed
    std::string many;
    for (int i = 0; i < 150000; ++i) many += "T" + std::to_string(i) + ": v\n";
    for (int i = 0; i < 150000; ++i) many += "T" + std::to_string(i) + ": w\n";
    inputs.push_back(many);  // redefinitions of many names
    inputs.push_back(std::string("A: 1\n\0\0\0\nB: 2", 14));

    auto start = std::chrono::steady_clock::now();
    int parsed = 0, refused = 0;
    for (const auto& in : inputs) {
        TagFile t;
        try {
            parseText(t, in);
            ++parsed;
        } catch (const LauncherException&) {
            ++refused;
        }
    }
    EXPECT_EQ(parsed + refused, static_cast<int>(inputs.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));

    TagFile t;
    parseText(t, many);
    EXPECT_EQ(t.tags().size(), 150000u);
    EXPECT_EQ(t.tags().front().name, "T0");
    EXPECT_EQ(t.getValue("T149999"), "w");
}

}  // namespace

#ifdef MG_EXAMPLES_DIR
namespace {

// The example of docs/tag-files.md, shown there as it is, reads as its table says.
TEST(TagFileExamples, Everything) {
    const std::string path = std::string(MG_EXAMPLES_DIR) + "/tags/everything.tag";
    TagFile t;
    t.load(path);
    EXPECT_EQ(dump(t),
              "DESC=[Sample Application: the first colon ends the name]"
              "Display Name=[spaces around the colon are dropped]"
              "PADDED=[  kept as written  ]QUOTES=[say \"hello\"]EMPTY=[]"
              "#NOT A COMMENT=[names may start with #]"
              "LIST=[first value|  second, with its blanks  |NOT A TAG: lines inside a list are values]"
              "REPLACED=[new value]");
    std::string doc = readText(std::string(MG_EXAMPLES_DIR) + "/../tag-files.md");
    EXPECT_NE(doc.find("```text\n" + readText(path) + "```"), std::string::npos);
}

}  // namespace
#endif

}  // namespace mg
