// The window inspector as a user meets it: dragging the cross-hair from its box over windows
// this test puts on the screen, reading the boxes, copying the report, retitling and closing
// the picked window, also one whose program has stopped answering.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"
#include "pixels.h"
#include "session.h"
#include "target_windows.h"
#include "ui/error_modes.h"

namespace e2e {
namespace {

std::wstring LongTitle(size_t n) {
    std::wstring s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<wchar_t>(L'A' + i % 26));
    return s;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L"\r\n", pos);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(pos) + L"<no CR LF>");
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::wstring ClipboardText() {
    std::wstring text = L"<no text>";
    if (!OpenClipboard(nullptr)) return L"<clipboard busy>";
    if (HANDLE mem = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* data = static_cast<const wchar_t*>(GlobalLock(mem))) {
            text = data;
            GlobalUnlock(mem);
        }
    }
    CloseClipboard();
    return text;
}

// The colours inside a window's client area, as the screen shows them.
std::vector<COLORREF> ClientPixels(HWND h) {
    RECT r;
    GetClientRect(h, &r);
    POINT o = {0, 0};
    ClientToScreen(h, &o);
    OffsetRect(&r, o.x, o.y);
    return testpixels::Shown(nullptr, r);
}

struct BoxLook {
    int background = 0, black = 0, coloured = 0;
};
BoxLook LookOf(HWND box) {
    BoxLook look;
    for (COLORREF c : ClientPixels(box)) {
        if (c == RGB(224, 224, 224))
            ++look.background;
        else if (GetRValue(c) < 40 && GetGValue(c) < 40 && GetBValue(c) < 40)
            ++look.black;
        else
            ++look.coloured;
    }
    return look;
}

HCURSOR CurrentCursor() {
    CURSORINFO ci = {};
    ci.cbSize = sizeof ci;
    GetCursorInfo(&ci);
    return ci.hCursor;
}

POINT Centre(HWND h, int dx = 0, int dy = 0) {
    POINT p = CentreOf(h);
    return POINT{p.x + dx, p.y + dy};
}

// Moves the pointer from a to b in even steps.
void Glide(POINT a, POINT b, int steps) {
    for (int i = 1; i <= steps; ++i)
        MouseMove(POINT{a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps});
}

struct InspectorE2E : ::testing::Test {
    MainSession s;
    HWND top = nullptr, button = nullptr, popup = nullptr;
    std::unique_ptr<TargetThread> targets;

    void SetUp() override {
        s = StartToMain();
        ASSERT_TRUE(s.main);
        RECT m;
        GetWindowRect(s.main, &m);
        // The targets sit around the main window, where nothing covers them.
        ASSERT_GT(GetSystemMetrics(SM_CYSCREEN) - m.bottom, 200) << "no room below the main window";
        targets = std::make_unique<TargetThread>([&] {
            top =
                MakeWindow(0x16CF0000, LongTitle(300), RECT{0, m.bottom + 10, 420, m.bottom + 210});
            button = MakeWindow(0x50010000, L"Press", RECT{20, 20, 140, 60}, top, L"BUTTON");
            popup =
                MakeWindow(0x94C80000, L"Popup", RECT{m.right + 5, 10, m.right + 200, 200}, top);
        });
        ASSERT_TRUE(top && button && popup);
        Activate(s.main);
    }
    void TearDown() override {
        MouseButton(false);
        targets.reset();
    }
    HWND Box() const { return s(L"picCrossHair"); }
    std::wstring BoxText(const wchar_t* name) const { return Text(s(name)); }
    // Presses on the cross-hair box and moves a little, still over it.
    void StartDrag() {
        MouseMove(Centre(Box()));
        MouseButton(true);
        MouseMove(Centre(Box(), 3, 2));
    }
    // The report is written box by box, the hidden txtMhWnd last, and another process can read
    // it between two boxes: it is whole for h once its first and its last box both name h.
    bool Shows(HWND h, DWORD ms = 3000) const {
        return WaitUntil(
            [&] { return BoxText(L"txthWnd") == Num(h) && BoxText(L"txtMhWnd") == Num(h); }, ms);
    }
    // Drags from the box to a point of h and lets go there.
    void Pick(HWND h, POINT at) {
        StartDrag();
        Glide(Centre(Box(), 3, 2), at, 8);
        EXPECT_TRUE(Shows(h));
        MouseButton(false);
    }
    // Reaches an unseen button with Tab, as a keyboard user does, and presses it.
    void PressWithKeyboard(const wchar_t* name) {
        Activate(s.main);
        HWND target = s(name);
        for (int i = 0; i < 40 && FocusIn(s.main) != target; ++i) PressKey(VK_TAB);
        ASSERT_EQ(FocusIn(s.main), target) << "Tab never reached " << Narrow(name);
        PressKey(VK_RETURN);
    }
};

