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

// The visible edges of the mark, and the rectangle they frame together.
RECT MarkBounds(DWORD pid, size_t& edges) {
    std::vector<HWND> found = TopWindows(pid, L"DorvaneTargetMark");
    edges = found.size();
    RECT all = {0, 0, 0, 0};
    for (HWND h : found) {
        RECT r;
        GetWindowRect(h, &r);
        UnionRect(&all, &all, &r);
    }
    return all;
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
    size_t edges = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            RECT m = MarkBounds(s.app->Pid(), edges);
            return edges == 4 && EqualRect(&m, &tr);
        },
        3000))
        << "four edges around the target";
    SaveScreenshot(L"inspector-mark");

    // On the target's own edge, under the mark, the pick is still the target.
    MouseMove(POINT{tr.left + 1, (tr.top + tr.bottom) / 2});
    MouseMove(POINT{tr.left + 2, (tr.top + tr.bottom) / 2});
    Sleep(300);
    EXPECT_EQ(Text(s(L"txthWnd")), Num(target)) << "the mark is not picked";

    MouseButton(false);
    EXPECT_TRUE(WaitUntil(
        [&] {
            MarkBounds(s.app->Pid(), edges);
            return edges == 0;
        },
        3000))
        << "gone on release";
    EXPECT_EQ(Text(s(L"txtMhWnd")), Num(target));
    stop = true;
    owner.join();
}

}  // namespace
}  // namespace e2e
