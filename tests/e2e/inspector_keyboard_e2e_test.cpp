// The window inspector from the keyboard alone, as a user without a mouse meets it: away to a
// window of another program and back, Tab to the cross-hair, Enter picks that window, the
// arrow keys walk its tree, and a window action takes the pick; a screen reader in this
// process hears every pick through the cross-hair's value and its value-change events.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"
#include "session.h"
#include "target_windows.h"
#include "ui/error_modes.h"
#include "win/com.h"

namespace e2e {
namespace {

// The value changes of the cross-hair, as an out-of-context hook in this process hears them.
HWND g_heard = nullptr;
int g_valueChanges = 0;

void CALLBACK OnValueChange(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                            DWORD) {
    ui::AtBoundary([&] {
        if (hwnd == g_heard && object == OBJID_CLIENT && child == CHILDID_SELF) ++g_valueChanges;
    });
}

// Handles this thread's messages (the hook's calls come with them) until cond holds.
bool PumpUntil(const std::function<bool()>& cond, DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (cond()) return true;
        if (GetTickCount() - start > ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::wstring ValueOf(IAccessible* acc) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR b = nullptr;
    acc->get_accValue(self, &b);
    std::wstring s = b ? std::wstring(b, SysStringLen(b)) : L"<none>";
    SysFreeString(b);
    return s;
}

// The colours of the ring just inside a window's client edge, as the screen shows them.
std::vector<COLORREF> InnerRing(HWND h) {
    RECT r;
    GetClientRect(h, &r);
    POINT o = {0, 0};
    ClientToScreen(h, &o);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> ring;
    for (int x = 1; x < r.right - 1; ++x) {
        ring.push_back(GetPixel(screen, o.x + x, o.y + 1));
        ring.push_back(GetPixel(screen, o.x + x, o.y + r.bottom - 2));
    }
    ReleaseDC(nullptr, screen);
    return ring;
}
int Differences(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n;
}

struct InspectorKeyboardE2E : ::testing::Test {
    MainSession s;
    HWND top = nullptr, first = nullptr, second = nullptr;
    std::unique_ptr<TargetThread> targets;

    void SetUp() override {
        s = StartToMain();
        ASSERT_TRUE(s.main);
        RECT m;
        GetWindowRect(s.main, &m);
        ASSERT_GT(GetSystemMetrics(SM_CYSCREEN) - m.bottom, 200) << "no room below the main window";
        targets = std::make_unique<TargetThread>([&] {
            top = MakeWindow(0x16CF0000, L"Keyboard target",
                             RECT{0, m.bottom + 10, 420, m.bottom + 210});
            first = MakeWindow(0x50010000, L"First", RECT{20, 20, 140, 60}, top, L"BUTTON");
            second = MakeWindow(0x50010000, L"Second", RECT{160, 20, 280, 60}, top, L"BUTTON");
        });
        ASSERT_TRUE(top && first && second);
    }
    void TearDown() override { targets.reset(); }

    HWND Box() const { return s(L"picCrossHair"); }
    // Away to another program's window and back, as Alt+Tab does where a window manager
    // offers it (Wine on a bare X server has none): the program has seen itself left before
    // it is activated again.
    void AwayAndBack(HWND other) {
        Activate(other);
        ASSERT_EQ(GetForegroundWindow(), other);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(s.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        Activate(s.main);
        ASSERT_EQ(GetForegroundWindow(), s.main);
    }
    // Tab by Tab, each one waited for, so that a slow answer never sends the focus past it.
    void TabTo(HWND target) {
        for (int i = 0; i < 60 && FocusIn(s.main) != target; ++i) {
            const HWND before = FocusIn(s.main);
            PressKey(VK_TAB);
            WaitUntil([&] { return FocusIn(s.main) != before; }, 5000);
        }
        ASSERT_EQ(FocusIn(s.main), target) << "Tab never reached it";
    }
    // The nine boxes read what a drag over h writes; the hidden txtMhWnd is written last.
    void ExpectPicked(HWND h, const std::wstring& style) {
        ASSERT_TRUE(WaitUntil([&] { return Text(s(L"txtMhWnd")) == Num(h); }, 5000))
            << "picked " << Narrow(Text(s(L"txtMhWnd"))) << ", not " << Narrow(Num(h));
        HWND p = GetParent(h);
        EXPECT_EQ(Text(s(L"txthWnd")), Num(h));
        EXPECT_EQ(Text(s(L"txtTitle")), TitleOf(h));
        EXPECT_EQ(Text(s(L"txtClass")), ClassOf(h));
        EXPECT_EQ(Text(s(L"txtStyle")), style);
        EXPECT_EQ(Text(s(L"txtRect")), RectText(h));
        EXPECT_EQ(Text(s(L"txtParent")), Num(p));
        EXPECT_EQ(Text(s(L"txtParentText")), p ? TitleOf(p) : L"");
        EXPECT_EQ(Text(s(L"txtParentClass")), p ? ClassOf(p) : L"");
    }
};

TEST_F(InspectorKeyboardE2E, TheKeyboardAlonePicksWalksTheTreeAndActsAndAReaderHearsEachPick) {
    win::ComScope com;
    g_heard = Box();
    g_valueChanges = 0;
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, OnValueChange,
                        s.app->Pid(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);

    AwayAndBack(top);
    const std::vector<COLORREF> unfocused = InnerRing(Box());
    TabTo(Box());
    EXPECT_TRUE(WaitUntil([&] { return Differences(InnerRing(Box()), unfocused) > 10; }, 5000))
        << "the box shows that it has the focus";
    SaveScreenshot(L"inspector-keyboard-focus");
    win::ComPtr<IAccessible> reader;
    ASSERT_EQ(AccessibleObjectFromWindow(Box(), static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reader.PutVoid()),
              S_OK);

    const std::wstring topStyle =
        L"WS_BORDER WS_CAPTION WS_CLIPCHILDREN WS_CLIPSIBLINGS WS_DLGFRAME WS_GROUP "
        L"WS_MAXIMIZEBOX WS_MINIMIZEBOX WS_SYSMENU WS_TABSTOP WS_THICKFRAME WS_VISIBLE ";
    const std::wstring childStyle = L"WS_CHILD WS_MAXIMIZEBOX WS_TABSTOP WS_VISIBLE ";
    // Enter: the window the user came from; then its first child, that one's next sibling
    // and back up to their parent; up again there is no parent (no pick: the next step's
    // count of value changes says so), and down and up once more.
    // The children in the system's order, whichever it is.
    HWND firstChild = GetWindow(top, GW_CHILD);
    HWND nextSibling = GetWindow(firstChild, GW_HWNDNEXT);
    ASSERT_TRUE(nextSibling);
    struct Step {
        WORD key;
        HWND picks;  // nullptr: nothing
        const std::wstring& style;
    };
    const Step steps[] = {{VK_RETURN, top, topStyle},
                          {VK_DOWN, firstChild, childStyle},
                          {VK_RIGHT, nextSibling, childStyle},
                          {VK_UP, top, topStyle},
                          {VK_UP, nullptr, topStyle},
                          {VK_DOWN, firstChild, childStyle},
                          {VK_UP, top, topStyle}};
    int picks = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "key " << step.key);
        PressKey(step.key);
        if (!step.picks) continue;
        ExpectPicked(step.picks, step.style);
        ++picks;
        EXPECT_TRUE(PumpUntil([&] { return g_valueChanges >= picks; }))
            << g_valueChanges << " value changes for " << picks << " picks";
        EXPECT_EQ(g_valueChanges, picks);
        EXPECT_EQ(ValueOf(reader.Get()), L"hWnd " + Num(step.picks) + L", class " +
                                             ClassOf(step.picks) + L", title " +
                                             TitleOf(step.picks));
        EXPECT_EQ(FocusIn(s.main), Box()) << "the focus stays on the cross-hair";
    }
    SaveScreenshot(L"inspector-keyboard-picked");
    UnhookWinEvent(hook);
    g_heard = nullptr;

    // A window action takes the pick: Tab to "Hide" and press it.
    ASSERT_TRUE(IsWindowVisible(top));
    TabTo(s(L"cmdHide"));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(top); }, 5000)) << "the picked window hid";
    EXPECT_TRUE(IsWindowVisible(s.main));
}

}  // namespace
}  // namespace e2e