TEST_F(InspectorE2E, DraggingTheCrossHairReadsEachWindowAndTheReportCopiesIt) {
    // Before any drag: the globe, and a report of labels alone.
    EXPECT_GT(LookOf(Box()).coloured, 50) << "the globe picture";
    OpenClipboard(top);
    EmptyClipboard();
    SetClipboardData(RegisterClipboardFormatW(L"Dorvane.E2E.Other"), GlobalAlloc(GMEM_MOVEABLE, 4));
    CloseClipboard();
    PressWithKeyboard(L"cmdCopy");
    EXPECT_TRUE(WaitUntil([] { return ClipboardText().size() == 144; }, 3000));
    EXPECT_EQ(ClipboardText(),
              L"Window Handle:  \r\nWindow Caption: \r\nWindow Class:   \r\nWindow Style:   \r\n"
              L"Rectangle:      \r\nParent Handle:  \r\nParent Caption: \r\nParent Class:   \r\n");
    EXPECT_FALSE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Dorvane.E2E.Other")));

    // The press: the box empties, the pointer turns into the cross-hair; the box reports itself.
    HCURSOR before = CurrentCursor();
    StartDrag();
    EXPECT_TRUE(Shows(Box()));
    EXPECT_EQ(BoxText(L"txtClass"), L"DorvanePicture");
    EXPECT_EQ(BoxText(L"txtParent"), Num(s.main));
    EXPECT_EQ(BoxText(L"txtParentClass"), L"frmShelvox");
    EXPECT_TRUE(WaitUntil([&] { return LookOf(Box()).coloured + LookOf(Box()).black == 0; }, 2000))
        << "the box is empty during the drag";
    HCURSOR dragging = CurrentCursor();
    EXPECT_NE(dragging, before);

    // Over the button inside the target window.
    Glide(Centre(Box(), 3, 2), Centre(button), 8);
    ASSERT_TRUE(Shows(button));
    EXPECT_EQ(CurrentCursor(), dragging) << "the cross-hair follows the pointer everywhere";
    EXPECT_EQ(BoxText(L"txtTitle"), L"Press");
    EXPECT_EQ(BoxText(L"txtClass"), L"Button");
    EXPECT_EQ(BoxText(L"txtStyle"), L"WS_CHILD WS_MAXIMIZEBOX WS_TABSTOP WS_VISIBLE ");
    EXPECT_EQ(BoxText(L"txtRect"), RectText(button));
    EXPECT_EQ(BoxText(L"txtParent"), Num(top));
    EXPECT_EQ(BoxText(L"txtParentText"), LongTitle(254));
    EXPECT_EQ(BoxText(L"txtParentClass"), kTargetClass);
    EXPECT_EQ(BoxText(L"txtMhWnd"), Num(button));

    // Over the owned pop-up: its owner is its parent.
    Glide(Centre(button), Centre(popup), 10);
    ASSERT_TRUE(Shows(popup));
    EXPECT_EQ(BoxText(L"txtStyle"),
              L"WS_BORDER WS_CAPTION WS_CLIPSIBLINGS WS_DLGFRAME WS_SYSMENU WS_POPUPWINDOW "
              L"WS_VISIBLE ");
    EXPECT_EQ(BoxText(L"txtParent"), Num(top));

    // With the right button held as well nothing changes; letting it go resumes the updates.
    MouseButton(true, true);
    Glide(Centre(popup), Centre(top, 100, 40), 10);
    Sleep(200);
    EXPECT_EQ(BoxText(L"txthWnd"), Num(popup));
    MouseButton(false, true);
    MouseMove(Centre(top, 101, 40));
    ASSERT_TRUE(Shows(top));
    SaveScreenshot(L"inspector-dragging");

    // The release over the top-level window without owner.
    MouseButton(false);
    Sleep(200);
    // (Cursor handles differ between processes, so only the cross-hair's own is compared.)
    EXPECT_NE(CurrentCursor(), dragging) << "the pointer is back to normal";
    BoxLook after = LookOf(Box());
    EXPECT_GT(after.black, 20) << "the box shows the cross-hair";
    EXPECT_EQ(after.coloured, 0) << "the cross-hair, not the globe";
    // Moving afterwards changes nothing.
    MouseMove(Centre(popup));
    Sleep(200);
    EXPECT_EQ(BoxText(L"txthWnd"), Num(top));
    EXPECT_EQ(BoxText(L"txtMhWnd"), Num(top));
    SaveScreenshot(L"inspector-picked");

    const std::wstring style =
        L"WS_BORDER WS_CAPTION WS_CLIPCHILDREN WS_CLIPSIBLINGS WS_DLGFRAME WS_GROUP "
        L"WS_MAXIMIZEBOX WS_MINIMIZEBOX WS_SYSMENU WS_TABSTOP WS_THICKFRAME WS_VISIBLE ";
    EXPECT_EQ(BoxText(L"txtTitle"), LongTitle(254));
    EXPECT_EQ(BoxText(L"txtStyle"), style);

    PressWithKeyboard(L"cmdCopy");
    EXPECT_TRUE(WaitUntil([] { return ClipboardText().size() > 144; }, 3000));
    std::vector<std::wstring> lines = Lines(ClipboardText());
    std::vector<std::wstring> expected = {L"Window Handle:  " + Num(top),
                                          L"Window Caption: " + LongTitle(254),
                                          L"Window Class:   " + std::wstring(kTargetClass),
                                          L"Window Style:   " + style,
                                          L"Rectangle:      " + RectText(top),
                                          L"Parent Handle:  0",
                                          L"Parent Caption: ",
                                          L"Parent Class:   "};
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
}

