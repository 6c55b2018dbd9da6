// The program's end while a command never ends: a close request from outside ends the run and
// then the program, a program that is killed takes its run's processes with it, and neither
// leaves anything behind that would stop the next start.
#include <windows.h>

#include <gtest/gtest.h>

#include "driver.h"
#include "session.h"
#include "system_counts.h"

namespace e2e {
namespace {

using testcounts::CountProcesses;

struct CloseE2E : ::testing::Test {
    MainSession s;
    void StartEndlessTree() {
        s = StartToMain();
        ASSERT_TRUE(s.main);
        SetFocus(s(L"txtCommand"));
        TypeText(L"\"" + TestChildPath() + L"\" tree");
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitUntil([] { return CountProcesses(L"test_child.exe") == 2; }));
    }
    void ExpectNothingLeft() {
        EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"test_child.exe") == 0; }, 8000))
            << "no process of the run outlives the program";
        HANDLE lock = OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\Moravelt.Dorvane.Instance");
        EXPECT_EQ(lock, nullptr) << "the single-instance lock went with the program";
        if (lock) CloseHandle(lock);
        // The control names used to stay in the session's atom table after every exit.
        EXPECT_EQ(GlobalFindAtomW(L"txtOutputs"), 0);
    }
    void TearDown() override {
        if (s.app && s.app->Running()) s.app->Kill();
        testcounts::EndProcesses(L"test_child.exe");
    }
};

TEST_F(CloseE2E, ACloseFromOutsideEndsTheRunThenTheProgram) {
    StartEndlessTree();
    // As the taskbar or another tool asks, sent rather than posted.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(s.main, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    EXPECT_TRUE(s.app->WaitExit(15000)) << "the program ended";
    ExpectNothingLeft();
}

TEST_F(CloseE2E, AKilledProgramTakesItsRunsProcessesWithIt) {
    StartEndlessTree();
    s.app->Kill();
    ExpectNothingLeft();
}

}  // namespace
}  // namespace e2e
