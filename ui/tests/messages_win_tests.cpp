#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>

#include "text/text.h"
#include "ui/message_buffer.h"
#include "ui/messages.h"

namespace mg {

namespace {

// The English table as LoadStringA gives it: in the process's ANSI code
// page, which the launcher's manifest makes UTF-8 where the system honours
// it, and is 1252 in a prefix without it (the "®").
String ansiFromUtf8(const char* utf8) {
    int wideLength = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], wideLength);
    char out[1024];
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return String(out);
}

const std::map<int, String>& englishTable() {
    static const std::map<int, String> table = [] {
        std::map<int, String> t;
#define MG_STRING(id, text) t[id] = ansiFromUtf8(text);
#include "resources/strings_en.inc"
#undef MG_STRING
        return t;
    }();
    return table;
}

TEST(StringTable, LoadStringAGivesTheEnglishTexts) {
    ASSERT_EQ(englishTable().size(), 40u);
    for (int id = 1; id <= 40; ++id) {
        SCOPED_TRACE(id);
        char buffer[512];
        int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
        EXPECT_EQ(String(buffer, length), englishTable().at(id));
        EXPECT_EQ(loadStringText(id), englishTable().at(id));
    }
}

TEST(StringTable, TextsWithSpacesAndControlCharactersAreExact) {
    struct Row {
        int id;
        const char* text;
    };
    const Row rows[] = {
        {1, "LauncherMain"},
        {13, "Invalid action in input file: "},
        {15, "Unable to extract embedded files from the launcher. "},
        {16, "Unable to load the launcher file index. "},
        {24, "Unable to search for all JVMs. "},
        {33, "Error writing file = "},
        {31, "Marrowgate\xC2\xAE is preparing the Marrowgate Wizard, which\nwill guide you through the rest of the "
             "process.\nPlease wait..."},
        {34, " There may not be enough temporary disk space. Try using -mg:tempdir to use a temporary directory on "
             "a partition with more disk space."},
        {27, "Invalid hive (%1!s!) specified in platform hint (%2!s!)."},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(loadStringText(r.id), ansiFromUtf8(r.text));
    }
}

TEST(MessageBuffer, StartsAt64BytesAndGrowsForLongStrings) {
    MessageBuffer buffer;
    EXPECT_EQ(buffer.capacity(), 64u);
    EXPECT_STREQ(buffer.text(), "");

    struct Row {
        int id;
        std::size_t capacity;  // after loading
    };
    // 62 bytes would leave exactly two to spare in 64; longer texts grow the
    // buffer in steps of 64 until two bytes are left over.
    const Row rows[] = {
        {3, 64},    // 41 bytes
        {6, 128},   // 68 bytes
        {14, 128},  // 77 bytes
        {34, 192},  // 134 bytes
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        MessageBuffer b;
        int length = b.loadString(r.id);
        EXPECT_EQ(static_cast<std::size_t>(length), englishTable().at(r.id).size());
        EXPECT_EQ(b.str(), englishTable().at(r.id));
        EXPECT_EQ(b.capacity(), r.capacity);
    }

    EXPECT_EQ(buffer.loadString(999), 0);
    EXPECT_STREQ(buffer.text(), "");
}

TEST(MessageBuffer, FormattedTextsReplaceTheBufferAndFitExactly) {
    MessageBuffer buffer;
    String caption(100, 'C');
    buffer.formatString(2, {caption});
    EXPECT_EQ(buffer.str(), "Initializing " + caption + "...");
    EXPECT_EQ(buffer.capacity(), buffer.str().size() + 1);
    buffer.formatText("short %1!s!", {"x"});
    EXPECT_EQ(buffer.str(), "short x");
    EXPECT_EQ(buffer.capacity(), 117u);  // big enough already: kept
}

TEST(Format, InsertsAreTexts) {
    struct Row {
        const char* format;
        StringList inserts;
        const char* result;
    };
    const Row rows[] = {
        {"Initializing %1!s!...", {"Demo App"}, "Initializing Demo App..."},
        {"%1!s! %2!s!", {"Running x...", ""}, "Running x... "},
        {"%1!s! %2!s!", {"", "detail"}, " detail"},
        // An insert is not formatted again.
        {"%1!s!", {"50%1 %% done"}, "50%1 %% done"},
        // A text naming more inserts than given reads empty ones.
        {"%1!s! and %3!s!", {"one"}, "one and "},
        {"", {"x"}, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.format);
        EXPECT_EQ(formatText(r.format, r.inserts), r.result);
    }
    EXPECT_EQ(formatStringText(2, {"My App"}), "Initializing My App...");
    EXPECT_EQ(formatStringText(27, {"HKXX", "hint"}), "Invalid hive (HKXX) specified in platform hint (hint).");
}

