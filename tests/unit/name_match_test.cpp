// Tests for matching a process record's executable name field.
#include "processes/name_match.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace std::string_literals;
using processes::ExeNameMatches;
using processes::ExeNameOf;
using processes::kExeFieldChars;

namespace {

// A record field: the name, then NULs up to the full field size.
std::wstring Field(const std::wstring& name) {
    std::wstring field = name;
    field.resize(kExeFieldChars, L'\0');
    return field;
}

}  // namespace

TEST(ExeNameMatches, MatchesFieldStart) {
    EXPECT_TRUE(ExeNameMatches(Field(L"notepad.exe"), L"notepad"));
    EXPECT_TRUE(ExeNameMatches(Field(L"notepad2.exe"), L"notepad"));
    EXPECT_TRUE(ExeNameMatches(Field(L"notepad.exe"), L"notepad.exe"));
    EXPECT_TRUE(ExeNameMatches(Field(L"notepad.exe"), L"n"));
    EXPECT_FALSE(ExeNameMatches(Field(L"notepad.exe"), L"NOTEPAD.EXE"));
    EXPECT_FALSE(ExeNameMatches(Field(L"NOTEPAD.EXE"), L"notepad.exe"));
    EXPECT_FALSE(ExeNameMatches(Field(L"notepad.exe"), L"otepad"));
    EXPECT_FALSE(ExeNameMatches(Field(L"calc.exe"), L"notepad"));
}

TEST(ExeNameMatches, EmptyOrOversizedNamesNeverMatch) {
    EXPECT_FALSE(ExeNameMatches(Field(L"notepad.exe"), L""));
    EXPECT_FALSE(ExeNameMatches(Field(L""), L""));

    const std::wstring full(kExeFieldChars, L'x');
    EXPECT_TRUE(ExeNameMatches(full, full));
    EXPECT_FALSE(ExeNameMatches(full, full + L"x"));
    // Only the record's field counts, even if the caller's view runs past it.
    const std::wstring longer(kExeFieldChars + 1, L'x');
    EXPECT_FALSE(ExeNameMatches(longer, longer));
    EXPECT_TRUE(ExeNameMatches(longer, full));
}

TEST(ExeNameMatches, ComparesTheRawFieldIncludingNuls) {
    std::wstring field = Field(L"ab");
    field[3] = L'c';
    field[4] = L'd';  // leftovers after the terminating NUL: "ab\0cd\0..."
    EXPECT_TRUE(ExeNameMatches(field, L"ab"));
    EXPECT_FALSE(ExeNameMatches(field, L"abc"));
    EXPECT_FALSE(ExeNameMatches(field, L"abcd"));
    EXPECT_TRUE(ExeNameMatches(field, L"ab\0c"s));
    EXPECT_TRUE(ExeNameMatches(field, L"ab\0cd\0"s));
    EXPECT_FALSE(ExeNameMatches(field, L"ab\0x"s));
}

TEST(ExeNameMatches, ShortViews) {
    EXPECT_FALSE(ExeNameMatches(std::wstring_view(), L"a"));
    EXPECT_TRUE(ExeNameMatches(L"abc", L"abc"));
    EXPECT_FALSE(ExeNameMatches(L"abc", L"abcd"));
}

TEST(ExeNameMatches, ErrorTextMatchesNoRealProcess) {
    const std::wstring_view error = L"Cannot enumerate running process!";
    for (const wchar_t* name : {L"", L"notepad.exe", L"Cannot", L"System", L"[System Process]"}) {
        EXPECT_FALSE(ExeNameMatches(Field(name), error))
            << testing::PrintToString(std::wstring(name));
    }
}

TEST(ExeNameOf, StopsAtFirstNul) {
    std::wstring field = Field(L"notepad.exe");
    field[20] = L'z';
    EXPECT_EQ(ExeNameOf(field), L"notepad.exe");
    EXPECT_EQ(ExeNameOf(Field(L"")), L"");
    EXPECT_EQ(ExeNameOf(std::wstring_view()), L"");
    EXPECT_EQ(ExeNameOf(L"abc"), L"abc");
    const std::wstring full(kExeFieldChars, L'x');
    EXPECT_EQ(ExeNameOf(full), full);
    EXPECT_EQ(ExeNameOf(full + L"yz"), full);
}