TEST_F(InspectorE2E, ADragAcrossTheScreenKeepsUp) {
    StartDrag();
    ASSERT_TRUE(Shows(Box()));
    // Back and forth between the pop-up and the target window, as fast as a hand moves.
    POINT a = Centre(popup), b = Centre(top, 120, 40);
    int checked = 0, behind = 0;
    DWORD start = GetTickCount();
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i <= 30; ++i) {
            POINT from = round % 2 ? b : a, to = round % 2 ? a : b;
            POINT p = {from.x + (to.x - from.x) * i / 30, from.y + (to.y - from.y) * i / 30};
            MouseMove(p);  // one movement every 15 ms
            if (round == 1 && i == 15) SaveScreenshot(L"inspector-drag-across");
            HWND under = WindowFromPoint(p);
            if (under != popup && under != top) continue;
            ++checked;
            if (BoxText(L"txthWnd") != Num(under)) ++behind;
        }
    }
    DWORD took = GetTickCount() - start;
    MouseButton(false);
    printf("drag across: %d checked points, %d behind, %lu ms for 93 movements\n", checked, behind,
           static_cast<unsigned long>(took));
    ASSERT_GT(checked, 10);
    EXPECT_LE(behind * 10, checked) << "the boxes lag behind the pointer";
}

TEST_F(InspectorE2E, SetTitleAsksInItsOwnBoxThenRetitlesThePickedWindow) {
    Pick(top, Centre(top, 120, 40));
    PressWithKeyboard(L"cmdSetTitle");
    HWND box = s.app->WaitForWindow(L"Dorvane.InputBox", 5000);
    ASSERT_TRUE(box);
    // Keys go where the focus is: the box's edit takes it a moment after the box appears.
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(box) == GetDlgItem(box, 100); }, 5000))
        << "the focus is in " << Narrow(ClassOf(FocusIn(box)));
    EXPECT_EQ(Text(box), L"Ozmiscope +");
    EXPECT_EQ(Text(GetDlgItem(box, 101)), L"Enter new window title:");
    EXPECT_EQ(Text(GetDlgItem(box, 100)), L"") << "no default text";
    EXPECT_FALSE(IsWindowEnabled(s.main)) << "the box is modal to the program";
    SaveScreenshot(L"inspector-set-title");
    TypeText(L"Retitled by Dorvane");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return TitleOf(top) == L"Retitled by Dorvane"; }, 3000))
        << Narrow(TitleOf(top));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(s.main) != FALSE; }, 2000));
    EXPECT_EQ(BoxText(L"txtTitle"), LongTitle(254)) << "nothing is read back";

    // Cancel gives the picked window an empty title.
    PressWithKeyboard(L"cmdSetTitle");
    box = s.app->WaitForWindow(L"Dorvane.InputBox", 5000);
    ASSERT_TRUE(box);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(box) == GetDlgItem(box, 100); }, 5000));
    TypeText(L"dropped");
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return TitleOf(top).empty(); }, 3000)) << Narrow(TitleOf(top));
    EXPECT_TRUE(WaitUntil([&] { return s.app->WaitForWindow(L"Dorvane.InputBox", 0) == nullptr; }));
}

TEST_F(InspectorE2E, TerminateOnAWindowThatStoppedAnsweringLeavesTheMainWindowWorking) {
    HWND stuck = nullptr;
    RECT m;
    GetWindowRect(s.main, &m);
    TargetThread frozen(
        [&] {
            stuck =
                MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Stuck", RECT{0, 0, 200, m.top - 5});
        },
        true);
    ASSERT_TRUE(stuck);
    g_closeRequests = 0;
    Pick(stuck, Centre(stuck, 0, 20));
    // A read of the frozen window's texts can keep the picker a while; the report it ends
    // with is the one that counts.
    ASSERT_TRUE(WaitUntil([&] { return BoxText(L"txtMhWnd") == Num(stuck); }, 3000))
        << "the report ended on " << Narrow(BoxText(L"txtMhWnd"));

    ClickAt(Centre(s(L"cmdTerminate")));
    // The main window goes on taking input at once: a new drag is read as usual.
    DWORD start = GetTickCount();
    Pick(top, Centre(top, 120, 40));
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(BoxText(L"txthWnd"), Num(top));
    EXPECT_LT(took, 2500u) << "the main window was held for " << took << " ms";
    EXPECT_TRUE(IsWindow(stuck)) << "nothing closed while the target was not answering";

    // Once the target answers again it finds the request: WM_CLOSE with both parameters 0.
    frozen.Release();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(stuck); }, 5000));
    EXPECT_EQ(g_closeRequests.load(), 1);
}

}  // namespace
}  // namespace e2e
