// While the cross-hair is dragged, a frame marks the window under it: exactly the window the
// boxes describe, following the pointer, never in the way of the pick, gone on release.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "driver.h"
#include "session.h"

namespace e2e {
namespace {

std::wstring Num(HWND h) {
    return std::to_wstring(static_cast<int32_t>(reinterpret_cast<intptr_t>(h)));
}

// The visible sides of the mark: how many, the rectangle they cover together, and whether
// any of them lies over the window r.
struct Mark {
    size_t sides = 0;
    RECT bounds = {0, 0, 0, 0};
    bool over = false;
};
Mark MarkOf(DWORD pid, const RECT& r) {
    Mark m;
    for (HWND h : TopWindows(pid, L"DorvaneTargetMark")) {
        RECT e, common;
        GetWindowRect(h, &e);
        ++m.sides;
        UnionRect(&m.bounds, &m.bounds, &e);
        m.over = m.over || IntersectRect(&common, &e, &r);
    }
    return m;
}

// The frame hugs r from outside: an even band all round, nothing over r itself.
bool Frames(const Mark& m, const RECT& r) {
    const int t = r.left - m.bounds.left;
    RECT outer = r;
    InflateRect(&outer, t, t);
    return m.sides == 4 && t > 0 && t < 20 && EqualRect(&m.bounds, &outer) && !m.over;
}

TEST(InspectorMarkE2E, AFrameMarksExactlyTheWindowThePickWouldTake) {
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    // A plain window of this test's own, away from the main window.
    std::atomic<HWND> target{nullptr};
    std::atomic<bool> stop{false};
    std::thread owner([&] {
        HWND w = CreateWindowExW(0, L"STATIC", L"mark me", WS_POPUP | WS_VISIBLE | WS_BORDER, 60,
                                 700, 320, 200, nullptr, nullptr, nullptr, nullptr);
        target = w;
        MSG msg;
        while (!stop) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(10);
        }
        DestroyWindow(w);
    });
    ASSERT_TRUE(WaitUntil([&] { return target.load() != nullptr; }));
    RECT tr;
    GetWindowRect(target, &tr);

    POINT from = CentreOf(s(L"picCrossHair")), to = CentreOf(target);
    MouseMove(from);
    MouseButton(true);
    for (int k = 1; k <= 8; ++k)
        MouseMove(POINT{from.x + (to.x - from.x) * k / 8, from.y + (to.y - from.y) * k / 8});
    EXPECT_TRUE(WaitUntil([&] { return Text(s(L"txthWnd")) == Num(target); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return Frames(MarkOf(s.app->Pid(), tr), tr); }, 3000))
        << "four sides around the target";
    SaveScreenshot(L"inspector-mark");

    // Onto the frame itself, just outside the target: the boxes describe what lies beneath
    // it, never the frame; back on the target's own edge, the pick is the target again.
    const int mid = (tr.top + tr.bottom) / 2;
    MouseMove(POINT{tr.left - 3, mid});
    MouseMove(POINT{tr.left - 2, mid});
    EXPECT_TRUE(WaitUntil([&] { return Text(s(L"txthWnd")) != Num(target); }, 3000));
    EXPECT_NE(Text(s(L"txtClass")), L"DorvaneTargetMark");
    MouseMove(POINT{tr.left, mid});
    EXPECT_TRUE(WaitUntil([&] { return Text(s(L"txthWnd")) == Num(target); }, 3000))
        << "the target's own edge";
    EXPECT_TRUE(WaitUntil([&] { return Frames(MarkOf(s.app->Pid(), tr), tr); }, 3000));

    MouseButton(false);
    EXPECT_TRUE(WaitUntil([&] { return MarkOf(s.app->Pid(), tr).sides == 0; }, 3000))
        << "gone on release";
    // The boxes may be written a moment after the mark went, where the program runs slowly.
    EXPECT_TRUE(WaitUntil([&] { return Text(s(L"txtMhWnd")) == Num(target); }, 3000))
        << "the release keeps the target";
    stop = true;
    owner.join();
}

}  // namespace
}  // namespace e2e