TEST(Format, MalformedFormatIsOutOfMemory) {
    try {
        formatText("bad %", {});
        FAIL() << "no exception";
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "Out of memory.");
    }
}

TEST(MessageCodes, TextsComeFromTheTable) {
    for (int code = 0; code <= 17; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(messageText(code), englishTable().at(messageStringId(code)));
    }
    EXPECT_EQ(messageText(18), "");
    EXPECT_EQ(messageText(-1), "");
    EXPECT_EQ(messageText(MSG_WRITE_ERROR) + toDecimal(39) + messageText(MSG_DISK_SPACE),
              "Error writing file = 39 There may not be enough temporary disk space. Try using -mg:tempdir to use "
              "a temporary directory on a partition with more disk space.");
}

TEST(SystemErrors, TextOfAKnownCodeAndTheFailedCallHelper) {
    String text = systemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(systemErrorText(0x2FFFFFFF), "");

    ::SetLastError(ERROR_ACCESS_DENIED);
    try {
        throwSystemError("CreateDirectory");
        FAIL() << "no exception";
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "CreateDirectory failed  ==>  " + systemErrorText(ERROR_ACCESS_DENIED));
    }
    // A failing call with a real last error.
    if (::GetFileAttributesA("C:\\no\\such\\file.txt") == INVALID_FILE_ATTRIBUTES) {
        DWORD error = ::GetLastError();
        EXPECT_EQ(systemErrorMessage("GetFileAttributes", error),
                  "GetFileAttributes failed  ==>  " + systemErrorText(error));
    }
}

}  // namespace

namespace {

// String id from the table of one language, read straight from the resource
// block (LoadStringA would pick the user's language).
std::wstring stringFor(WORD language, int id) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC block = ::FindResourceExA(module, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(id / 16 + 1), language);
    if (!block) return L"<missing block>";
    const WORD* p = static_cast<const WORD*>(::LockResource(::LoadResource(module, block)));
    for (int i = 0; i < id % 16; ++i) p += 1 + *p;
    return std::wstring(reinterpret_cast<const wchar_t*>(p + 1), *p);
}

TEST(StringTable, EveryLanguageHasAllTextsWithTheirInserts) {
    const WORD languages[] = {9, 5, 6, 7, 8, 10, 11, 12, 14, 16, 17, 18, 19, 20, 21, 22, 25, 29, 31, 1028, 1046, 2052};
    for (WORD language : languages) {
        SCOPED_TRACE(language);
        EXPECT_EQ(stringFor(language, 1), L"LauncherMain");
        for (int id = 2; id <= 40; ++id) {
            std::wstring text = stringFor(language, id);
            std::wstring english = stringFor(9, id);
            EXPECT_FALSE(text.empty()) << id;
            EXPECT_EQ(text.find(L"%1!s!") != std::wstring::npos, english.find(L"%1!s!") != std::wstring::npos) << id;
            EXPECT_EQ(text.find(L"%2!s!") != std::wstring::npos, english.find(L"%2!s!") != std::wstring::npos) << id;
            EXPECT_EQ(text.back() == L' ', english.back() == L' ') << id;
            EXPECT_EQ(text.front() == L' ', english.front() == L' ') << id;
        }
        std::wstring intro = stringFor(language, 31);
        EXPECT_EQ(std::count(intro.begin(), intro.end(), L'\n'), 2);
    }
}

TEST(Resources, DialogInFiveLanguagesIconAndVersion) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    for (WORD language : {9, 17, 18, 1028, 2052}) {
        SCOPED_TRACE(language);
        EXPECT_NE(::FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(101), language), nullptr);
    }
    EXPECT_NE(::LoadIconA(module, MAKEINTRESOURCEA(104)), nullptr);

    HRSRC version = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    ASSERT_NE(version, nullptr);
    void* data = ::LockResource(::LoadResource(module, version));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    ASSERT_TRUE(::VerQueryValueA(data, "\\", reinterpret_cast<void**>(&info), &size));
    EXPECT_EQ(info->dwFileVersionMS, MAKELONG(56, 1));
}

}  // namespace

}  // namespace mg
