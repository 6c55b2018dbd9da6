// The process list against the real process snapshot: copies of a small probe program run
// under distinctive names, and the list ends them by name prefix, exactly and case-sensitively.
// The list serves a small form of the test's own that holds only its three controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mainwin/main_form.h"
#include "probe_support.h"
#include "processes/process_list.h"
#include "test_runtime.h"
#include "ui/form.h"

using namespace std::string_literals;

namespace {

const std::wstring kMessage = L"Cannot enumerate running process!";

using ui::Kind;
const COLORREF kNone = ui::kDefaultColor;

// The process list's three controls and nothing else.
// clang-format off
const std::vector<ui::ControlDef> kLayout = {
    {L"lstProcess", Kind::ListBox, L"", 120, 120, 4335, 3300, 0, nullptr, 0, {}, kNone, kNone, 0},
    {L"cmdRefresh", Kind::Button, L"Refresh", 120, 3540, 1155, 315, 2, nullptr, 0, {}, kNone, kNone, 0},
    {L"cmdTerminateProcess", Kind::Button, L"Terminate", 1380, 3540, 1155, 315, 1, nullptr, 0, {}, kNone, kNone, 0},
};
const ui::FormDef kForm = {L"ProcessListTestForm", 4575, 4000, ui::Border::FixedSingle, RGB(224, 224, 224), {}, 0, 0};
// clang-format on

struct ProcessListTest : ::testing::Test {
    TestRuntime rt;
    probe::TempFolder folder{L"dorvane-plist"};
    std::unique_ptr<ui::Form> form;
    std::unique_ptr<processes::ProcessList> tool;

    void TearDown() override {
        for (const wchar_t* name :
             {L"zqproc.exe", L"zqproc2.exe", L"zqprod.exe", L"zqproc.exe-b.exe", L"zqleak.exe"})
            probe::EndAllNamed(name);
        if (form) form->Unload();
        tool.reset();
        form.reset();
        PumpMessages();
    }

    probe::Started Start(const std::wstring& name) {
        std::wstring exe = folder.Path() + name;
        if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
            probe::ProbeCopy(folder.Path(), name);
        probe::Started s = probe::StartWaiting(exe);
        EXPECT_TRUE(s.process) << "could not start a copy named " << testing::PrintToString(name);
        return s;
    }

    // Loads the form, which fills the list as the main window's load does.
    void Load() {
        form = std::make_unique<ui::Form>(kForm, kLayout);
        tool = std::make_unique<processes::ProcessList>(*form);
        form->Load = [this] { tool->RefreshProcessList(L""); };
        form->EnsureLoaded();
        ASSERT_TRUE(form->Loaded());
    }
    ui::Control& List() { return (*form)[L"lstProcess"]; }
    processes::ProcessList& Processes() { return *tool; }
    // A button's own Click event, as the form raises it.
    void Press(const wchar_t* button) { (*form)[button].Click(); }

    std::vector<std::wstring> Entries() {
        std::vector<std::wstring> out;
        for (int i = 0; i < List().ListCount(); ++i) out.push_back(List().List(i));
        return out;
    }
    int Count(const std::wstring& name) {
        std::vector<std::wstring> e = Entries();
        return static_cast<int>(std::count(e.begin(), e.end(), name));
    }
    void Select(const std::wstring& name) {
        std::vector<std::wstring> e = Entries();
        auto it = std::find(e.begin(), e.end(), name);
        ASSERT_NE(it, e.end()) << testing::PrintToString(name) << " is not listed";
        ASSERT_TRUE(List().SetListIndex(static_cast<int>(it - e.begin())));
    }

