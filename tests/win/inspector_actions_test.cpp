// The "Manage Window" buttons on windows the test creates: each has its one effect on the
// picked window, and none at all without a usable handle.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "inspector_support.h"
#include "ui/form.h"

namespace inspector_test {
namespace {

const RECT kPlace = {40, 60, 340, 260};
const DWORD kOverlapped = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

bool Topmost(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

RECT RectOf(HWND h) {
    RECT r = {};
    GetWindowRect(h, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct WindowActionsTest : MainFormFixture {};

TEST_F(WindowActionsTest, ShowStateButtonsHideShowMinimiseMaximiseAndRestore) {
    TestWindow w(kOverlapped, L"Target", kPlace);
    RECT normal = RectOf(w.Hwnd());
    Pick(w.Hwnd());

    Actions().cmdHide_Click();
    EXPECT_FALSE(IsWindowVisible(w.Hwnd()));
    Actions().cmdShow_Click();
    EXPECT_TRUE(IsWindowVisible(w.Hwnd()));

    Actions().cmdMinimize_Click();
    EXPECT_TRUE(IsIconic(w.Hwnd()));
    Actions().cmdMaximize_Click();
    EXPECT_FALSE(IsIconic(w.Hwnd()));
    EXPECT_TRUE(IsZoomed(w.Hwnd()));
    Actions().cmdNormal_Click();
    EXPECT_FALSE(IsZoomed(w.Hwnd()));
    EXPECT_FALSE(IsIconic(w.Hwnd()));
    EXPECT_TRUE(IsWindowVisible(w.Hwnd()));
    EXPECT_TRUE(SameRect(RectOf(w.Hwnd()), normal)) << "back to its normal place and size";

    // Hidden, then shown with no new pick in between: the same handle brings it back.
    Actions().cmdHide_Click();
    Actions().cmdNormal_Click();
    EXPECT_TRUE(IsWindowVisible(w.Hwnd()));
}

TEST_F(WindowActionsTest, DisableAndEnableAndTheTopmostBandKeepPlaceAndSize) {
    TestWindow w(kOverlapped, L"Target", kPlace);
    RECT before = RectOf(w.Hwnd());
    Pick(w.Hwnd());

    Actions().cmdDisable_Click();
    EXPECT_FALSE(IsWindowEnabled(w.Hwnd()));
    Actions().cmdEnable_Click();
    EXPECT_TRUE(IsWindowEnabled(w.Hwnd()));

    ASSERT_FALSE(Topmost(w.Hwnd()));
    Actions().cmdOnTop_Click();
    EXPECT_TRUE(Topmost(w.Hwnd()));
    EXPECT_TRUE(SameRect(RectOf(w.Hwnd()), before));
    Actions().cmdNotOnTop_Click();
    EXPECT_FALSE(Topmost(w.Hwnd()));
    EXPECT_TRUE(SameRect(RectOf(w.Hwnd()), before));
}

TEST_F(WindowActionsTest, FlashTwiceBringsTheCaptionBack) {
    TestWindow w(kOverlapped, L"Target", kPlace);
    Pick(w.Hwnd());
    w.seen.clear();
    Actions().cmdFlash_Click();
    Actions().cmdFlash_Click();
    // The system repaints the caption through WM_NCACTIVATE, inverted, then back.
    std::vector<WPARAM> looks;
    for (const Seen& s : w.seen)
        if (s.msg == WM_NCACTIVATE) looks.push_back(s.wp != 0);
    ASSERT_EQ(looks.size(), 2u);
    EXPECT_NE(looks[0], looks[1]);
}

TEST_F(WindowActionsTest, TerminateAsksTheWindowToCloseWithBothParametersZero) {
    auto w = std::make_unique<TestWindow>(kOverlapped, L"Target", kPlace);
    HWND h = w->Hwnd();
    Pick(h);
    Actions().cmdTerminate_Click();
    PumpMessages();
    ASSERT_EQ(w->Count(WM_CLOSE), 1);
    EXPECT_EQ(w->seen.back().wp, 0u);
    EXPECT_EQ(w->seen.back().lp, 0);
    EXPECT_FALSE(IsWindow(h)) << "the window's own handling of the request closed it";
}

TEST_F(WindowActionsTest, TerminateDoesNotWaitForAWindowThatNeverAnswers) {
    // A window whose thread is stuck: it does not take a message until told to go on.
    HANDLE goOn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> stuck{nullptr};
    std::atomic<int> closes{0};
    std::thread owner([&] {
        TestWindow w(kOverlapped, L"Stuck", kPlace);
        stuck = w.Hwnd();
        SetEvent(created);
        WaitForSingleObject(goOn, INFINITE);
        MSG msg;
        DWORD until = GetTickCount() + 3000;
        while (IsWindow(w.Hwnd()) && GetTickCount() < until) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(5);
        }
        closes = w.Count(WM_CLOSE);
    });
    WaitForSingleObject(created, 5000);
    ASSERT_TRUE(stuck.load());
    Pick(stuck);

    DWORD start = GetTickCount();
    Actions().cmdTerminate_Click();
    DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 200u) << "the button held the main window for " << took << " ms";
    // The main window answers at once while the target is still stuck.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(
        SendMessageTimeoutW(main->Form().Hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer));

    SetEvent(goOn);
    owner.join();
    EXPECT_EQ(closes.load(), 1) << "the request reached the window once it woke up";
    EXPECT_FALSE(IsWindow(stuck));
    CloseHandle(goOn);
    CloseHandle(created);
}

TEST_F(WindowActionsTest, NoButtonWaitsForAStuckWindowAndEachEffectArrivesInOrderLater) {
    using inspector::WindowActions;
    const std::wstring title = L"\u041f\u0440\u0438\u0432\u0435\u0442 \u4e16\u754c";
    HANDLE goOn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> stuck{nullptr};
    // What the window's own thread saw once it woke up.
    bool settled = false, visible = true, enabled = true, topmost = false, iconic = true,
         zoomed = true;
    std::wstring seenTitle;
    std::thread owner([&] {
        TestWindow w(kOverlapped, L"Stuck", kPlace);
        const HWND h = w.Hwnd();
        stuck = h;
        SetEvent(created);
        // Held for at most 10 s: a button that does wait then fails the bound below instead
        // of hanging the whole run.
        WaitForSingleObject(goOn, 10000);
        auto arrived = [&] {
            return !IsWindowVisible(h) && !IsWindowEnabled(h) && Topmost(h) && TextOf(h) == title;
        };
        MSG msg;
        DWORD until = GetTickCount() + 5000;
        while (!(settled = arrived()) && GetTickCount() < until) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        visible = IsWindowVisible(h);
        enabled = IsWindowEnabled(h);
        topmost = Topmost(h);
        iconic = IsIconic(h);
        zoomed = IsZoomed(h);
        seenTitle = TextOf(h);
    });
    WaitForSingleObject(created, 5000);
    ASSERT_TRUE(stuck.load());
    Pick(stuck);

    // Every button but Terminate (tested above), in an order whose outcome tells whether
    // each kind of request arrived in the order given.
    const std::pair<const char*, void (WindowActions::*)()> clicks[] = {
        {"Minimize", &WindowActions::cmdMinimize_Click},
        {"Maximize", &WindowActions::cmdMaximize_Click},
        {"Normal", &WindowActions::cmdNormal_Click},
        {"Show", &WindowActions::cmdShow_Click},
        {"Flash", &WindowActions::cmdFlash_Click},
        {"Enable", &WindowActions::cmdEnable_Click},
        {"Not on top", &WindowActions::cmdNotOnTop_Click},
        {"Set title", &WindowActions::cmdSetTitle_Click},
        {"On top", &WindowActions::cmdOnTop_Click},
        {"Disable", &WindowActions::cmdDisable_Click},
        {"Hide", &WindowActions::cmdHide_Click},
    };
    rt.inputReply = title;
    for (const auto& [name, click] : clicks) {
        DWORD start = GetTickCount();
        (Actions().*click)();
        DWORD took = GetTickCount() - start;
        EXPECT_LT(took, 500u) << name << " held the main window for " << took << " ms";
    }
    DWORD_PTR answer = 0;
    EXPECT_TRUE(
        SendMessageTimeoutW(main->Form().Hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer));

    SetEvent(goOn);
    owner.join();
    EXPECT_TRUE(settled) << "not every request reached the window once it woke up";
    EXPECT_FALSE(visible);
    EXPECT_FALSE(enabled) << "Disable came after Enable";
    EXPECT_TRUE(topmost) << "On top came after Not on top";
    EXPECT_FALSE(iconic);
    EXPECT_FALSE(zoomed);
    EXPECT_EQ(seenTitle, title);
    CloseHandle(goOn);
    CloseHandle(created);
}

TEST_F(WindowActionsTest, SetTitleAsksFirstThenAppliesTheAnswerEvenAnEmptyOne) {
    TestWindow w(kOverlapped, L"Old title", kPlace);
    Pick(w.Hwnd());
    rt.inputReply = L"Nouveau caf\u00e9";
    Actions().cmdSetTitle_Click();
    ASSERT_EQ(rt.prompts.size(), 1u);
    EXPECT_EQ(rt.prompts[0], L"Enter new window title:|Ozmiscope +");
    EXPECT_EQ(TextOf(w.Hwnd()), L"Nouveau caf\u00e9");
    EXPECT_EQ(Box(L"txtTitle").Text(), L"") << "nothing is read back";

    // Characters the ANSI code page lacks arrive as typed, not as question marks.
    const std::wstring wide = L"\u041f\u0440\u0438\u0432\u0435\u0442 \u4e16\u754c \u00e9";
    rt.inputReply = wide;
    Actions().cmdSetTitle_Click();
    EXPECT_EQ(TextOf(w.Hwnd()), wide);

    // Cancel (or OK on an empty entry) gives the window an empty title.
    rt.inputReply = L"";
    Actions().cmdSetTitle_Click();
    EXPECT_EQ(rt.prompts.size(), 3u);
    EXPECT_EQ(TextOf(w.Hwnd()), L"");
}

TEST_F(WindowActionsTest, WithoutAUsableHandleNothingHappensAndNothingIsShown) {
    TestWindow w(kOverlapped, L"Untouched", kPlace);
    const std::wstring h = w.HandleText();
    const long long wrapped = static_cast<long long>(inspector::HandleNumber(w.Hwnd())) +
                              4294967296LL;  // the same low 32 bits
    wchar_t hex[32];
    swprintf(hex, 32, L"0x%X", static_cast<unsigned>(inspector::HandleNumber(w.Hwnd())));
    // Texts that a careless reading would turn into the window's handle.
    const std::wstring texts[] = {L"", h + L"x",  h + L".0", std::to_wstring(wrapped),
                                  hex, h + L" 1", L"\t" + h, L"&H" + h};
    rt.inputReply = L"Changed";
    size_t prompts = 0;
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(testing::PrintToString(text));
        Box(L"txtMhWnd").SetText(text);
        w.seen.clear();
        auto& a = Actions();
        a.cmdMaximize_Click();
        a.cmdMinimize_Click();
        a.cmdNormal_Click();
        a.cmdFlash_Click();
        a.cmdDisable_Click();
        a.cmdSetTitle_Click();
        a.cmdOnTop_Click();
        a.cmdHide_Click();
        a.cmdTerminate_Click();
        PumpMessages();
        EXPECT_TRUE(IsWindow(w.Hwnd()));
        EXPECT_TRUE(IsWindowVisible(w.Hwnd()));
        EXPECT_TRUE(IsWindowEnabled(w.Hwnd()));
        EXPECT_FALSE(IsIconic(w.Hwnd()));
        EXPECT_FALSE(IsZoomed(w.Hwnd()));
        EXPECT_FALSE(Topmost(w.Hwnd()));
        EXPECT_EQ(TextOf(w.Hwnd()), L"Untouched");
        EXPECT_EQ(w.Count(WM_CLOSE), 0);
        EXPECT_EQ(w.Count(WM_NCACTIVATE), 0);
        // The input box still comes up first, and nothing else is shown.
        EXPECT_EQ(rt.prompts.size(), ++prompts);
        EXPECT_TRUE(rt.messages.empty());
    }
}

TEST_F(WindowActionsTest, HandlesOfNoWindowCloseNothing) {
    TestWindow w(kOverlapped, L"Bystander", kPlace);
    Box(L"txtMhWnd").SetText(L"0");
    Actions().cmdTerminate_Click();
    Actions().cmdHide_Click();
    MSG msg;
    // A post to "no window" would be a thread message in our own queue.
    EXPECT_FALSE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), WM_CLOSE, WM_CLOSE, PM_REMOVE));
    // 65535 is the broadcast handle: a close request there would reach every window.
    Box(L"txtMhWnd").SetText(L"65535");
    Actions().cmdTerminate_Click();
    PumpMessages();
    EXPECT_EQ(w.Count(WM_CLOSE), 0);
    EXPECT_TRUE(main->Form().Loaded());
}

