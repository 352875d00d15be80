// Fuzz target: launch-script command building against a fake environment.
// The input is split at lines "----" into sections: the launch script (a tag
// file; when it does not parse, its text is a bare command), the JVM file
// (a tag file), the ".sp", ".ja" and ".cp" side files, environment
// variables (NAME=VALUE lines) and pass-through arguments (one per line).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "jvm/jvm_file.h"
#include "launch/launch_script.h"
#include "tests/support/fake_launch_environment.h"
#include "base/settings.h"
#include "text/tagfile.h"

using namespace mg;

namespace {

StringList splitSections(const String& input) {
    StringList sections;
    std::size_t start = 0;
    for (;;) {
        std::size_t mark = input.find("\n----\n", start);
        if (mark == String::npos) break;
        sections.push_back(input.substr(start, mark - start));
        start = mark + 6;
    }
    sections.push_back(input.substr(start));
    while (sections.size() < 7) sections.emplace_back();
    return sections;
}

StringList splitLines(const String& text) {
    StringList lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == String::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool parseTags(const String& text, TagFile& out) {
    if (text.empty()) return true;
    std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    if (!stream) return false;
    bool parsed = true;
    try {
        out.parse(stream, "fuzz.txt", 0, -1);
    } catch (const LauncherException&) {
        parsed = false;
    }
    std::fclose(stream);
    return parsed;
}

// What the Microsoft C runtime's splitter makes of one quoted argument as
// quoteArgument writes it (a blank, then the argument in quotes): the text
// the child gets back.
String unquoteLikeArgv(const String& quoted) {
    String out;
    std::size_t pos = 2;  // past the blank and the opening quote
    for (;;) {
        std::size_t backslashes = 0;
        while (pos < quoted.size() && quoted[pos] == '\\') {
            ++backslashes;
            ++pos;
        }
        if (pos < quoted.size() && quoted[pos] == '"') {
            out.append(backslashes / 2, '\\');
            if (backslashes % 2 == 0) {
                // The closing quote; it must be the last character.
                if (pos + 1 != quoted.size()) std::abort();
                return out;
            }
            out += '"';
            ++pos;
            continue;
        }
        out.append(backslashes, '\\');
        if (pos >= quoted.size()) std::abort();  // no closing quote
        out += quoted[pos++];
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const StringList sections = splitSections(String(reinterpret_cast<const char*>(data), size));

    launcherPath = "C:\\apps\\demo.exe";
    originalLauncherPath = "C:\\apps\\demo.exe";
    logPath.clear();

    FakeLaunchEnvironment environment;
    environment.files["C:\\apps\\demo.sp"] = sections[2];
    environment.files["C:\\apps\\demo.ja"] = sections[3];
    environment.files["C:\\apps\\demo.cp"] = sections[4];
    environment.files["C:\\apps\\demo.cp1"] = "C:\\lib\\first.jar";
    environment.classpathArchives = {"C:\\TEMP\\cp1\\a.jar", "C:\\TEMP\\cp1\\b.jar"};
    environment.embeddedApplicationArchive = "C:\\TEMP\\app1\\app.jar";
    for (const String& line : splitLines(sections[5])) {
        std::size_t eq = line.find('=');
        if (eq != String::npos) environment.variables[line.substr(0, eq)] = line.substr(eq + 1);
    }
    const StringList extra = splitLines(sections[6]);

    TagFile jvmTags;
    if (!parseTags(sections[1], jvmTags)) jvmTags = TagFile();
    JvmFile jvm(jvmTags);

    TagFile scriptTags;
    std::unique_ptr<LaunchScript> script;
    if (parseTags(sections[0], scriptTags))
        script = std::make_unique<LaunchScript>(scriptTags, true, &environment);
    else
        script = std::make_unique<LaunchScript>(sections[0], true, true, &environment);

    // The whole build, with the pass-through arguments, and the start of the
    // child it ends in.
    try {
        script->execute(jvm, &extra, false);
        if (environment.runs.size() != 1) std::abort();
    } catch (const LauncherException&) {
    }
    // The JVM file's own references on their own, as JVM files use them, and
    // a delimiter the launch script leaves alone.
    try {
        (void)jvm.expandAll(sections[0], '@');
        if (script->expandAll(sections[0], '$') != script->expandAll(sections[0], '$')) std::abort();
    } catch (const LauncherException&) {
    }

    // A pass-through argument reaches the child exactly as given.
    for (const String& argument : extra) {
        if (argument.find('\0') != String::npos) continue;
        if (unquoteLikeArgv(LaunchScript::quoteArgument(argument)) != argument) std::abort();
    }
    return 0;
}
