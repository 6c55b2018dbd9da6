// The command runner against real child processes.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/shelvoxs.h"
#include "probe_support.h"
#include "test_runtime.h"

namespace {

std::wstring ChildPath() { return probe::TestChild(); }

std::wstring Child(const std::wstring& args) { return L"\"" + ChildPath() + L"\" " + args; }

struct Recorded {
    std::vector<std::wstring> chunks;
    std::wstring seenOutputsAtLastChunk;
};

struct RunnerTest : ::testing::Test {
    TestRuntime rt;
    console::Shelvoxs runner;
    Recorded rec;
    void SetUp() override {
        runner.ReceiveOutputs = [this](std::wstring chunk) {
            rec.chunks.push_back(chunk);
            rec.seenOutputsAtLastChunk = runner.Outputs();
        };
    }
    std::wstring Joined() const {
        std::wstring all;
        for (auto& c : rec.chunks) all += c;
        return all;
    }
};

TEST_F(RunnerTest, LargeOutputArrivesInChunksOfAtMost256AndEndsWithOneEmptyChunk) {
    std::wstring result = runner.ExecuteCommand(Child(L"bytes 70000"));
    ASSERT_GE(rec.chunks.size(), 70000u / 256 + 1);
    for (size_t i = 0; i + 1 < rec.chunks.size(); ++i) {
        EXPECT_LE(rec.chunks[i].size(), 256u);
    }
    EXPECT_TRUE(rec.chunks.back().empty());
    size_t empties = 0;
    for (auto& c : rec.chunks) empties += c.empty();
    EXPECT_EQ(empties, 1u) << "a zero-byte read does not end the loop, but only the last is empty";
    EXPECT_EQ(result.size(), 70000u);
    EXPECT_EQ(result, Joined());
    EXPECT_EQ(runner.Outputs(), result);
    EXPECT_EQ(rec.seenOutputsAtLastChunk, result)
        << "the listener sees the output already extended";
    EXPECT_EQ(result.substr(0, 5), L"abcde");
    EXPECT_EQ(result.substr(78, 4), L"\r\nab");
    EXPECT_TRUE(rt.messages.empty());
}

TEST(RunnerLongOutput, OutputsOfSeveralMegabytesAreTheChunksAsRaised) {
    // ANSI and UTF-16 (whose reads are decoded again one by one), past a few of the blocks
    // that the output is kept in.
    struct Case {
        const wchar_t* args;
        double chars;
    };
    for (auto [args, chars] :
         {Case{L"bytes 2500000", 2500000}, Case{L"utf16bytes 2500000", 1250000}}) {
        TestRuntime rt;
        console::Shelvoxs runner;
        std::wstring joined;
        runner.ReceiveOutputs = [&](std::wstring chunk) { joined += chunk; };
        ASSERT_TRUE(runner.Execute(Child(args))) << args;
        EXPECT_NEAR(static_cast<double>(joined.size()), chars, 100) << args;
        EXPECT_TRUE(runner.Outputs() == joined) << args;
        EXPECT_TRUE(rt.messages.empty()) << args;
    }
}

TEST_F(RunnerTest, StandardErrorIsInterleavedInWritingOrder) {
    std::wstring result = runner.ExecuteCommand(Child(L"interleave 40"));
    std::wstring expected;
    for (int i = 0; i < 40; ++i)
        expected += (i % 2 ? L"err " : L"out ") + std::to_wstring(i) + L"\r\n";
    EXPECT_EQ(result, expected);
}

TEST_F(RunnerTest, SilentChildGivesExactlyOneEmptyChunk) {
    std::wstring result = runner.ExecuteCommand(Child(L"silent"));
    ASSERT_EQ(rec.chunks.size(), 1u);
    EXPECT_EQ(rec.chunks[0], L"");
    EXPECT_EQ(result, L"");
    EXPECT_TRUE(rt.messages.empty());
}

TEST_F(RunnerTest, FailuresShowTheirMessageAndKeepThePreviousOutput) {
    runner.ExecuteCommand(Child(L"lines first run"));
    ASSERT_EQ(runner.Outputs(), L"first\r\nrun\r\n");
    rec.chunks.clear();

    // Nothing stored and nothing given.
    console::Shelvoxs fresh;
    EXPECT_EQ(fresh.ExecuteCommand(L""), L"");
    ASSERT_EQ(rt.messages.size(), 1u);
    EXPECT_EQ(rt.messages[0].text, L"Command Line empty");
    EXPECT_EQ(rt.messages[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(rt.messages[0].title.has_value()) << "shows the program's title";

    // No such program, blanks only, and a shell built-in: none of them is a program file.
    long handlesBefore = OpenHandleCount();
    ASSERT_GT(handlesBefore, 0);
    for (const wchar_t* line : {L"no_such_program_here.exe", L"   ", L"dir"}) {
        rt.messages.clear();
        EXPECT_EQ(runner.ExecuteCommand(line), L"") << line;
        ASSERT_EQ(rt.messages.size(), 1u) << line;
        EXPECT_EQ(rt.messages[0].text, L"File or command not found");
        EXPECT_EQ(runner.CommandLine(), line) << "a non-empty argument stays stored";
        EXPECT_EQ(runner.Outputs(), L"first\r\nrun\r\n");
    }
    EXPECT_TRUE(rec.chunks.empty()) << "no event is raised by a failed run";
    EXPECT_LE(OpenHandleCount(), handlesBefore) << "both pipe ends are closed";

    // An empty argument runs the stored line again.
    rt.messages.clear();
    runner.SetCommandLine(Child(L"lines again"));
    EXPECT_EQ(runner.ExecuteCommand(L""), L"again\r\n");
    EXPECT_EQ(runner.CommandLine(), Child(L"lines again"));
}

TEST_F(RunnerTest, ChildIsHiddenAndGetsNoStandardInput) {
    EXPECT_EQ(runner.ExecuteCommand(Child(L"window")), L"hidden\r\n");
}

TEST_F(RunnerTest, RunsLeaveNoHandleOpen) {
    runner.ExecuteCommand(Child(L"lines warm up"));
    long before = OpenHandleCount();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 30; ++i) runner.ExecuteCommand(Child(L"bytes 1000"));
    EXPECT_LE(OpenHandleCount(), before + 2);
}

TEST_F(RunnerTest, ReadsUntilEveryHolderOfTheWriteEndHasClosedIt) {
    DWORD start = GetTickCount();
    std::wstring result = runner.ExecuteCommand(Child(L"linger 700"));
    DWORD took = GetTickCount() - start;
    EXPECT_NE(result.find(L"parent done\r\n"), std::wstring::npos);
    EXPECT_NE(result.find(L"awake\r\n"), std::wstring::npos) << "the grandchild's output too";
    EXPECT_GE(took, 600u);
}

TEST_F(RunnerTest, ListenerGetsItsOwnCopy) {
    runner.ReceiveOutputs = [this](std::wstring chunk) {
        rec.chunks.push_back(chunk);
        chunk.assign(L"changed");
    };
    EXPECT_EQ(runner.ExecuteCommand(Child(L"lines kept")), L"kept\r\n");
}

}  // namespace
