#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "payload/index_format.h"
#include "tools/pack.h"

namespace mg {

namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string buildError(const std::vector<std::string>& args) {
    try {
        buildLauncher(parseBuildArguments(args));
    } catch (const PackError& e) {
        return e.message;
    }
    return "(built)";
}

class PackTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories("pack_test");
        writeFile("pack_test/stub.exe", "MZ stub image");
        writeFile("pack_test/instructions.txt", "INSTRUCTIONS:\nLAUNCH\n/:\n");
        writeFile("pack_test/app.jar", "PK app");
        fs::remove("pack_test/out.exe");
    }
};

TEST_F(PackTest, ArgumentErrors) {
    struct Row { std::vector<std::string> args; const char* message; } rows[] = {
        {{}, "-o is required"},
        {{"--stub", "pack_test/stub.exe"}, "-o is required"},
        {{"--stub"}, "--stub needs a value"},
        {{"--stub", "s", "-o", "o", "--file", "jar", "x"}, nullptr},
        {{"--stub", "s", "-o", "o", "--file", "8", "x"}, nullptr},
        {{"--stub", "s", "-o", "o", "--file", "instructions"}, "--file needs a value"},
        {{"--stub", "s", "-o", "o", "--id", "1"}, "--id must follow a --file"},
        {{"--stub", "s", "-o", "o", "--file", "0", "x", "--id", "1x"}, "invalid id '1x' (a 32-bit signed decimal number)"},
        {{"--stub", "s", "-o", "o", "--file", "0", "x", "--id", "2147483648"}, "invalid id '2147483648' (a 32-bit signed decimal number)"},
        {{"--stub", "s", "-o", "o", "--file", "0", "x", "--id", "1", "--id", "2"}, "--id given twice for x"},
        {{"--stub", "s", "-o", "o", "--bogus"}, "unknown argument '--bogus' (see mgpack --help)"},
    };
    for (const auto& r : rows) {
        std::string message = "(parsed)";
        try {
            parseBuildArguments(r.args);
        } catch (const PackError& e) {
            message = e.message;
        }
        if (r.message)
            EXPECT_EQ(message, r.message);
        else
            EXPECT_EQ(message.rfind("unknown file type", 0), 0u) << message;
    }
    PackRequest ok = parseBuildArguments({"--stub", "s", "-o", "o", "--file", "jvm-file", "a/b.jvm", "--id", "-7",
                                          "--name", "c.jvm", "--file", "6", "d.jar"});
    ASSERT_EQ(ok.files.size(), 2u);
    EXPECT_EQ(ok.files[0].type, 1);
    EXPECT_EQ(ok.files[0].id, -7);
    EXPECT_EQ(ok.files[0].name, "c.jvm");
    EXPECT_FALSE(ok.files[1].idGiven);
}

TEST(PackNames, EntryNameRules) {
    struct Row { std::string name; const char* problem; } rows[] = {
        {"setup.jar", ""},
        {"my app..jar", ""},
        {".hidden", ""},
        {std::string(65535, 'n'), ""},
        {std::string(65536, 'n'), "is 65,536 bytes or longer"},
        {"a\nb", "holds a line feed"},
        {"dir/a.jar", "holds a path separator"},
        {"..\\a.jar", "holds a path separator"},
        {"C:a.jar", "holds a drive or stream colon"},
        {"a.jar:stream", "holds a drive or stream colon"},
        {"..", "names no file"},
        {".", "names no file"},
        {"", "names no file"},
        {". .", "names no file"},
        {"NUL", "is a device's name (CON, NUL, COM1, ...)"},
        {"com1.jar", "is a device's name (CON, NUL, COM1, ...)"},
        {"a\tb.jar", "holds a control character or one of < > \" | ? *"},
        {"what?.jar", "holds a control character or one of < > \" | ? *"},
        {"a\"b.jar", "holds a control character or one of < > \" | ? *"},
    };
    for (const auto& r : rows) EXPECT_EQ(entryNameProblem(r.name), r.problem) << r.name.substr(0, 20);
}

TEST_F(PackTest, BuildWritesBytesIndexAndTrailer) {
    auto entries = buildLauncher(parseBuildArguments(
        {"--stub", "pack_test/stub.exe", "-o", "pack_test/out.exe", "--file", "instructions", "pack_test/instructions.txt",
         "--file", "application-archive", "pack_test/app.jar", "--id", "40", "--name", "setup.jar"}));
    std::string image = readFile("pack_test/out.exe");
    std::string stub = readFile("pack_test/stub.exe");
    std::string instr = readFile("pack_test/instructions.txt");
    std::string jar = readFile("pack_test/app.jar");
    ASSERT_EQ(image.substr(0, stub.size() + instr.size() + jar.size()), stub + instr + jar);

    bool hasIndex = false;
    auto back = readLauncherIndex("pack_test/out.exe", hasIndex);
    ASSERT_TRUE(hasIndex);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(std::string(entryLogRecord(*back[0])), "file type: 0\n  file id: 0\n  length: 24\n  offset: 13\n  file name: instructions.txt");
    EXPECT_EQ(std::string(entryLogRecord(*back[1])), "file type: 6\n  file id: 40\n  length: 6\n  offset: 37\n  file name: setup.jar");
    EXPECT_FALSE(fs::exists("pack_test/out.exe.mgpack-tmp"));

    // Building over an existing output replaces it.
    buildLauncher(parseBuildArguments({"--stub", "pack_test/stub.exe", "-o", "pack_test/out.exe"}));
    back = readLauncherIndex("pack_test/out.exe", hasIndex);
    EXPECT_TRUE(hasIndex);
    EXPECT_TRUE(back.empty());
}

