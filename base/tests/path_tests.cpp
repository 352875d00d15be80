// Splitting a path at its last separator, either kind.
#include "base/path.h"

#include <gtest/gtest.h>

namespace mg {

namespace {

TEST(PathParts, SplitAtTheLastSeparatorOfEitherKind) {
    struct Row { const char* path; const char* directory; const char* last; } rows[] = {
        {"C:\\apps\\demo.exe", "C:\\apps", "demo.exe"},
        {"a/b\\c.jar", "a/b", "c.jar"},
        {"a\\b/c.jar", "a\\b", "c.jar"},
        {"plain", "", "plain"},
        {"\\top", "", "top"},
        {"dir\\", "dir", ""},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(directoryPart(r.path), r.directory) << r.path;
        EXPECT_EQ(lastComponent(r.path), r.last) << r.path;
    }
}

}  // namespace

}  // namespace mg
