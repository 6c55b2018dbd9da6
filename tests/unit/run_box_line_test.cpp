// Tests for reading a run-box line into the program names to look for.
#include "console/run_box_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using console::RunCandidate;
using console::RunCandidates;

namespace {

// "program|command line" for each candidate, for compact expectations.
std::vector<std::wstring> Flat(std::wstring_view typed) {
    std::vector<std::wstring> out;
    for (const RunCandidate& c : RunCandidates(typed))
        out.push_back(c.program + L"|" + c.commandLine);
    return out;
}

using V = std::vector<std::wstring>;

}  // namespace

TEST(RunCandidates, NothingToStartInABlankLine) {
    EXPECT_TRUE(RunCandidates(L"").empty());
    EXPECT_TRUE(RunCandidates(L"   ").empty());
    EXPECT_TRUE(RunCandidates(L" \t ").empty());
    EXPECT_TRUE(RunCandidates(L"\"\"").empty());
    EXPECT_TRUE(RunCandidates(L"\"\" args").empty());
}

TEST(RunCandidates, OneWordIsTheProgramAsTyped) {
    EXPECT_EQ(Flat(L"notepad"), V({L"notepad|notepad"}));
    EXPECT_EQ(Flat(L"  notepad"), V({L"notepad|notepad"})) << "leading blanks are skipped";
    EXPECT_EQ(Flat(L"notepad  "), V({L"notepad|notepad  "})) << "trailing blanks stay";
}

TEST(RunCandidates, EachBlankEndsALongerNameThatIsQuoted) {
    EXPECT_EQ(Flat(L"notepad a.txt"),
              V({L"notepad|notepad a.txt", L"notepad a.txt|\"notepad a.txt\""}));
    EXPECT_EQ(
        Flat(L"C:\\Program Files\\App\\app.exe  x \"y z\""),
        V({L"C:\\Program|C:\\Program Files\\App\\app.exe  x \"y z\"",
           L"C:\\Program Files\\App\\app.exe|\"C:\\Program Files\\App\\app.exe\"  x \"y z\"",
           L"C:\\Program Files\\App\\app.exe  x|\"C:\\Program Files\\App\\app.exe  x\" \"y z\""}))
        << "a name holding a quote is no file name, nor is anything longer";
    EXPECT_EQ(Flat(L"a\tb"), V({L"a|a\tb", L"a\tb|\"a\tb\""}));
    EXPECT_EQ(Flat(L"a b "), V({L"a|a b ", L"a b|\"a b\" "}));
}

TEST(RunCandidates, AQuotedProgramIsTheOnlyCandidate) {
    EXPECT_EQ(Flat(L"\"C:\\dir with\\app.exe\" a b"),
              V({L"C:\\dir with\\app.exe|\"C:\\dir with\\app.exe\" a b"}));
    EXPECT_EQ(Flat(L"  \"app\""), V({L"app|\"app\""}));
    EXPECT_EQ(Flat(L"\"unclosed quote"), V({L"unclosed quote|\"unclosed quote"}));
    EXPECT_EQ(Flat(L"\"a\"b c"), V({L"a|\"a\"b c"}));
}

TEST(RunCandidates, QuotesInsideTheFirstWordStopTheSearch) {
    EXPECT_TRUE(RunCandidates(L"ab\"c d").empty());
    EXPECT_EQ(Flat(L"ab c\"d e"), V({L"ab|ab c\"d e"}));
}
