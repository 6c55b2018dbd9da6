// The cross-hair from the keyboard: Enter picks the window of another program the user came
// from, the arrow keys walk the window tree from the picked one, each pick writes what a drag's
// movement writes and is told to a reader, and nothing of it happens during a drag.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "inspector/style_names.h"
#include "inspector/target_mark.h"
#include "inspector_support.h"
#include "probe_support.h"
#include "value_events.h"

namespace inspector_test {
namespace {

std::wstring ClassOfWindow(HWND h) {
    wchar_t cls[64] = L"";
    GetClassNameW(h, cls, 64);
    return cls;
}

// What the nine boxes read after a drag's movement over h, alive or gone.
std::vector<std::wstring> Expected(HWND h) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(h, &r);
    HWND p = GetParent(h);
    return {Num(h),
            IsWindow(h) ? TextOf(h).substr(0, 254) : L"",
            inspector::AnsiClassName(h),
            inspector::DescribeStyleBits(static_cast<uint32_t>(GetWindowLongA(h, GWL_STYLE))),
            inspector::RectText(r.left, r.top, r.right, r.bottom),
            Num(p),
            p ? TextOf(p).substr(0, 254) : L"",
            p ? inspector::AnsiClassName(p) : L"",
            Num(h)};
}

// The frame the mark shows on screen now: the union of its visible sides.
RECT MarkNow() {
    RECT bounds = {0, 0, 0, 0};
    for (HWND h = FindWindowExW(nullptr, nullptr, inspector::TargetMark::kClass, nullptr); h;
         h = FindWindowExW(nullptr, h, inspector::TargetMark::kClass, nullptr)) {
        RECT r;
        if (IsWindowVisible(h) && GetWindowRect(h, &r)) UnionRect(&bounds, &bounds, &r);
    }
    return bounds;
}
// Waits (pumping) for the mark to frame `want` (or, for an empty one, to be gone).
bool MarkSettlesOn(const RECT& want) {
    for (int i = 0; i < 300; ++i) {
        RECT now = MarkNow();
        if (EqualRect(&now, &want) || (IsRectEmpty(&want) && IsRectEmpty(&now))) return true;
        PumpMessages(10);
    }
    return false;
}
RECT FrameAround(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    InflateRect(&r, inspector::TargetMark::Thickness(), inspector::TargetMark::Thickness());
    return r;
}

// The sibling a walk reaches: the next in the z-order that is not one of the mark's sides.
HWND SiblingPast(HWND h, UINT cmd) {
    do {
        h = GetWindow(h, cmd);
    } while (h && ClassOfWindow(h) == inspector::TargetMark::kClass);
    return h;
}

struct KeysTest : MainFormFixture {
    void SetUp() override {
        MainFormFixture::SetUp();
        main->Form().Show();
        PumpMessages(50);
        box = Box(L"picCrossHair").Hwnd();
    }
    // A key to the cross-hair's window, as the message loop hands it on.
    void Press(WPARAM vk) {
        SendMessageW(box, WM_KEYDOWN, vk, 1);
        PumpMessages();
    }
    std::vector<std::wstring> Boxes() {
        std::vector<std::wstring> v;
        for (const wchar_t* name : kNine) v.push_back(Box(name).Text());
        return v;
    }
    HWND box = nullptr;
};

TEST_F(KeysTest, TheArrowsWalkTheTreeAndEachStepIsAPick) {
    TestWindow top(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Tree top", RECT{40, 40, 400, 300});
    TestWindow first(WS_CHILD | WS_VISIBLE, L"First", RECT{10, 10, 110, 40}, top.Hwnd(), 0,
                     L"BUTTON");
    TestWindow hidden(WS_CHILD, L"Hidden", RECT{10, 50, 110, 80}, top.Hwnd(), 0, L"STATIC");
    TestWindow inner(WS_CHILD | WS_VISIBLE, L"Inner", RECT{2, 2, 40, 20}, first.Hwnd(), 0,
                     L"STATIC");
    // The children in the system's z-order: the walk follows it, whichever it is.
    HWND one = GetWindow(top.Hwnd(), GW_CHILD);
    HWND two = GetWindow(one, GW_HWNDNEXT);
    ASSERT_TRUE(one && two);
    ASSERT_EQ(GetWindow(two, GW_HWNDNEXT), nullptr);
    struct Step {
        WPARAM key;
        HWND to;  // nullptr: no such window, nothing changes and the system beeps
    };
    std::vector<Step> steps = {{VK_DOWN, one},   {VK_RIGHT, two},    {VK_RIGHT, nullptr},
                               {VK_LEFT, one},   {VK_LEFT, nullptr}, {VK_UP, top.Hwnd()},
                               {VK_UP, nullptr}, {VK_DOWN, one}};
    if (one != first.Hwnd()) steps.push_back({VK_RIGHT, first.Hwnd()});
    for (Step s : {Step{VK_DOWN, inner.Hwnd()}, Step{VK_DOWN, nullptr}, Step{VK_UP, first.Hwnd()},
                   Step{VK_RIGHT, first.Hwnd() == one ? two : nullptr}, Step{VK_UP, top.Hwnd()}})
        steps.push_back(s);
    Pick(top.Hwnd());

    ValueEvents events(box);
    ASSERT_TRUE(events.Hooked());
    std::vector<std::wstring> order;
    for (const wchar_t* name : kNine)
        main->Form().Design(name).Change = [&order, name] { order.push_back(name); };
    int picks = 0;
    size_t beeps = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "key " << s.key << " to " << Num(s.to));
        const std::vector<std::wstring> before = Boxes();
        order.clear();
        Press(s.key);
        if (!s.to) {
            ++beeps;
            EXPECT_EQ(Boxes(), before) << "nothing changes";
            EXPECT_TRUE(order.empty());
            ASSERT_EQ(rt.beeps.size(), beeps);
            EXPECT_EQ(rt.beeps.back(), static_cast<UINT>(MB_OK));
            continue;
        }
        ++picks;
        EXPECT_EQ(Boxes(), Expected(s.to));
        // A box whose text stays the same raises no change; the others in the drag's order.
        std::vector<size_t> at;
        for (const std::wstring& name : order)
            at.push_back(static_cast<size_t>(std::find(std::begin(kNine), std::end(kNine), name) -
                                             std::begin(kNine)));
        EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << "in the order a drag writes them";
        EXPECT_EQ(order.back(), L"txtMhWnd");
        EXPECT_EQ(Box(L"picCrossHair").AccessibleValue(),
                  inspector::PickedWindowLine(inspector::HandleNumber(s.to),
                                              inspector::AnsiClassName(s.to), TextOf(s.to)));
        // The mark frames the picked window, hidden or not, just outside its outline.
        EXPECT_TRUE(MarkSettlesOn(FrameAround(s.to)));
    }
    EXPECT_EQ(rt.beeps.size(), beeps);
    EXPECT_EQ(events.Count(), picks) << "one value change a pick";
    EXPECT_EQ(Box(L"txtMhWnd").Text(), top.HandleText()) << "left picked for the actions";

