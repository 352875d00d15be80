#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/stable_sort.h"

namespace mg {

namespace {

// Items are a key and a tag; sorting by key alone must keep the tags of equal
// keys in their order, across runs of every length the merge passes meet.
TEST(StableSort, OrdersByKeyAndKeepsTiesInOrder) {
    struct Row {
        const char* items;   // key digit and tag letter, pairs
        const char* sorted;  // descending keys
    } rows[] = {
        {"", ""},
        {"1a", "1a"},
        {"1a2b", "2b1a"},
        {"2a1b", "2a1b"},
        {"1a1b1c", "1a1b1c"},
        {"1a3b2c3d1e", "3b3d2c1a1e"},
        {"5a4b3c2d1e0f9g", "9g5a4b3c2d1e0f"},
        {"1a2b1c2d1e2f1g2h1i", "2b2d2f2h1a1c1e1g1i"},
    };
    for (const Row& r : rows) {
        std::vector<std::string> items;
        for (const char* p = r.items; *p != '\0'; p += 2) items.push_back(std::string(p, 2));
        stableSort(items, [](const std::string& a, const std::string& b) { return a[0] > b[0]; });
        std::string joined;
        for (const std::string& item : items) joined += item;
        EXPECT_EQ(joined, r.sorted) << r.items;
    }
}

}  // namespace

}  // namespace mg