TEST_F(WindowActionsTest, ActionsOnAChildControlTouchOnlyThatControl) {
    TestWindow parent(kOverlapped, L"Parent", kPlace);
    TestWindow button(WS_CHILD | WS_VISIBLE | WS_TABSTOP, L"Press", RECT{10, 10, 110, 40},
                      parent.Hwnd(), 0, L"BUTTON");
    Pick(button.Hwnd());
    Actions().cmdHide_Click();
    EXPECT_FALSE(IsWindowVisible(button.Hwnd()));
    EXPECT_TRUE(IsWindowVisible(parent.Hwnd()));
    Actions().cmdShow_Click();
    EXPECT_TRUE(IsWindowVisible(button.Hwnd()));
    rt.inputReply = L"Renamed";
    Actions().cmdSetTitle_Click();
    EXPECT_EQ(TextOf(button.Hwnd()), L"Renamed");
    EXPECT_EQ(TextOf(parent.Hwnd()), L"Parent");
}

TEST_F(WindowActionsTest, PinningTheMainWindowLeavesTheStoredSettingAlone) {
    Pick(main->Form().Hwnd());
    Actions().cmdOnTop_Click();
    EXPECT_TRUE(main->Form().IsTopmost());
    EXPECT_EQ(Box(L"chkOnTop").Value(), 0);
    EXPECT_TRUE(rt.saves.empty());
    Actions().cmdNotOnTop_Click();
    EXPECT_FALSE(main->Form().IsTopmost());

    // Disabling the main window itself takes its input away until it is enabled again.
    Actions().cmdDisable_Click();
    EXPECT_FALSE(IsWindowEnabled(main->Form().Hwnd()));
    Actions().cmdEnable_Click();
    EXPECT_TRUE(IsWindowEnabled(main->Form().Hwnd()));
}

TEST_F(WindowActionsTest, TerminateOnTheMainWindowClosesItFromTheMessageLoop) {
    Pick(main->Form().Hwnd());
    // Pressed as the user would: through the button's own click.
    ui::Guarded(main->Form()[L"cmdTerminate"].Click);
    EXPECT_TRUE(main->Form().Loaded()) << "not closed from inside its own button's handler";
    PumpMessages();
    EXPECT_FALSE(main->Form().Loaded());
}

}  // namespace
}  // namespace inspector_test