    // The keyboard's mark stays while the keyboard is on the box, and goes with the focus.
    Box(L"picCrossHair").SetFocus();
    Press(VK_DOWN);
    EXPECT_TRUE(MarkSettlesOn(FrameAround(one)));
    Box(L"txtTitle").SetFocus();
    EXPECT_TRUE(MarkSettlesOn(RECT{0, 0, 0, 0}));

    // With no picked window, or one that has closed, there is nowhere to go.
    HWND closed = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    DestroyWindow(closed);
    rt.beeps.clear();
    for (const std::wstring& picked :
         {std::wstring(), std::wstring(L"not a handle"), std::wstring(L"0"), Num(closed)}) {
        Box(L"txtMhWnd").SetText(picked);
        for (WPARAM key : {WPARAM(VK_UP), WPARAM(VK_DOWN), WPARAM(VK_LEFT), WPARAM(VK_RIGHT)})
            Press(key);
        EXPECT_EQ(Box(L"txtMhWnd").Text(), picked);
    }
    EXPECT_EQ(rt.beeps.size(), 16u);
}

TEST_F(KeysTest, EnterPicksTheLastWindowOfAnotherProgramTheUserWasIn) {
    ValueEvents events(box);
    // Nowhere to come back from yet.
    Press(VK_RETURN);
    EXPECT_EQ(rt.beeps.size(), 1u);
    EXPECT_EQ(Box(L"txtMhWnd").Text(), L"");

    // Another program takes the foreground, then the user comes back.
    std::wstring cmd = probe::QuotedTestChild() + L" front 20000";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(
        CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND other = nullptr;
    for (int i = 0; i < 300 && !other; ++i) {
        PumpMessages(20);
        DWORD pid = 0;
        HWND fg = GetForegroundWindow();
        GetWindowThreadProcessId(fg, &pid);
        if (pid == pi.dwProcessId) other = fg;
    }
    ASSERT_TRUE(other) << "the other program never came to the front";
    PumpMessages(50);
    EXPECT_EQ(Picker().CameFrom(), other);
    // The program's own windows are never where the user came from.
    TestWindow own(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Own", RECT{600, 40, 800, 200});
    SetForegroundWindow(own.Hwnd());
    PumpMessages(100);
    SetForegroundWindow(main->Form().Hwnd());
    for (int i = 0; i < 100 && !main->Form().Active(); ++i) PumpMessages(10);
    ASSERT_TRUE(main->Form().Active());
    EXPECT_EQ(Picker().CameFrom(), other);

    for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_SPACE)}) {
        Box(L"txtMhWnd").SetText(L"");
        Press(key);
        EXPECT_EQ(Boxes(), Expected(other));
    }
    EXPECT_EQ(Box(L"txtClass").Text(), L"Static");
    EXPECT_EQ(Box(L"picCrossHair").AccessibleValue(),
              L"hWnd " + Num(other) + L", class Static, title front");

    // Gone since: what a drag over a window that has just closed writes.
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    for (int i = 0; i < 200 && IsWindow(other); ++i) PumpMessages(10);
    ASSERT_FALSE(IsWindow(other));
    Press(VK_RETURN);
    const std::vector<std::wstring> gone = {Num(other), L"", L"", L"",       L"(0, 0) - (0, 0)",
                                            L"0",       L"", L"", Num(other)};
    EXPECT_EQ(Boxes(), gone);
    EXPECT_EQ(Box(L"picCrossHair").AccessibleValue(), L"hWnd " + Num(other) + L", no window");
    EXPECT_EQ(events.Count(), 3);
    EXPECT_EQ(rt.beeps.size(), 1u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

TEST_F(KeysTest, DuringADragTheKeysPickNothingAndTheReleaseIsToldOnce) {
    TestWindow a(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"A", RECT{10, 10, 200, 200});
    TestWindow b(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"B", RECT{300, 10, 500, 200});
    ValueEvents events(box);
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(Picker().Dragging());
    RECT r;
    GetWindowRect(a.Hwnd(), &r);
    SetCursorPos(r.left + 50, r.top + 50);
    SendMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_EQ(Box(L"txtMhWnd").Text(), a.HandleText());
    for (WPARAM key : {WPARAM(VK_UP), WPARAM(VK_DOWN), WPARAM(VK_LEFT), WPARAM(VK_RIGHT),
                       WPARAM(VK_RETURN), WPARAM(VK_SPACE)})
        Press(key);
    EXPECT_EQ(Box(L"txtMhWnd").Text(), a.HandleText());
    EXPECT_TRUE(rt.beeps.empty());
    EXPECT_EQ(events.Count(), 0) << "a drag's movements are not told one by one";

    GetWindowRect(b.Hwnd(), &r);
    SetCursorPos(r.left + 50, r.top + 50);
    SendMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(events.Count(), 1) << "the drag's pick, at its release";
    EXPECT_EQ(Box(L"picCrossHair").AccessibleValue(),
              L"hWnd " + b.HandleText() + L", class " + TestWindow::kClass + L", title B");

    // After it the keys walk from what the drag picked; with Ctrl, Alt or Shift they do not.
    const HWND next = SiblingPast(b.Hwnd(), GW_HWNDNEXT);
    ASSERT_TRUE(next);
    int key = VK_RIGHT;
    Picker().picCrossHair_KeyDown(key, 2);
    EXPECT_EQ(key, VK_RIGHT) << "left to the form";
    EXPECT_EQ(Box(L"txtMhWnd").Text(), b.HandleText());
    Picker().picCrossHair_KeyDown(key, 0);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(Box(L"txtMhWnd").Text(), Num(next));
}

}  // namespace
}  // namespace inspector_test
