// Fuzz target: evaluation of one argument text. The first three lines of the
// input become S1 to S3, the rest is the text, evaluated every way a command
// can evaluate an argument.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "instructions/expressions.h"
#include "instructions/instructions.h"
#include "instructions/variables.h"

using namespace mg;

namespace {

class Raiser : public ErrorRaiser {
public:
    [[noreturn]] void raiseError(const String& message) const override { throw InstructionsException{message, 1}; }
};

template <class F> void evaluate(F f) {
    try {
        f();
    } catch (const InstructionsException&) {
    } catch (const LauncherException&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    String input(reinterpret_cast<const char*>(data), size);
    resetVariables();
    setNumericVariable(1, 1);
    setNumericVariable(2, -70000);
    std::size_t start = 0;
    for (std::int32_t n = 1; n <= 3; ++n) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) break;
        setStringVariable(n, input.substr(start, end - start));
        start = end + 1;
    }
    const String text = input.substr(start);
    const Raiser raiser;

    evaluate([&] {
        String expanded(text);
        expandReferences(expanded, "", raiser);
        // Without at-signs there is nothing to expand.
        if (text.find('@') == std::string::npos && expanded != text) std::abort();
        if (expanded.size() > MAX_EXPANDED_LENGTH && expanded.size() > text.size()) std::abort();
    });
    evaluate([&] { evalNumber(text, "", raiser); });
    evaluate([&] { evalShort(text, "", raiser); });
    evaluate([&] { evalBoolean(text, "", raiser); });
    evaluate([&] { evalString(text, "", raiser); });
    evaluate([&] {
        std::size_t pos = 0;
        readStringArgument(text, pos, "", raiser);
        if (pos > text.size()) std::abort();
    });
    return 0;
}
