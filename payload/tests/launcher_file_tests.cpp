#include <gtest/gtest.h>

#include "base/settings.h"
#include "payload/launcher_file.h"
#include "tests/support/launcher_image.h"

namespace mg {

namespace {

const char* const IMAGE = "payload_launcher_test.tmp";
const char* const LOG = "payload_launcher_test.log";

// Records what the layers above were handed, and fails on request.
class RecordingHandler : public ContentHandler {
public:
    std::vector<std::string> calls;
    std::string failOn;

    void instructionsLoaded(const TagFile& t) override { note("instructions " + t.fileName()); }
    void jvmFileLoaded(TagFile& t) override { note("jvm " + t.fileName()); }
    void launchScriptLoaded(const TagFile& t) override { note("script " + t.fileName()); }
    void verifyClassGiven(const String& path, const String& name) override { note("verify " + path + " " + name); }
    void captionGiven(const String& caption) override { note("caption " + caption); }

private:
    void note(const std::string& call) {
        calls.push_back(call);
        if (!failOn.empty() && call.rfind(failOn, 0) == 0) throw LauncherException(" inner");
    }
};

class LauncherFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        file.reset();
        file.setContentHandler(&handler);
        std::remove(LOG);
        logPath = LOG;
        logHeaderWritten = true;
    }
    void TearDown() override { logPath.clear(); }

    std::string load(const std::vector<Embedded>& files, bool withContents = true) {
        writeFileBytes(IMAGE, launcherImage(files));
        try {
            file.loadIndex(IMAGE, withContents);
        } catch (const LauncherException& e) {
            return e.message();
        }
        return "ok";
    }

    LauncherFile file;
    RecordingHandler handler;
};

const std::vector<Embedded> TYPICAL = {
    {5, 0, "Verify.jar", "PK"},
    {0, 1, "instructions.txt", "INSTRUCTIONS:\nINITIALIZE_UI\n/:\n"},
    {2, 2, "launch.txt", "DESC: My App\nARCHIVE: a.jar\n"},
    {1, 3, "jre.jvm", "JVM_HOME: x\n"},
    {0, 4, "second.txt", "INSTRUCTIONS:\nLAUNCH\n/:\n"},
    {2, 5, "second-launch.txt", "DESC: Other\n"},
    {1, 3, "jdk.jvm", "JVM_HOME: y\n"},
};

TEST_F(LauncherFileTest, FirstProgramAndScriptAllJvmFilesInOrder) {
    ASSERT_EQ(load(TYPICAL), "ok");
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"instructions instructions.txt", "script launch.txt",
                                                        "caption My App", "jvm jre.jvm", "jvm jdk.jvm"}));
    ASSERT_NE(file.instructions(), nullptr);
    EXPECT_EQ(file.instructions()->getValue("INSTRUCTIONS"), "INITIALIZE_UI");
    EXPECT_EQ(file.launchScript()->getValue("ARCHIVE"), "a.jar");
    ASSERT_EQ(file.jvmFiles().size(), 2u);
    EXPECT_EQ(file.jvmFiles()[1]->getValue("JVM_HOME"), "y");
    EXPECT_TRUE(file.indexLoaded());
    EXPECT_TRUE(file.jvmFilesGiven());
    EXPECT_EQ(file.entryCount(), 7);
    EXPECT_EQ(file.entryAt(0)->name, "Verify.jar");
    EXPECT_EQ(file.entryAt(0)->tagFile, nullptr);
    EXPECT_EQ(file.entryAt(-1), nullptr);
    EXPECT_EQ(file.entryAt(7), nullptr);
    EXPECT_EQ(file.entryById(3)->name, "jre.jvm");
    EXPECT_EQ(file.entryById(99), nullptr);
}

TEST_F(LauncherFileTest, LogsOneFiveLineRecordPerEntry) {
    ASSERT_EQ(load({TYPICAL[0], TYPICAL[1]}), "ok");
    EXPECT_EQ(readTextFile(LOG),
              "file type: 5\n  file id: 0\n  length: 2\n  offset: 7\n  file name: Verify.jar\n"
              "file type: 0\n  file id: 1\n  length: 31\n  offset: 9\n  file name: instructions.txt\n");
}

TEST_F(LauncherFileTest, NoMagicIsAnEmptyIndexAndLogsNothing) {
    writeFileBytes(IMAGE, "just a program, nothing appended");
    file.loadIndex(IMAGE, true);
    EXPECT_EQ(file.entryCount(), 0);
    EXPECT_TRUE(file.indexLoaded());
    EXPECT_EQ(file.instructions(), nullptr);
    EXPECT_EQ(readTextFile(LOG), "");
}

