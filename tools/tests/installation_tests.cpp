#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tools/installation.h"

namespace mg {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
const std::string SEP = "\\";
#else
const std::string SEP = "/";
#endif

TEST(Installation, ShareDirBesideTheBinFolder) {
    struct Row { const char* executable; const char* prefix; } rows[] = {
        {"/usr/bin/mgpack", "/usr"},
        {"/opt/marrowgate-1.56/bin/mgpack", "/opt/marrowgate-1.56"},
        {"C:\\Tools\\marrowgate-1.56\\bin\\mgpack.exe", "C:\\Tools\\marrowgate-1.56"},
        {"kit/bin/mgpack", "kit"},
        {"bin/mgpack", "."},
        {"/bin/mgpack", nullptr},
        {"/mgpack", nullptr},
        {"mgpack", nullptr},
    };
    for (const auto& r : rows) {
        const std::string want = r.prefix ? std::string(r.prefix) + SEP + "share" + SEP + "marrowgate" : "";
        EXPECT_EQ(installedShareDir(r.executable), want) << r.executable;
    }
}

class InstalledFiles : public ::testing::Test {
protected:
    const std::string share = "installation_test" + SEP + "share" + SEP + "marrowgate";
    void SetUp() override {
        fs::remove_all("installation_test");
        fs::create_directories("installation_test/share/marrowgate/jvmfiles");
        for (const char* name : {"mglauncher.exe", "mglauncher-console.exe", "verify.jar", "jvmfiles/java17.jvm"})
            std::ofstream(std::string("installation_test/share/marrowgate/") + name) << name;
        std::ofstream("installation_test/own.jvm") << "own";
        std::ofstream("installation_test_here.jvm") << "here";
    }
    void TearDown() override { fs::remove("installation_test_here.jvm"); }
    std::string installed(const std::string& name) const { return share + SEP + name; }
    std::function<String()> shareDir() const {
        return [this] { return String(share); };
    }
};

PackRequest requestOf(const std::vector<std::string>& args) {
    std::vector<std::string> all{"-o", "out.exe"};
    all.insert(all.end(), args.begin(), args.end());
    return parseBuildArguments(all);
}

TEST_F(InstalledFiles, WhatTheCommandLineLeavesToTheInstallation) {
    struct Row { std::vector<std::string> args; std::string stub; std::string file; } rows[] = {
        {{}, installed("mglauncher.exe"), ""},
        {{"--stub", "console"}, installed("mglauncher-console.exe"), ""},
        {{"--file", "jvm-file", "java17.jvm"}, installed("mglauncher.exe"), installed("jvmfiles" + SEP + "java17.jvm")},
        {{"--file", "1", "java17.jvm"}, installed("mglauncher.exe"), installed("jvmfiles" + SEP + "java17.jvm")},
        {{"--file", "verify-archive", "default"}, installed("mglauncher.exe"), installed("verify.jar")},
        // Existing files, and what is no bare name, stay as given.
        {{"--stub", "s.exe", "--file", "jvm-file", "installation_test_here.jvm"}, "s.exe", "installation_test_here.jvm"},
        {{"--stub", "s.exe", "--file", "jvm-file", "installation_test/own.jvm"}, "s.exe", "installation_test/own.jvm"},
        {{"--stub", "s.exe", "--file", "jvm-file", "sub/java17.jvm"}, "s.exe", "sub/java17.jvm"},
        {{"--stub", "s.exe", "--file", "verify-archive", "verify.jar"}, "s.exe", "verify.jar"},
        {{"--stub", "s.exe", "--file", "classpath-archive", "java17.jvm"}, "s.exe", "java17.jvm"},
        {{"--stub", "s.exe", "--file", "classpath-archive", "default"}, "s.exe", "default"},
    };
    for (const auto& r : rows) {
        PackRequest request = requestOf(r.args);
        useInstalledFiles(request, shareDir());
        EXPECT_EQ(request.stub, r.stub) << r.args.size();
        if (!r.file.empty()) {
            ASSERT_EQ(request.files.size(), 1u);
            EXPECT_EQ(request.files[0].path, r.file) << r.file;
        }
    }
}

TEST_F(InstalledFiles, ExplicitPathsNeverAskForTheInstallation) {
    PackRequest request = requestOf({"--stub", "s.exe", "--file", "jvm-file", "a/b.jvm", "--file", "5", "v.jar"});
    useInstalledFiles(request, []() -> String { throw PackError{"asked"}; });
    EXPECT_EQ(request.stub, "s.exe");
}

TEST_F(InstalledFiles, SaysWhereItLooked) {
    fs::remove("installation_test/share/marrowgate/mglauncher.exe");
    struct Row { std::vector<std::string> args; std::string message; } rows[] = {
        {{}, "no --stub given: mgpack's installation has no " + installed("mglauncher.exe")},
        {{"--stub", "console", "--file", "jvm-file", "java99.jvm"},
         "--file jvm-file java99.jvm: mgpack's installation has no " + installed("jvmfiles" + SEP + "java99.jvm")},
    };
    for (const auto& r : rows) {
        PackRequest request = requestOf(r.args);
        try {
            useInstalledFiles(request, shareDir());
            ADD_FAILURE() << "no error for " << r.message;
        } catch (const PackError& e) {
            EXPECT_EQ(e.message, r.message);
        }
    }
    PackRequest request = requestOf({});
    try {
        useInstalledFiles(request, [] { return String(); });
        ADD_FAILURE() << "no error without a share folder";
    } catch (const PackError& e) {
        EXPECT_EQ(e.message, "no --stub given: mgpack's folder has no folder above it to hold share" + SEP + "marrowgate");
    }
}

}  // namespace

}  // namespace mg
