// %MAXHEAP%(percent[,min-MB[,max-MB]]): the heap option -Xmx<N>m worked out
// from the machine's physical memory, held within the bounds given and within
// what a 32-bit JVM can reserve. It is a plain -Xmx, which every Java version
// reads (MaxRAMPercentage needs 8u191 or later and knows nothing of a 32-bit
// JVM's address space).
#pragma once

#include <cstdint>

#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

// What a 32-bit HotSpot JVM reserves as its heap on Windows, 64-bit Windows
// included (a 32-bit java.exe has 2 GB of address space there as well):
// Oracle's HotSpot FAQ gives 1.4 to 1.6 GB; this is below its low end.
constexpr std::uint32_t JVM32_MAX_HEAP_MB = 1400;
// The least the function gives, whatever the memory and percent.
constexpr std::uint32_t MIN_MAX_HEAP_MB = 16;

struct MaxHeapRequest {
    std::uint32_t percent = 0;
    std::uint32_t minimum = 0;  // 0: none given
    std::uint32_t maximum = 0;  // 0: none given
};

// Reads the function's arguments; on a fault gives the launch script
// error's message, else null.
const char* parseMaxHeap(const StringList& args, MaxHeapRequest& request);

// The heap in megabytes for memoryMb of physical memory; reason says how it
// was chosen (memory, percent, bounds, cap), for the log.
std::uint32_t chooseMaxHeap(const MaxHeapRequest& request, std::uint64_t memoryMb, bool jvm32Bit, String& reason);

// Whether the JVM file asks for a 32-bit JVM (JVM_PROPERTIES
// sun.arch.data.model=32, or os.arch x86 or i386): a JVM it verified is one.
bool requires32BitJvm(const TagFile& jvmFile);

}  // namespace mg