TEST_F(LauncherFileTest, Failures) {
    try {
        file.loadIndex("no such dir/none.exe", true);
        FAIL();
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "Cannot open launcher file.");
    }
    EXPECT_FALSE(file.indexLoaded());

    struct Row { std::vector<Embedded> files; std::string failOn; const char* message; } rows[] = {
        {{{0, 0, "instructions.txt", "A: 1\n\nbad\n"}}, "", "Syntax error in instructions.txt at line 3 ==> Missing colon at the end of the tag name."},
        {{{0, 0, "i.txt", "INSTRUCTIONS:\n/:\n"}}, "instructions", "Error loading instructions file. inner"},
        {{{1, 0, "j.jvm", "A: 1\n"}}, "jvm", "Error loading JVM file. inner"},
        {{{2, 0, "l.txt", "DESC: d\n"}}, "script", "Error loading launch script. inner"},
        {{{2, 0, "l.txt", "L:\n a\n"}}, "", "Syntax error in l.txt at line 1 ==> Missing /: tag completer."},
    };
    for (const auto& r : rows) {
        file.reset();
        handler.failOn = r.failOn;
        EXPECT_EQ(load(r.files), r.message);
        EXPECT_FALSE(file.indexLoaded());
    }
}

TEST_F(LauncherFileTest, FailedIndexReadLeavesNoEntriesAndCanBeRetried) {
    std::string image = launcherImage(TYPICAL);
    std::size_t indexOffset = 0;
    for (std::size_t i = image.size() - 8; i < image.size() - 4; ++i)
        indexOffset = indexOffset * 256 + static_cast<unsigned char>(image[i]);
    // The second record's type: after the count and the first record (15 + 10 name bytes).
    std::string damaged = image;
    damaged[indexOffset + 4 + 15 + 10] = 8;
    writeFileBytes(IMAGE, damaged);
    EXPECT_THROW(file.loadIndex(IMAGE, true), LauncherException);
    EXPECT_EQ(file.entryCount(), 0);
    writeFileBytes(IMAGE, image);
    file.loadIndex(IMAGE, true);
    EXPECT_EQ(file.entryCount(), 7);
}

TEST_F(LauncherFileTest, IndexWithoutContentsThenWithDoesNothing) {
    ASSERT_EQ(load(TYPICAL, false), "ok");
    EXPECT_EQ(load(TYPICAL, true), "ok");
    EXPECT_EQ(file.instructions(), nullptr);
    EXPECT_EQ(file.entryCount(), 7);
    EXPECT_TRUE(handler.calls.empty());
}

TEST_F(LauncherFileTest, InputFileReferencesComeFirst) {
    writeFileBytes("payload_in_instr.tag", "INSTRUCTIONS:\nFROM_INPUT\n/:\n");
    writeFileBytes("payload_in.jvm", "JVM_HOME: input\n");
    TagFile input;
    input.setValue("INSTRUCTIONS", "payload_in_instr.tag");
    input.setValue("UI_TITLE", "Title");
    input.setValue("VERIFY_CLASSPATH", "v.jar");
    input.setValue("VERIFY_CLASS_NAME", "Verify");
    input.addValue("JVM", "payload_in.jvm");
    file.loadInputReferences(input);
    ASSERT_EQ(load(TYPICAL), "ok");
    // The embedded launch script still sets the title afterwards; the
    // embedded program and JVM files are kept out.
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"instructions payload_in_instr.tag", "verify v.jar Verify",
                                                        "caption Title", "jvm payload_in.jvm", "script launch.txt",
                                                        "caption My App"}));
    EXPECT_EQ(file.instructions()->getValue("INSTRUCTIONS"), "FROM_INPUT");
    ASSERT_EQ(file.jvmFiles().size(), 1u);
}

TEST_F(LauncherFileTest, InputFileReferenceFailures) {
    struct Row { const char* key; const char* message; } rows[] = {
        {"INSTRUCTIONS", "Error loading instructions file.Unable to load input file: missing.tag"},
        {"LAUNCHSCRIPT", "Error loading launch script.Unable to load input file: missing.tag"},
        {"JVM", "Error loading JVM file.Unable to load input file: missing.tag"},
    };
    for (const auto& r : rows) {
        TagFile input;
        input.setValue(r.key, "missing.tag");
        try {
            file.loadInputReferences(input);
            ADD_FAILURE() << r.key;
        } catch (const LauncherException& e) {
            EXPECT_EQ(e.message(), r.message);
        }
    }
    // An empty JVM value still keeps the embedded JVM files out.
    file.reset();
    TagFile input;
    input.setValue("JVM", "");
    file.loadInputReferences(input);
    EXPECT_TRUE(file.jvmFilesGiven());
    ASSERT_EQ(load(TYPICAL), "ok");
    EXPECT_TRUE(file.jvmFiles().empty());
    try {
        file.loadTagFileByPath("missing.tag");
        FAIL();
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "Unable to load input file: missing.tag");
    }
}

}  // namespace

}  // namespace mg
