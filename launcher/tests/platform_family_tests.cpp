#include <gtest/gtest.h>

#include "launcher/platform_family.h"

namespace mg {

namespace {

const PlatformReport missing{}, nt{true, 2}, win9x{true, 1};

TEST(PlatformFamily, TheKernelDecidesWhereItAnswers) {
    struct Row { const char* system; PlatformReport kernel, win32; bool is9x; } rows[] = {
        {"Windows 95/98/Me", missing, win9x, true},
        {"NT 4", missing, nt, false},
        {"neither query answers", missing, missing, false},
        {"NT in a 9x compatibility mode", nt, win9x, false},
        {"NT", nt, nt, false},
        {"NT, GetVersionExA failing", nt, missing, false},
        {"a kernel that says 9x (Wine as Windows 98)", win9x, win9x, true},
    };
    for (const Row& r : rows) EXPECT_EQ(isWindows9xFamily(r.kernel, r.win32), r.is9x) << r.system;
}

}  // namespace

}  // namespace mg
