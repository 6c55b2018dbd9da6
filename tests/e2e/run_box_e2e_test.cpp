// The run box, the title strip's spots and "Exit", used with the mouse and keyboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"
#include "session.h"
#include "ui/error_modes.h"

namespace e2e {
namespace {

// Every visible top-level window of that class, whatever process owns it.
struct ClassSearch {
    const wchar_t* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOfClass(HWND h, LPARAM lp) {
    return ui::AtBoundary<BOOL>(FALSE, [&]() -> BOOL {
        auto* f = reinterpret_cast<ClassSearch*>(lp);
        if (IsWindowVisible(h) && ClassOf(h) == f->cls) f->found.push_back(h);
        return TRUE;
    });
}

std::vector<HWND> WindowsOfClass(const wchar_t* cls) {
    ClassSearch f{cls, {}};
    EnumWindows(CollectOfClass, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

void EndOwnerOf(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(p, 1);
        WaitForSingleObject(p, 5000);
        CloseHandle(p);
    }
}

// Ends every Notepad when the test ends, whatever happened.
struct NotepadSweeper {
    ~NotepadSweeper() {
        for (HWND h : WindowsOfClass(L"Notepad")) EndOwnerOf(h);
    }
};

POINT ClientToScreenPoint(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
}

// How many pixels of the icon drawn by a message box's icon control match icon, drawn on the
// same background: the icons of other programs' processes cannot be compared by handle.
double IconLikeness(HWND box, LPCWSTR icon) {
    HWND shown = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child && !shown;
         child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"Static" &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            shown = child;
    if (!shown) return 0;
    const int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
    RECT r;
    GetWindowRect(shown, &r);
    HDC screen = GetDC(nullptr);
    HDC a = CreateCompatibleDC(screen), b = CreateCompatibleDC(screen);
    HBITMAP ba = CreateCompatibleBitmap(screen, w, h), bb = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oa = SelectObject(a, ba), ob = SelectObject(b, bb);
    BitBlt(a, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    HBRUSH back = CreateSolidBrush(GetPixel(a, 0, 0));
    RECT all = {0, 0, w, h};
    FillRect(b, &all, back);
    DrawIconEx(b, 0, 0, LoadIconW(nullptr, icon), w, h, 0, nullptr, DI_NORMAL);
    int same = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) same += GetPixel(a, x, y) == GetPixel(b, x, y);
    SelectObject(a, oa);
    SelectObject(b, ob);
    DeleteObject(ba);
    DeleteObject(bb);
    DeleteObject(back);
    DeleteDC(a);
    DeleteDC(b);
    ReleaseDC(nullptr, screen);
    return static_cast<double>(same) / (w * h);
}

// Brings a window of the program in front of the others (a started Notepad may cover it).
void Front(HWND h) {
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Activate(h);
}

TEST(RunBoxE2E, RunBoxStartsProgramsTheSpotsWarnAndMinimiseAndExitEndsAtOnce) {
    NotepadSweeper sweeper;
    ASSERT_TRUE(WindowsOfClass(L"Notepad").empty()) << "a Notepad is already open";
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    HWND text1 = s(L"Text1");
    ASSERT_TRUE(text1);
    const std::wstring transcript = Text(s(L"txtOutputs"));

    // Typed into the run box and Enter: a Notepad window opens, normal-sized and in front.
    ClickAt(CentreOf(text1));
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(s.main) == text1; }, 2000));
    TypeText(L"notepad");
    PressKey(VK_RETURN);
    HWND pad = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::vector<HWND> v = WindowsOfClass(L"Notepad");
            pad = v.empty() ? nullptr : v.front();
            return pad != nullptr;
        },
        15000))
        << "no Notepad window";
    EXPECT_FALSE(IsIconic(pad));
    EXPECT_FALSE(IsZoomed(pad));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == pad; }, 3000))
        << "the started program has the focus";
    EXPECT_EQ(Text(text1), L"notepad") << "the run box keeps its text";
    SaveScreenshot(L"run-box-notepad");

    // "Go" starts a second copy from the same text.
    Front(s.main);
    ClickAt(CentreOf(s(L"Command1")));
    EXPECT_TRUE(WaitUntil([] { return WindowsOfClass(L"Notepad").size() == 2; }, 15000));
    EXPECT_EQ(Text(text1), L"notepad");

    // A name that is no program: nothing at all happens.
    Front(s.main);
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"zq_no_such_program"));
    ClickAt(CentreOf(s(L"Command1")));
    EXPECT_EQ(s.app->WaitForMessageBox(1000), nullptr) << "no message for a failed start";
    EXPECT_EQ(Text(text1), L"zq_no_such_program");
    EXPECT_EQ(Text(s(L"txtOutputs")), transcript) << "the run box captures nothing";

    // The close spot: the warning, every time, and the window stays.
    for (int i = 0; i < 2; ++i) {
        Front(s.main);
        ClickAt(ClientToScreenPoint(s.main, 850, 8));
        HWND box = s.app->WaitForMessageBox(5000);
        ASSERT_TRUE(box) << "no warning";
        EXPECT_EQ(MessageBoxText(box), L"Disabled by Administrator.");
        EXPECT_EQ(Text(box), L"Warning");
        const double warning = IconLikeness(box, IDI_WARNING);
        EXPECT_GT(warning, 0.95) << "the warning icon";
        EXPECT_GT(warning, IconLikeness(box, IDI_ERROR));
        EXPECT_GT(warning, IconLikeness(box, IDI_INFORMATION));
        if (i == 0) SaveScreenshot(L"close-spot-warning");
        PressMessageBoxButton(box);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 3000));
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_TRUE(s.app->Running());
    }

    // The minimise spot.
    Front(s.main);
    ClickAt(ClientToScreenPoint(s.main, 768, 8));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(s.main) != FALSE; }, 3000));
    ShowWindow(s.main, SW_RESTORE);
    ASSERT_TRUE(WaitUntil([&] { return !IsIconic(s.main); }, 3000));

    // "Exit", with the about box open beside the main window when there is one: the program
    // ends at once, the programs it started keep running.
    Front(s.main);
    ClickAt(CentreOf(s(L"Command2")));
    HWND about = s.app->WaitForWindow(L"mvAbout", 3000);
    if (!about)
        std::printf("[ note     ] no about box came up; Exit is pressed beside Notepad only\n");
    Front(s.main);
    SaveScreenshot(L"before-exit");
    ClickAt(CentreOf(s(L"Command3")));
    EXPECT_TRUE(s.app->WaitExit(5000)) << "Exit did not end the program";
    EXPECT_EQ(WindowsOfClass(L"Notepad").size(), 2u) << "started programs keep running";
}

}  // namespace
}  // namespace e2e
