// The console the children write through, whichever the program could have: its own without a
// window, or, where the system refuses that, none at all, each child then getting a windowless
// console of its own. Either way their output reads right, no console window shows, and a
// cancel still ends the whole tree.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "console/shelvoxs.h"
#include "probe_support.h"
#include "system_counts.h"
#include "test_runtime.h"
#include "ui/error_modes.h"

namespace {

using testcounts::CountProcesses;

std::wstring Child(const std::wstring& args) { return probe::QuotedTestChild() + L" " + args; }

// Refuses the console without a window, as the system does where cmd.exe is blocked by policy.
struct NoWindowlessConsole : console::Shelvoxs::System {
    NoWindowlessConsole() : previous(console::Shelvoxs::SetSystem(this)) {}
    ~NoWindowlessConsole() override { console::Shelvoxs::SetSystem(previous); }
    bool AttachWindowlessConsole() override { return false; }
    console::Shelvoxs::System* previous;
};

// Whether the process is attached to a console at all (GetConsoleWindow is null for one
// without a window as much as for none).
bool HasConsole() {
    HANDLE h = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM windows) {
    return ui::AtBoundary<BOOL>(FALSE, [&]() -> BOOL {
        if (IsWindowVisible(hwnd)) reinterpret_cast<std::set<HWND>*>(windows)->insert(hwnd);
        return TRUE;
    });
}

std::set<HWND> VisibleTopWindows() {
    std::set<HWND> windows;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

TEST(RunnerConsole, ChildrenWriteThroughAWindowlessConsoleWhicheverTheProgramCouldHave) {
    struct Case {
        const char* name;
        bool refuseWindowless;
        UINT codePage;  // what the children's console writes in
    };
    // The refused one first: the tests after this one run as the program does, on a console
    // of its own.
    for (const Case& c : {Case{"refused", true, GetOEMCP()}, Case{"own", false, GetACP()}}) {
        SCOPED_TRACE(c.name);
        TestRuntime rt;
        const std::set<HWND> windowsBefore = VisibleTopWindows();
        {
            std::unique_ptr<NoWindowlessConsole> refuse;
            if (c.refuseWindowless) refuse = std::make_unique<NoWindowlessConsole>();
            EXPECT_EQ(console::Shelvoxs::MakeOwnConsole(), !c.refuseWindowless);
        }
        EXPECT_EQ(GetConsoleWindow(), nullptr);
        EXPECT_EQ(HasConsole(), !c.refuseWindowless) << "no console of its own when refused";

        console::Shelvoxs runner;
        // A console program writes in its console's code page, and cmd does so to a pipe.
        const std::wstring cafe = L"caf\x00E9\r\n";
        EXPECT_EQ(runner.ExecuteCommand(Child(L"console")),
                  std::to_wstring(c.codePage) + L" windowless " + cafe);
        EXPECT_EQ(runner.ExecuteCommand(L"cmd /d /c echo caf\x00E9"), cafe);
        EXPECT_EQ(runner.Outputs(), cafe);

        if (c.refuseWindowless) {
            // Without a console the program is out of reach of what a child sends to every
            // process of its console; the child still gets it. (With one, the program lets
            // such events pass: the end-to-end test, since this test host does not.) Wine 8
            // sends no Ctrl+Break at all.
            std::wstring ctrl = runner.ExecuteCommand(Child(L"ctrl"));
            EXPECT_TRUE(ctrl == L"before\r\nctrl-c received\r\nctrl-break received\r\nafter\r\n" ||
                        ctrl == L"before\r\nctrl-c received\r\nctrl-break not sent\r\nafter\r\n")
                << std::string(ctrl.begin(), ctrl.end());
        }

        // A cancel ends the child and the grandchild that shares its console.
        std::wstring ticks;
        runner.ReceiveOutputs = [&](std::wstring chunk) { ticks += chunk; };
        runner.WhileRunning = [&] {
            if (ticks.find(L"tick 1\r\n") != std::wstring::npos) runner.Cancel();
        };
        EXPECT_TRUE(runner.Execute(Child(L"tree")));
        EXPECT_NE(ticks.find(L"tick 1\r\n"), std::wstring::npos);
        EXPECT_TRUE([] {
            for (int i = 0; i < 100; ++i, Sleep(50))
                if (CountProcesses(L"test_child.exe") == 0) return true;
            return false;
        }()) << "the cancel left a process of the run";

        EXPECT_EQ(GetConsoleWindow(), nullptr);
        EXPECT_EQ(HasConsole(), !c.refuseWindowless);
        EXPECT_EQ(VisibleTopWindows(), windowsBefore) << "a window showed";
        EXPECT_TRUE(rt.messages.empty());
    }
}

}  // namespace
