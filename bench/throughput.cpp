// Benchmark (not a test): how fast the portable engines run natively, so a
// regression in the interpreter or the launch-script expansion shows as a
// figure. Prints statements per second of an instructions program and
// command builds / expansions per second of a typical launch script.
//
// Usage: mg_bench_throughput [SECONDS_PER_FIGURE]   (default 2)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "instructions/instructions.h"
#include "tests/support/null_operations.h"
#include "instructions/variables.h"
#include "jvm/jvm_file.h"
#include "launch/launch_script.h"
#include "tests/support/fake_launch_environment.h"
#include "base/settings.h"
#include "text/tagfile.h"

using namespace mg;

namespace {

using Clock = std::chrono::steady_clock;

TagFile parseText(const char* text) {
    String copy(text);
    std::FILE* stream = fmemopen(const_cast<char*>(copy.data()), copy.size(), "rb");
    if (!stream) std::abort();
    TagFile tags;
    tags.parse(stream, "bench.txt", 0, -1);
    std::fclose(stream);
    return tags;
}

// Runs work until `seconds` have passed; returns units of work per second
// (work returns how many units one call did).
double rate(double seconds, const std::function<long()>& work) {
    long units = 0;
    const Clock::time_point start = Clock::now();
    double elapsed = 0;
    do {
        units += work();
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return units / elapsed;
}

// A loop of five statements: assignments with references, a comment and the
// jump back; the cancel check after each jump ends a run after `jumps`.
const char* const kProgram =
    "INSTRUCTIONS:\n"
    "  SET S1 = \"C:\\Program Files\\Vendor\\app\"\n"
    "  :LOOP\n"
    "  SET S2 = \"@S1@\\lib\\app.jar\"\n"
    "  SET N2 = @N1@\n"
    "  // a comment\n"
    "  JMP0 @N1@ LOOP\n"
    "/:\n";
const long kStatementsPerJump = 4;

class CountedCancel : public NullOperations {
public:
    explicit CountedCancel(long jumps) : left_(jumps) {}
    bool cancelRequested() override { return --left_ < 0; }

private:
    long left_;
};

const char* const kScript =
    "COMMAND: @JVM_HOME@\\@JVM_EXE@ %RUNTIME_JAVAARGS%() %CP%(\"lib\\extra.jar\") "
    "%SYSTEMPROP%(\"app.home\",\"\"\"%LAUNCHER_DIR%()\"\"\") %RUNTIME_SYSTEMPROP%() "
    "%IF_EXISTS%(\"JVM_OPTIONS\",\"@JVM_OPTIONS@\") demo.Main\n"
    "ARCHIVE: \"\"\"%APPLICATION_ARCHIVE%()\"\"\"\n";

const char* const kJvm =
    "JVM_HOME: C:\\Program Files\\Java\\jdk-17\n"
    "JVM_EXE: bin\\java.exe\n"
    "JVM_OPTIONS: -Xmx512m\n"
    "SYSTEM: -D\n"
    "SYSTEM_SEPARATOR: =\n"
    "CLASSPATH: \"-classpath \"\n"
    "CLASSPATH_SEPARATOR: ;\n";

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    if (!(seconds > 0)) {
        std::fprintf(stderr, "usage: %s [SECONDS_PER_FIGURE]\n", argv[0]);
        return 2;
    }
    launcherPath = "C:\\apps\\demo.exe";
    originalLauncherPath = launcherPath;

    TagFile program = parseText(kProgram);
    const long jumps = 10000;
    double statements = rate(seconds, [&] {
        resetVariables();
        CountedCancel operations(jumps);
        Instructions instructions(program, operations);
        instructions.run();
        return 1 + jumps * kStatementsPerJump;
    });

    TagFile scriptTags = parseText(kScript);
    TagFile jvmTags = parseText(kJvm);
    FakeLaunchEnvironment environment;
    environment.files["C:\\apps\\demo.sp"] = "-Dfrom.side.file=1\n";
    environment.files["C:\\apps\\demo.ja"] = "-Xss1m\n";
    environment.embeddedApplicationArchive = "C:\\TEMP\\app1\\app.jar";
    JvmFile jvm(jvmTags);
    LaunchScript script(scriptTags, false, &environment);
    const StringList extra = {"first", "two words", "back\\slash"};
    double commands = rate(seconds, [&] {
        String command = script.buildCommand(jvm, extra);
        return command.empty() ? 0L : 1L;
    });
    const String text = "@JVM_HOME@\\@JVM_EXE@ -cp @JVM_HOME@\\lib @JVM_OPTIONS@ @MISSING@";
    double expansions = rate(seconds, [&] {
        String expanded = jvm.expandAll(text, '@');
        return expanded.empty() ? 0L : 1L;
    });

    std::printf("instructions:   %.0f statements per second\n", statements);
    std::printf("launch script:  %.0f command builds per second\n", commands);
    std::printf("JVM-file text:  %.0f expansions per second (5 references each)\n", expansions);
    return 0;
}