// The packed instructions as the launcher reads them.
std::string packedInstructions() {
    bool hasIndex = false;
    auto back = readLauncherIndex("pack_test/out.exe", hasIndex);
    std::string image = readFile("pack_test/out.exe");
    return image.substr(static_cast<std::size_t>(back[0]->offset), static_cast<std::size_t>(back[0]->length));
}

TEST_F(PackTest, CacheFolderGetsThePayloadsVersions) {
    const std::vector<std::string> args = {"--stub", "pack_test/stub.exe", "-o", "pack_test/out.exe", "--file",
                                           "instructions", "pack_test/instructions.txt", "--file",
                                           "application-archive", "pack_test/app.jar", "--file", "jvm-installer",
                                           "pack_test/setup.exe"};
    writeFile("pack_test/setup.exe", "MZ setup");
    // Without CACHE_FOLDER the file goes in as it is.
    buildLauncher(parseBuildArguments(args));
    EXPECT_EQ(packedInstructions(), readFile("pack_test/instructions.txt"));

    // With it, versions are written in; versions it carried (a launcher
    // unpacked and packed again) are replaced.
    writeFile("pack_test/instructions.txt",
              "CACHE_FOLDER: Vendor\\App\nPAYLOAD_VERSION: 0000000000000000\nINSTRUCTIONS:\nLAUNCH\n/:");
    buildLauncher(parseBuildArguments(args));
    const std::string first = packedInstructions();
    EXPECT_EQ(first.find("PAYLOAD_VERSION: 0000000000000000"), std::string::npos) << first;
    const std::string head = "CACHE_FOLDER: Vendor\\App\nINSTRUCTIONS:\nLAUNCH\n/:\n";
    ASSERT_EQ(first.substr(0, head.size()), head);
    const std::string versions = first.substr(head.size());
    ASSERT_EQ(versions.size(), 2 * (std::string(": ").size() + 16 + 1) + 15 + 17) << versions;

    // Another archive changes the payload's version, not the installer's.
    writeFile("pack_test/app.jar", "PK app 2");
    buildLauncher(parseBuildArguments(args));
    const std::string second = packedInstructions().substr(head.size());
    EXPECT_NE(second.substr(0, 34), versions.substr(0, 34));
    EXPECT_EQ(second.substr(34), versions.substr(34));
}

TEST_F(PackTest, Refusals) {
    buildLauncher(parseBuildArguments({"--stub", "pack_test/stub.exe", "-o", "pack_test/packed.exe"}));
    writeFile("pack_test/out.exe", "previous");
    const std::string base[] = {"-o", "pack_test/out.exe"};
    struct Row { std::vector<std::string> args; std::string message; } rows[] = {
        {{"--stub", "pack_test/none.exe"}, "cannot read pack_test/none.exe: no such file"},
        {{"--stub", "pack_test"}, "cannot read pack_test: no such file"},
        {{"--stub", "pack_test/stub.exe", "--file", "0", "pack_test/missing.txt"},
         "cannot read pack_test/missing.txt: no such file"},
        {{"--stub", "pack_test/packed.exe"},
         "pack_test/packed.exe already carries a file index (use a plain launcher as the stub)"},
        {{"--stub", "pack_test/stub.exe", "--file", "6", "pack_test/app.jar", "--name", "../evil.jar"},
         "the entry name of pack_test/app.jar holds a path separator"},
        {{"--stub", "pack_test/stub.exe", "--file", "6", "pack_test/app.jar", "--name", ".."},
         "the entry name of pack_test/app.jar names no file"},
        {{"--stub", "pack_test/stub.exe", "--file", "6", "pack_test/app.jar", "--name", "line\nfeed"},
         "the entry name of pack_test/app.jar holds a line feed"},
        {{"--stub", "pack_test/stub.exe", "--file", "6", "pack_test/app.jar", "--name", std::string(70000, 'x')},
         "the entry name of pack_test/app.jar is 65,536 bytes or longer"},
    };
    for (auto r : rows) {
        r.args.insert(r.args.end(), std::begin(base), std::end(base));
        EXPECT_EQ(buildError(r.args), r.message);
        // A refused build leaves the earlier output as it was, and no temporary file.
        EXPECT_EQ(readFile("pack_test/out.exe"), "previous");
        EXPECT_FALSE(fs::exists("pack_test/out.exe.mgpack-tmp"));
    }
}

#ifndef _WIN32
// Sparse files give the sizes without the disk space.
TEST_F(PackTest, RefusesTwoGigabytesOrMore) {
    {
        std::ofstream("pack_test/big.bin");
    }
    fs::resize_file("pack_test/big.bin", 0x7FFFFFFFLL - 13 - 8 - 4 - 15 - 7 - 6);
    // Exactly 2^31 - 1 bytes fits; one more byte does not.
    std::vector<std::string> args = {"--stub", "pack_test/stub.exe", "-o", "pack_test/out.exe",
                                     "--file", "6", "pack_test/big.bin", "--file", "6", "pack_test/app.jar"};
    writeFile("pack_test/app.jar", "PK app!");
    EXPECT_EQ(buildError(args), "the launcher would be 2 GB or larger");
    EXPECT_FALSE(fs::exists("pack_test/out.exe"));
    fs::remove("pack_test/big.bin");
}
#endif

}  // namespace

}  // namespace mg
