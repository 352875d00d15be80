#include "launch/max_heap.h"

#include "jvm/jvm_file.h"
#include "text/text.h"

namespace mg {

namespace {

// Up to 9 digits, nothing else: a megabyte count or a percent.
bool readCount(String text, std::uint32_t& value) {
    trim(text);
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return true;
}

// ", <what> <value> MB" onto the reason; appended piece by piece, which
// costs the launcher less code than a chain of temporaries.
void note(String& reason, const char* what, std::uint64_t value, const char* after = " MB") {
    reason += what;
    reason += toDecimal(static_cast<std::int32_t>(value > 0x7fffffffu ? 0x7fffffffu : value));
    reason += after;
}

}  // namespace

const char* parseMaxHeap(const StringList& args, MaxHeapRequest& request) {
    if (args.empty() || args.size() > 3) return "MAXHEAP function takes 1 to 3 arguments.";
    if (!readCount(args[0], request.percent) || request.percent < 1 || request.percent > 100)
        return "MAXHEAP function: the percent must be a number from 1 to 100.";
    request.minimum = request.maximum = 0;
    if ((args.size() > 1 && (!readCount(args[1], request.minimum) || request.minimum == 0)) ||
        (args.size() > 2 && (!readCount(args[2], request.maximum) || request.maximum == 0)))
        return "MAXHEAP function: the minimum and maximum must be numbers of megabytes.";
    if (request.maximum != 0 && request.minimum > request.maximum)
        return "MAXHEAP function: the minimum is larger than the maximum.";
    return nullptr;
}

std::uint32_t chooseMaxHeap(const MaxHeapRequest& request, std::uint64_t memoryMb, bool jvm32Bit, String& reason) {
    std::uint64_t heap = memoryMb * request.percent / 100;
    reason.clear();
    note(reason, "physical memory ", memoryMb);
    note(reason, ", ", request.percent, "%");
    note(reason, " is ", heap);
    if (request.minimum != 0 && heap < request.minimum) {
        heap = request.minimum;
        note(reason, ", raised to the minimum ", heap);
    }
    if (request.maximum != 0 && heap > request.maximum) {
        heap = request.maximum;
        note(reason, ", cut to the maximum ", heap);
    }
    // The cap wins over a minimum: a 32-bit JVM asked for more does not start.
    if (jvm32Bit && heap > JVM32_MAX_HEAP_MB) {
        heap = JVM32_MAX_HEAP_MB;
        note(reason, ", cut to ", heap, " MB for a 32-bit JVM");
    }
    if (heap < MIN_MAX_HEAP_MB) {
        heap = MIN_MAX_HEAP_MB;
        note(reason, ", raised to the least heap given, ", heap);
    }
    return static_cast<std::uint32_t>(heap);
}

bool requires32BitJvm(const TagFile& jvmFile) {
    const std::size_t count = jvmFile.valueCount("JVM_PROPERTIES");
    for (std::size_t i = 0; i < count; ++i) {
        RequiredProperty property;
        if (!parseRequiredProperty(jvmFile.getValue("JVM_PROPERTIES", i), property) ||
            property.comparison != PropertyComparison::Text)
            continue;
        const String& value = property.expected;
        if (property.name == "sun.arch.data.model" ? value == "32"
                                                   : property.name == "os.arch" && (value == "x86" || value == "i386"))
            return true;
    }
    return false;
}

}  // namespace mg
