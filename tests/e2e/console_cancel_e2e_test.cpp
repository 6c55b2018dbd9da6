// A command that never ends: its output shows while it runs, Esc or the cancel button ends
// its whole process tree, the transcript keeps everything, and no second run can start.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "system_counts.h"
#include "session.h"

namespace e2e {
namespace {

using testcounts::CountProcesses;

struct CancelE2E : ::testing::Test {
    MainSession s;
    std::wstring before;
    void StartEndlessTree() {
        s = StartToMain();
        ASSERT_TRUE(s.main);
        before = Text(s(L"txtOutputs"));
        SetFocus(s(L"txtCommand"));
        TypeText(L"\"" + TestChildPath() + L"\" tree");
        PressKey(VK_RETURN);
        // The output shows while the command still runs.
        ASSERT_TRUE(WaitUntil(
            [&] { return Text(s(L"txtOutputs")).find(L"tick 2\r\n") != std::wstring::npos; }));
        EXPECT_EQ(CountProcesses(L"test_child.exe"), 2);
        EXPECT_TRUE(IsWindowVisible(s(L"cmdCancel"))) << "a visible way out while it runs";
    }
    void ExpectRunEndedIntact() {
        EXPECT_TRUE(WaitUntil([&] { return Text(s(L"txtCommand")).empty(); }, 8000))
            << "the run ended and the command box was cleared";
        EXPECT_EQ(FocusIn(s.main), s(L"txtCommand"));
        std::wstring after = Text(s(L"txtOutputs"));
        EXPECT_EQ(after.substr(0, before.size()), before) << "the transcript lost nothing";
        // Child and grandchild tick into the same pipe, so their lines interleave.
        EXPECT_NE(after.find(L"tick 2\r\n"), std::wstring::npos);
        EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"test_child.exe") == 0; }, 5000));
        EXPECT_FALSE(IsWindowVisible(s(L"cmdCancel")));
        EXPECT_EQ(s.app->WaitForMessageBox(0), nullptr);
    }
    void TearDown() override {
        // Never leave a ticking tree behind for the next test.
        testcounts::EndProcesses(L"test_child.exe");
    }
};

TEST_F(CancelE2E, EscEndsAnEndlessCommandAndItsChildren) {
    StartEndlessTree();
    SaveScreenshot(L"console-running");
    PressKey(VK_ESCAPE);
    ExpectRunEndedIntact();
}

TEST_F(CancelE2E, RunCommandClickDuringARunStartsNothingAndTheCancelButtonEndsIt) {
    StartEndlessTree();
    ClickAt(CentreOf(s(L"cmdExecute")));
    Sleep(1500);
    EXPECT_EQ(CountProcesses(L"test_child.exe"), 2) << "no second run started";
    ClickAt(CentreOf(s(L"cmdCancel")));
    ExpectRunEndedIntact();
    // Only the one run's output is there: the first tick of its two processes, no more.
    std::wstring after = Text(s(L"txtOutputs"));
    int firstTicks = 0;
    for (size_t at = after.find(L"tick 0\r\n"); at != std::wstring::npos;
         at = after.find(L"tick 0\r\n", at + 1))
        ++firstTicks;
    EXPECT_EQ(firstTicks, 2);
}

}  // namespace
}  // namespace e2e
