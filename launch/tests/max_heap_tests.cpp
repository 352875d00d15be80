#include <gtest/gtest.h>

#include "launch/max_heap.h"

namespace mg {

namespace {

TEST(MaxHeap, ArgumentsAndTheirFaults) {
    const char* const count = "MAXHEAP function takes 1 to 3 arguments.";
    const char* const percent = "MAXHEAP function: the percent must be a number from 1 to 100.";
    const char* const bound = "MAXHEAP function: the minimum and maximum must be numbers of megabytes.";
    const char* const order = "MAXHEAP function: the minimum is larger than the maximum.";
    struct Row {
        StringList args;
        const char* error;
        std::uint32_t percent, minimum, maximum;
    } rows[] = {
        {{"25"}, nullptr, 25, 0, 0},
        {{" 25 ", "256", "1024"}, nullptr, 25, 256, 1024},
        {{"100", "512"}, nullptr, 100, 512, 0},
        {{"1", "64", "64"}, nullptr, 1, 64, 64},
        {{}, count},
        {{"25", "1", "2", "3"}, count},
        {{"0"}, percent},
        {{"101"}, percent},
        {{"25%"}, percent},
        {{"-5"}, percent},
        {{""}, percent},
        {{"25", "1g"}, bound},
        {{"25", "0"}, bound},
        {{"25", "256", "x"}, bound},
        {{"25", "256", "512m"}, bound},
        {{"25", "1234567890"}, bound},
        {{"25", "2048", "1024"}, order},
    };
    for (const Row& r : rows) {
        MaxHeapRequest request;
        const String shown = r.args.empty() ? String("()") : r.args.back();
        const char* error = parseMaxHeap(r.args, request);
        EXPECT_STREQ(error, r.error) << shown;
        if (r.error != nullptr) continue;
        EXPECT_EQ(request.percent, r.percent) << shown;
        EXPECT_EQ(request.minimum, r.minimum) << shown;
        EXPECT_EQ(request.maximum, r.maximum) << shown;
    }
}

TEST(MaxHeap, BoundsAndTheThirtyTwoBitCap) {
    struct Row {
        std::uint32_t percent, minimum, maximum;
        std::uint64_t memory;
        bool jvm32;
        std::uint32_t heap;
        const char* reason;
    } rows[] = {
        {25, 0, 0, 16384, false, 4096, "physical memory 16384 MB, 25% is 4096 MB"},
        {25, 0, 0, 4095, false, 1023, "physical memory 4095 MB, 25% is 1023 MB"},
        {25, 2048, 0, 4096, false, 2048, "physical memory 4096 MB, 25% is 1024 MB, raised to the minimum 2048 MB"},
        {50, 0, 1024, 32768, false, 1024, "physical memory 32768 MB, 50% is 16384 MB, cut to the maximum 1024 MB"},
        {50, 256, 1024, 1024, false, 512, "physical memory 1024 MB, 50% is 512 MB"},
        {50, 512, 512, 65536, false, 512, "physical memory 65536 MB, 50% is 32768 MB, cut to the maximum 512 MB"},
        {25, 0, 0, 32768, true, 1400, "physical memory 32768 MB, 25% is 8192 MB, cut to 1400 MB for a 32-bit JVM"},
        {25, 0, 0, 4096, true, 1024, "physical memory 4096 MB, 25% is 1024 MB"},
        // The cap wins over a minimum that a 32-bit JVM cannot reserve.
        {10, 2048, 0, 8192, true, 1400,
         "physical memory 8192 MB, 10% is 819 MB, raised to the minimum 2048 MB, cut to 1400 MB for a 32-bit JVM"},
        {100, 0, 0, 1400, true, 1400, "physical memory 1400 MB, 100% is 1400 MB"},
        {1, 0, 0, 512, false, 16, "physical memory 512 MB, 1% is 5 MB, raised to the least heap given, 16 MB"},
        {25, 0, 0, 0, false, 16, "physical memory 0 MB, 25% is 0 MB, raised to the least heap given, 16 MB"},
    };
    for (const Row& r : rows) {
        String reason;
        MaxHeapRequest request{r.percent, r.minimum, r.maximum};
        EXPECT_EQ(chooseMaxHeap(request, r.memory, r.jvm32, reason), r.heap) << r.reason;
        EXPECT_EQ(reason, r.reason);
    }
}

TEST(MaxHeap, ThirtyTwoBitJvmFromItsRequiredProperties) {
    struct Row {
        StringList properties;
        bool jvm32;
    } rows[] = {
        {{}, false},
        {{"sun.arch.data.model=32"}, true},
        {{"java.version>=1.8", " sun.arch.data.model = 32 "}, true},
        {{"sun.arch.data.model=64"}, false},
        {{"os.arch=x86"}, true},
        {{"os.arch=i386"}, true},
        {{"os.arch=amd64"}, false},
        {{"sun.arch.data.model>=32"}, false},
        {{"sun.arch.data.model"}, false},
    };
    for (const Row& r : rows) {
        TagFile jvm;
        for (const String& p : r.properties) jvm.addValue("JVM_PROPERTIES", p);
        EXPECT_EQ(requires32BitJvm(jvm), r.jvm32) << (r.properties.empty() ? String() : r.properties.back());
    }
}

}  // namespace

}  // namespace mg