    // The system's snapshot names now, leaving out those that begin with prefix.
    static std::vector<std::wstring> SnapshotWithout(const std::wstring& prefix) {
        std::vector<std::wstring> out;
        for (const std::wstring& n : probe::Names(probe::Snapshot()))
            if (prefix.empty() || n.compare(0, prefix.size(), prefix) != 0) out.push_back(n);
        return out;
    }
    // The list is the system's snapshot less the names that begin with prefix, as taken just
    // before (given) or just after the list was built: a system process may come or go.
    ::testing::AssertionResult ListsSnapshot(const std::vector<std::wstring>& before,
                                             const std::wstring& prefix = L"") {
        const std::vector<std::wstring> entries = Entries();
        if (entries == before || entries == SnapshotWithout(prefix))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "list " << testing::PrintToString(entries)
                                             << "\nsnapshot " << testing::PrintToString(before);
    }
};

TEST_F(ProcessListTest, LoadListsEveryRunningProcessInSnapshotOrderAndEndsNone) {
    probe::Started a = Start(L"zqproc.exe"), b = Start(L"zqproc.exe");
    const std::vector<std::wstring> running = SnapshotWithout(L"");
    Load();
    EXPECT_TRUE(ListsSnapshot(running));
    EXPECT_EQ(Count(L"zqproc.exe"), 2);
    EXPECT_EQ(Count(L"win_tests.exe"), 1);
    EXPECT_EQ(Count(kMessage), 0);
    EXPECT_TRUE(a.Running() && b.Running());
    EXPECT_TRUE(rt.messages.empty());

    // "Refresh" rebuilds the list from scratch and picks up a process started since.
    List().AddItem(L"stale entry");
    probe::Started c = Start(L"zqproc2.exe");
    const std::vector<std::wstring> now = SnapshotWithout(L"");
    Press(L"cmdRefresh");
    EXPECT_TRUE(ListsSnapshot(now));
    EXPECT_EQ(Count(L"stale entry"), 0);
    EXPECT_EQ(Count(L"zqproc2.exe"), 1);
    EXPECT_TRUE(a.Running() && b.Running() && c.Running());
}

TEST_F(ProcessListTest, AShorterNameEndsEveryProcessThatBeginsWithItAndListsTheRest) {
    probe::Started p1 = Start(L"zqproc.exe"), p2 = Start(L"zqproc.exe"), p3 = Start(L"zqproc2.exe"),
                   other = Start(L"zqprod.exe");
    Load();
    ASSERT_EQ(Count(L"zqproc.exe"), 2);

    std::vector<std::wstring> expected = SnapshotWithout(L"zqproc");
    Processes().RefreshProcessList(L"zqproc");
    EXPECT_TRUE(p1.Ended(5000) && p2.Ended(5000) && p3.Ended(5000));
    for (const probe::Started* p : {&p1, &p2, &p3}) {
        DWORD code = 99;
        GetExitCodeProcess(p->process.Get(), &code);
        EXPECT_EQ(code, 0u);
    }
    EXPECT_TRUE(other.Running()) << "zqprod.exe does not begin with zqproc";
    EXPECT_TRUE(ListsSnapshot(expected, L"zqproc"))
        << "the ended ones are left out, everything else is listed";
    EXPECT_EQ(Count(L"zqprod.exe"), 1);
    EXPECT_EQ(Count(L"win_tests.exe"), 1);
    EXPECT_TRUE(rt.messages.empty());
}

TEST_F(ProcessListTest, OtherLetterCaseAndNamesThatCannotMatchEndNothing) {
    probe::Started p1 = Start(L"zqproc.exe"), p2 = Start(L"zqproc2.exe");
    Load();
    const std::wstring names[] = {
        L"ZQPROC",
        L"Zqproc.exe",
        L"zqproc.EXE",
        L"ZQPROC.EXE",
        L"qproc",                                    // not at the start
        L"zqproc.exe.exe",                           // longer than the name
        L"zqproc.exe\0"s,                            // spells out the name's end
        L"zqproc.exe" + std::wstring(251, L'x'),     // 261 characters
        L"zqproc" + std::wstring(254, L'\0') + L"x"  // longer than the field
    };
    for (const std::wstring& name : names) {
        Processes().RefreshProcessList(name);
        EXPECT_EQ(Count(L"zqproc.exe"), 1) << testing::PrintToString(name);
        EXPECT_EQ(Count(L"zqproc2.exe"), 1) << testing::PrintToString(name);
    }
    EXPECT_FALSE(p1.Ended(300));
    EXPECT_FALSE(p2.Ended(0));
}

TEST_F(ProcessListTest, TerminateEndsTheSelectedNameAndNamesThatExtendIt) {
    probe::Started p1 = Start(L"zqproc.exe"), p2 = Start(L"zqproc.exe"),
                   longer = Start(L"zqproc.exe-b.exe"), p3 = Start(L"zqproc2.exe");
    Load();
    Select(L"zqproc.exe");
    Press(L"cmdTerminateProcess");
    EXPECT_TRUE(p1.Ended(5000) && p2.Ended(5000));
    EXPECT_TRUE(longer.Ended(5000)) << "its name begins with the selected entry";
    EXPECT_TRUE(p3.Running());
    EXPECT_EQ(Count(L"zqproc.exe"), 0);
    EXPECT_EQ(Count(L"zqproc.exe-b.exe"), 0);
    EXPECT_EQ(Count(L"zqproc2.exe"), 1);
    EXPECT_EQ(List().ListIndex(), -1) << "the rebuilt list has nothing selected";
}

TEST_F(ProcessListTest, TerminateWithNothingSelectedOnlyRebuilds) {
    probe::Started p1 = Start(L"zqproc.exe");
    Load();
    List().AddItem(L"stale entry");
    ASSERT_EQ(List().ListIndex(), -1);
    const std::vector<std::wstring> now = SnapshotWithout(L"");
    Press(L"cmdTerminateProcess");
    EXPECT_TRUE(ListsSnapshot(now));
    EXPECT_FALSE(p1.Ended(300));
}

TEST_F(ProcessListTest, AFailedSnapshotAppendsTheMessageOncePerRefreshAndKeepsTheList) {
    probe::Started p1 = Start(L"zqproc.exe");
    Load();
    const std::vector<std::wstring> before = Entries();
    ASSERT_FALSE(before.empty());

    int taken = 0;
    Processes().SetSnapshotSource([&] {
        ++taken;
        return INVALID_HANDLE_VALUE;
    });
    Press(L"cmdRefresh");
    std::vector<std::wstring> expected = before;
    expected.push_back(kMessage);
    EXPECT_EQ(Entries(), expected);
    Processes().RefreshProcessList(L"");
    expected.push_back(kMessage);
    EXPECT_EQ(Entries(), expected);

    // "Terminate" cannot end anything without a snapshot either.
    Select(L"zqproc.exe");
    Press(L"cmdTerminateProcess");
    expected.push_back(kMessage);
    EXPECT_EQ(Entries(), expected);
    EXPECT_FALSE(p1.Ended(300));

    // A source that hands back no handle at all counts as a failure too.
    Processes().SetSnapshotSource([&] {
        ++taken;
        return HANDLE(nullptr);
    });
    Press(L"cmdRefresh");
    expected.push_back(kMessage);
    EXPECT_EQ(Entries(), expected);
    EXPECT_EQ(taken, 4);
    EXPECT_TRUE(rt.messages.empty()) << "the failure is shown in the list only";

    // Back on the real snapshot: selecting the message entry and pressing "Terminate" ends
    // nothing and rebuilds the list without it.
    Processes().SetSnapshotSource(nullptr);
    Select(kMessage);
    Press(L"cmdTerminateProcess");
    EXPECT_EQ(Count(kMessage), 0);
    EXPECT_EQ(Count(L"zqproc.exe"), 1);
    EXPECT_TRUE(p1.Running());
}

TEST_F(ProcessListTest, RefreshingAndEndingLeaveNoHandleOpen) {
    std::vector<probe::Started> doomed;
    for (int i = 0; i < 5; ++i) doomed.push_back(Start(L"zqleak.exe"));
    Load();
    Press(L"cmdRefresh");  // anything opened once, on first use, is open by now

    DWORD before = probe::HandleCount();
    ASSERT_GT(before, 0u) << "the handle count cannot be read";
    for (int i = 0; i < 100; ++i) Press(L"cmdRefresh");
    EXPECT_EQ(probe::HandleCount(), before) << "after 100 refreshes";

    Processes().RefreshProcessList(L"zqleak");
    for (const probe::Started& p : doomed) EXPECT_TRUE(p.Ended(5000));
    EXPECT_EQ(probe::HandleCount(), before) << "after ending five processes";

    Processes().SetSnapshotSource([] { return INVALID_HANDLE_VALUE; });
    for (int i = 0; i < 10; ++i) Press(L"cmdRefresh");
    EXPECT_EQ(probe::HandleCount(), before) << "after failed snapshots";
}

// The main window is where the list is wired: its load lists the processes and its buttons
// reach the list.
TEST(ProcessListOnTheMainWindowTest, LoadListsTheProcessesAndRefreshReachesTheList) {
    TestRuntime rt;
    mainwin::MainForm main;
    main.Form().EnsureLoaded();
    ui::Control& list = main[L"lstProcess"];
    auto count = [&](const std::wstring& name) {
        int n = 0;
        for (int i = 0; i < list.ListCount(); ++i) n += list.List(i) == name;
        return n;
    };
    EXPECT_EQ(count(L"win_tests.exe"), 1);

    list.AddItem(L"stale entry");
    main[L"cmdRefresh"].Click();
    EXPECT_EQ(count(L"stale entry"), 0);
    EXPECT_EQ(count(L"win_tests.exe"), 1);
    EXPECT_TRUE(rt.messages.empty());
    main.Form().Unload();
    PumpMessages();
}

}  // namespace
