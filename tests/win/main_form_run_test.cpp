// The main form while a command runs: what other programs send it meanwhile (clicks, a close),
// a drag that was under way when the run began, and a transcript that can take no more.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "console/console_pane.h"
#include "console/shelvoxs.h"
#include "inspector/inspector.h"
#include "mainwin/main_form.h"
#include "probe_support.h"
#include "system_counts.h"
#include "test_runtime.h"
#include "ui/error_modes.h"

namespace {

using testcounts::CountProcesses;

std::wstring ChildPath() { return probe::QuotedTestChild(); }

bool WaitFor(const std::function<bool()>& cond, DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
        if (cond()) return true;
    return cond();
}

void KillChildren() { testcounts::EndProcesses(L"test_child.exe"); }

struct MainFormRunTest : ::testing::Test {
    TestRuntime rt;
    std::unique_ptr<mainwin::MainForm> main;
    std::atomic<bool> runOver{false}, rescued{false};
    std::thread watchdog;

    void SetUp() override {
        main = std::make_unique<mainwin::MainForm>();
        main->Form().EnsureLoaded();
        // A run that never ends would hang the test; its children are ended instead, and the
        // test fails.
        watchdog = std::thread([this] {
            ui::AtBoundary([&] {
                for (int i = 0; i < 750 && !runOver; ++i) Sleep(20);
                if (!runOver) {
                    rescued = true;
                    KillChildren();
                }
            });
        });
    }
    void TearDown() override {
        runOver = true;
        watchdog.join();
        KillChildren();
        if (main) main->Form().Unload();
        main.reset();
        PumpMessages();
    }
    std::wstring Transcript() { return (*main)[L"txtOutputs"].Text(); }
    // Runs the typed line while `during` acts from another thread once the child's output
    // has begun to arrive (a process is listed well before it has written anything, and a
    // child whose code is emulated takes seconds to get there).
    void RunWhile(const std::wstring& args, const std::function<void()>& during) {
        (*main)[L"txtCommand"].SetText(ChildPath() + L" " + args);
        HWND transcript = (*main)[L"txtOutputs"].Hwnd();
        const int before = GetWindowTextLengthW(transcript);
        std::thread actor([&] {
            if (WaitFor([&] { return GetWindowTextLengthW(transcript) > before; }, 20000)) during();
        });
        main->Console().cmdExecute_Click();
        actor.join();
    }
};

TEST_F(MainFormRunTest, ClicksSentDuringARunReachNoHandlerAndTheRunKeepsItsCancel) {
    HWND execute = (*main)[L"cmdExecute"].Hwnd(), close = (*main)[L"cmdClose"].Hwnd();
    HWND command = (*main)[L"txtCommand"].Hwnd();
    RunWhile(L"forever", [&] {
        // As accessibility and automation tools send them.
        SendMessageW(execute, BM_CLICK, 0, 0);
        SendMessageW(close, BM_CLICK, 0, 0);
        PostMessageW(command, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_FALSE(rescued) << "Esc still ended the run";
    EXPECT_TRUE(rt.messages.empty()) << "a refused click shows nothing";
    EXPECT_TRUE(main->Form().Loaded());
    EXPECT_TRUE(main->objDOS() != nullptr);
    EXPECT_TRUE(WaitFor([] { return CountProcesses(L"test_child.exe") == 0; }, 5000));
    EXPECT_NE(Transcript().find(L"tick 0\r\n"), std::wstring::npos);
}

TEST_F(MainFormRunTest, ACloseDuringARunEndsTheRunAndThenTheWindow) {
    HWND form = main->Form().Hwnd();
    RunWhile(L"forever", [&] { SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_FALSE(rescued) << "the close ended the run";
    EXPECT_TRUE(WaitFor([] { return CountProcesses(L"test_child.exe") == 0; }, 5000));
    PumpMessages(200);
    EXPECT_FALSE(main->Form().Loaded()) << "the window closed once the run had ended";
}

TEST_F(MainFormRunTest, ADragUnderWayWhenARunBeginsEndsWithItsRelease) {
    HWND box = (*main)[L"picCrossHair"].Hwnd();
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(main->Inspector().Picker().Dragging());
    ASSERT_EQ(GetCapture(), box);
    (*main)[L"txtCommand"].SetText(ChildPath() + L" lines x");
    main->Console().cmdExecute_Click();
    EXPECT_NE(GetCapture(), box);
    EXPECT_FALSE(main->Inspector().Picker().Dragging());
}

TEST_F(MainFormRunTest, ATranscriptThatCanTakeNoMoreEndsTheRunAndKeepsWhatCame) {
    HWND out = (*main)[L"txtOutputs"].Hwnd();
    const std::wstring before = Transcript();
    // The seam: a box limit far below what memory allows.
    const size_t limit = before.size() + 100000;
    SendMessageW(out, EM_SETLIMITTEXT, limit, 0);
    const std::wstring line = ChildPath() + L" bytes 4000000";
    (*main)[L"txtCommand"].SetText(line);
    main->Console().cmdExecute_Click();

    ASSERT_EQ(rt.messages.size(), 1u);
    const std::wstring& report = rt.messages[0].text;
    EXPECT_EQ(report.substr(0, 16), L"Out of memory - ");
    EXPECT_EQ(report.substr(report.size() - 4), L" - 7");
    EXPECT_EQ(rt.messages[0].style, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(WaitFor([] { return CountProcesses(L"test_child.exe") == 0; }, 5000));
    EXPECT_EQ((*main)[L"txtCommand"].Text(), line);

    // Everything up to the chunk that did not fit is there, in order.
    const std::wstring text = Transcript();
    ASSERT_EQ(text.substr(0, before.size()), before);
    const std::wstring got = text.substr(before.size());
    const std::wstring read = main->objDOS()->Outputs();
    EXPECT_GT(got.size(), 90000u);
    EXPECT_LE(text.size(), limit);
    EXPECT_EQ(read.substr(0, got.size()), got);
    EXPECT_LE(read.size() - got.size(), 256u);

    // The program goes on working.
    SendMessageW(out, EM_SETLIMITTEXT, 0, 0);
    (*main)[L"txtCommand"].SetText(ChildPath() + L" lines after");
    main->Console().cmdExecute_Click();
    EXPECT_EQ(Transcript(), text + L"after\r\n");
    EXPECT_EQ(rt.messages.size(), 1u);
}

}  // namespace
