// Cancelling a run: the whole process tree ends and the run finishes by its usual contract.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/shelvoxs.h"
#include "system_counts.h"
#include "test_runtime.h"

namespace {

std::wstring Child(const std::wstring& args) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return L"\"" + s.substr(0, s.find_last_of(L'\\') + 1) + L"test_child.exe\" " + args;
}

using testcounts::CountProcesses;

TEST(RunnerCancel, CancelEndsTheTreeAndTheRunEndsWithOneEmptyChunk) {
    TestRuntime rt;
    console::Shelvoxs runner;
    std::vector<std::wstring> chunks;
    int pumps = 0;
    DWORD firstOutputAt = 0;
    runner.ReceiveOutputs = [&](std::wstring c) {
        if (!c.empty() && !firstOutputAt) firstOutputAt = GetTickCount();
        chunks.push_back(c);
    };
    // The pump is where a window would repaint; here it cancels once output has flowed a while.
    runner.WhileRunning = [&] {
        ++pumps;
        if (firstOutputAt && GetTickCount() - firstOutputAt > 700) runner.Cancel();
    };
    DWORD start = GetTickCount();
    std::wstring result = runner.ExecuteCommand(Child(L"tree"));
    EXPECT_LT(GetTickCount() - start, 8000u);
    EXPECT_GT(pumps, 3) << "the caller's thread was given time while the run read";
    ASSERT_FALSE(chunks.empty());
    EXPECT_TRUE(chunks.back().empty());
    size_t empties = 0;
    std::wstring joined;
    for (auto& c : chunks) {
        empties += c.empty();
        joined += c;
    }
    EXPECT_EQ(empties, 1u);
    EXPECT_EQ(joined, result);
    EXPECT_EQ(runner.Outputs(), result);
    EXPECT_NE(result.find(L"tick 0\r\n"), std::wstring::npos);
    EXPECT_FALSE(runner.Running());
    // Both the child and the grandchild that held the pipe are gone.
    EXPECT_TRUE([&] {
        for (int i = 0; i < 50; ++i) {
            if (CountProcesses(L"test_child.exe") == 0) return true;
            Sleep(100);
        }
        return false;
    }());
    EXPECT_TRUE(rt.messages.empty());

    // The runner is ready for the next run.
    runner.WhileRunning = nullptr;
    EXPECT_EQ(runner.ExecuteCommand(Child(L"lines after")), L"after\r\n");
}

TEST(RunnerCancel, CancelOutsideARunDoesNothing) {
    console::Shelvoxs runner;
    runner.Cancel();
    EXPECT_FALSE(runner.Running());
}

}  // namespace
