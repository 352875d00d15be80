// Fuzz target: arbitrary bytes read as a tag file and run as an instructions
// program against operations that do nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "instructions/instructions.h"
#include "tests/support/null_commands.h"
#include "instructions/variables.h"
#include "text/tagfile.h"

using namespace mg;

namespace {

// Programs may loop for ever by design; a cancel after a fixed number of jumps
// ends each run, exactly as the user's cancel would.
class BoundedCommands : public NullCommands {
public:
    bool cancelRequested() override { return ++jumps_ > 2000; }

private:
    int jumps_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    if (!stream) return 0;

    TagFile program;
    bool parsed = true;
    try {
        program.parse(stream, "fuzz.txt", 0, -1);
    } catch (const LauncherException&) {
        parsed = false;
    }
    std::fclose(stream);
    if (!parsed) return 0;

    resetVariables();
    BoundedCommands operations;
    Instructions instructions(program, operations, operations);
    std::int32_t statements = static_cast<std::int32_t>(program.valueCount(INSTRUCTIONS_TAG));
    try {
        instructions.run();
    } catch (const InstructionsException& e) {
        // An error always names a statement of the program.
        if (e.line < 1 || e.line > statements) std::abort();
    } catch (const LauncherException&) {
    }
    return 0;
}
