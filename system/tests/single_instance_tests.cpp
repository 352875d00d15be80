#include <gtest/gtest.h>

#include "system/single_instance.h"

namespace mg {

namespace {

TEST(SingleInstance, NamesThatBecomeObjectNames) {
    struct Row {
        const char* name;
        bool valid;
    } rows[] = {
        {"Editor", true},
        {"com.example.editor-2_0", true},
        {"0123456789012345678901234567890123456789012345678901234567890123", true},  // 64
        {"01234567890123456789012345678901234567890123456789012345678901234", false},
        {"", false},
        {"my editor", false},
        {"a\\b", false},
        {"Local\\x", false},
        {"a/b", false},
        {"\xe9t\xe9", false},
    };
    for (const Row& r : rows) EXPECT_EQ(validInstanceName(r.name), r.valid) << r.name;
}

TEST(SingleInstance, ObjectNamePerUserSessionAndDesktop) {
    struct Row {
        const char* user;
        unsigned long session;
        const char* desktop;
        bool local;
        const char* expected;
    } rows[] = {
        {"ann", 1, "Default", true, "Local\\MarrowgateInstance-Editor-ann-1-Default"},
        {"bob", 1, "Default", true, "Local\\MarrowgateInstance-Editor-bob-1-Default"},
        {"ann", 2, "Default", true, "Local\\MarrowgateInstance-Editor-ann-2-Default"},
        {"ann", 1, "Winlogon", true, "Local\\MarrowgateInstance-Editor-ann-1-Winlogon"},
        // The 9x family: no namespace, no session, no desktop name.
        {"ann", 0, "", false, "MarrowgateInstance-Editor-ann-0-"},
        // Only the namespace may hold a backslash.
        {"DOMAIN\\ann", 1, "WinSta0\\Default", true, "Local\\MarrowgateInstance-Editor-DOMAIN_ann-1-WinSta0_Default"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(instanceObjectName("Editor", r.user, r.session, r.desktop, r.local), r.expected) << r.expected;
}

}  // namespace

}  // namespace mg
