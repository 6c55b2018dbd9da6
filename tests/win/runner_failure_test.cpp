// The runner when something fails under it: the system refuses an event, the reading thread or
// the child's start; the listener throws in the middle of a run. Each ends at once, in an
// error the caller can report, with no process of the run left and no handle kept. And the
// line reaches the child exactly, whatever its characters.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "console/shelvoxs.h"
#include "system_counts.h"
#include "test_runtime.h"
#include "ui/form.h"
#include "win/text.h"

namespace {

using testcounts::CountProcesses;

std::wstring Child(const std::wstring& args) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return L"\"" + s.substr(0, s.find_last_of(L'\\') + 1) + L"test_child.exe\" " + args;
}

bool NoChildLeft() {
    for (int i = 0; i < 100; ++i, Sleep(50))
        if (CountProcesses(L"test_child.exe") == 0) return true;
    return false;
}

// Refuses the one call it is told to, as the system does when it runs out of resources.
struct RefusingSystem : console::Shelvoxs::System {
    enum Call { kEvent, kThread, kResume } refuse;
    explicit RefusingSystem(Call c) : refuse(c) { previous = console::Shelvoxs::SetSystem(this); }
    ~RefusingSystem() override { console::Shelvoxs::SetSystem(previous); }
    HANDLE NewEvent() override {
        if (refuse != kEvent) return System::NewEvent();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE NewThread(LPTHREAD_START_ROUTINE proc, void* arg) override {
        if (refuse != kThread) return System::NewThread(proc, arg);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD Resume(HANDLE thread) override {
        if (refuse != kResume) return System::Resume(thread);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return static_cast<DWORD>(-1);
    }
    console::Shelvoxs::System* previous;
};

TEST(RunnerFailure, ARefusedEventThreadOrStartEndsAtOnceWithNothingLeft) {
    TestRuntime rt;
    // What the process opens once, on first use, and keeps: message texts, and two handles
    // that the first exception thrown in it leaves open under Wine.
    win::ErrorText(ERROR_NOT_ENOUGH_MEMORY);
    try {
        throw ui::RuntimeError(1, L"first");
    } catch (const ui::RuntimeError&) {
    }
    for (auto call : {RefusingSystem::kEvent, RefusingSystem::kThread, RefusingSystem::kResume}) {
        SCOPED_TRACE(call);
        long handles = OpenHandleCount();
        console::Shelvoxs runner;
        runner.SetCommandLine(Child(L"forever"));
        std::wstring earlier = runner.Outputs();
        int chunks = 0;
        runner.ReceiveOutputs = [&](std::wstring) { ++chunks; };
        DWORD start = GetTickCount();
        {
            RefusingSystem system(call);
            try {
                runner.ExecuteCommand(L"");
                ADD_FAILURE() << "the run reports the refusal";
            } catch (const ui::RuntimeError& e) {
                EXPECT_EQ(e.number, ERROR_NOT_ENOUGH_MEMORY);
                EXPECT_EQ(e.source, L"Shelvoxs");
            }
        }
        EXPECT_LT(GetTickCount() - start, 5000u) << "no hang, no spin";
        EXPECT_FALSE(runner.Running());
        EXPECT_EQ(chunks, 0);
        EXPECT_TRUE(NoChildLeft());
        for (int i = 0; i < 40 && OpenHandleCount() != handles; ++i) Sleep(50);
        EXPECT_EQ(OpenHandleCount(), handles);
        EXPECT_TRUE(rt.messages.empty());
    }
}

TEST(RunnerFailure, AListenerThatThrowsEndsTheRunsProcesses) {
    TestRuntime rt;
    console::Shelvoxs runner;
    int chunks = 0;
    runner.ReceiveOutputs = [&](std::wstring c) {
        if (!c.empty() && ++chunks == 3) throw std::bad_alloc();
    };
    EXPECT_THROW(runner.ExecuteCommand(Child(L"tree")), std::bad_alloc);
    EXPECT_FALSE(runner.Running());
    EXPECT_TRUE(NoChildLeft()) << "neither the child nor its own child runs on";
    runner.ReceiveOutputs = nullptr;
    EXPECT_EQ(runner.ExecuteCommand(Child(L"lines next")), L"next\r\n");
}

TEST(RunnerEncodings, Utf16OutputReadsAsTextWhereverTheReadsSplitIt) {
    TestRuntime rt;
    console::Shelvoxs runner;
    std::vector<std::wstring> chunks;
    runner.ReceiveOutputs = [&](std::wstring c) { chunks.push_back(c); };
    const std::wstring line = L"\x043E\x0442\x0447\x0451\x0442 \xD83D\xDE00 ok\r\n";
    EXPECT_EQ(runner.ExecuteCommand(Child(L"utf16")), line);
    EXPECT_EQ(runner.Outputs(), line);
    ASSERT_GT(chunks.size(), 3u) << "the reads did split the characters";
    EXPECT_TRUE(chunks.back().empty());
    for (size_t i = 0; i + 1 < chunks.size(); ++i) EXPECT_FALSE(chunks[i].empty());
}

TEST(RunnerFailure, TheLineReachesTheChildExactlyOutsideTheCodePage) {
    TestRuntime rt;
    console::Shelvoxs runner;
    // Cyrillic and a CJK character: none of them is in code page 1252.
    EXPECT_EQ(runner.ExecuteCommand(Child(L"codes \x043E\x0442\x0447\x0451\x0442 \x6587")),
              L"1086 1090 1095 1105 1090 32 25991");
}

}  // namespace
