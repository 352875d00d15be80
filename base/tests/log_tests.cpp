#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/log.h"
#include "base/settings.h"

namespace mg {

namespace {

// Raw bytes, so the line ends the text mode wrote are visible.
std::string readBytes(const String& path) {
    std::string out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    char buf[512];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return out;
}

#ifdef _WIN32
const std::string EOL = "\r\n";
#else
const std::string EOL = "\n";
#endif

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = String(::testing::TempDir()) + "mg_log_test_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::remove(path_.c_str());
        logPath = path_;
        logHeaderWritten = false;
        tracePath.clear();
    }
    void TearDown() override {
        std::remove(path_.c_str());
        logPath.clear();
        tracePath.clear();
    }
    String path_;
};

TEST_F(LogTest, RecordsCarryTheirLevelPrefix) {
    struct Row {
        int level;
        const char* line;
    };
    const Row rows[] = {
        {LOG_PLAIN, "text"},
        {LOG_WARNING, "WARNING: text"},
        {LOG_ERROR, "ERROR: text"},
        {7, "text"},
        {-1, "text"},
    };
    std::string expected = "------------------" + EOL;
    for (const Row& r : rows) {
        writeLog("text", r.level);
        expected += r.line + EOL;
    }
    EXPECT_EQ(readBytes(path_), expected);
}

TEST_F(LogTest, SeparatorOncePerProcessAndLineFeedsBecomeLineEnds) {
    writeLog("first");
    writeLog("a\nb");
    EXPECT_EQ(readBytes(path_), "------------------" + EOL + "first" + EOL + "a" + EOL + "b" + EOL);

    // A later log file of the same process gets no separator.
    String second = path_ + ".2";
    std::remove(second.c_str());
    logPath = second;
    writeLog("other");
    EXPECT_EQ(readBytes(second), "other" + EOL);
    std::remove(second.c_str());
}

TEST_F(LogTest, TwoRunsAppendEachWithItsSeparator) {
    writeLog("run one");
    logHeaderWritten = false;  // what a new process starts with
    writeLog("run two", LOG_ERROR);
    EXPECT_EQ(readBytes(path_), "------------------" + EOL + "run one" + EOL + "------------------" + EOL +
                                    "ERROR: run two" + EOL);
}

TEST_F(LogTest, UnusableLogPathsAreHarmless) {
    tracePath = path_;
    logPath = String(::testing::TempDir()) + "mg_no_such_dir/sub/x.log";
    writeLog("lost");
    appendLog("lost too", 8);
    EXPECT_FALSE(logHeaderWritten);  // the separator waits for a file that opens
    EXPECT_EQ(readBytes(logPath), "");
    // Said once in the trace, not once per record.
    EXPECT_EQ(readBytes(path_), "Launcher: The log file " + logPath + " cannot be written; its records are lost." + String(EOL));
    tracePath.clear();
    std::remove(path_.c_str());

    logPath.clear();
    writeLog("nothing");
    EXPECT_EQ(readBytes(path_), "");
}

TEST_F(LogTest, TraceAppendsWithoutPrefixOrSeparator) {
    tracePath = path_;
    writeTrace("Launcher Started", true);
    writeTrace("part ", false);
    writeTrace("rest", true);
    EXPECT_EQ(readBytes(path_), "Launcher Started" + EOL + "part rest" + EOL);

    tracePath = String(::testing::TempDir()) + "mg_no_such_dir/t.txt";
    writeTrace("lost", true);  // must not throw or crash
}

}  // namespace

}  // namespace mg
