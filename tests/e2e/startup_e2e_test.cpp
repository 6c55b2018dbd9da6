// Whole starts of the program, each from a fresh state: the first start with its terms, the
// declined first start, later starts with their usage line, a second copy and a spoilt record.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"
#include "session.h"

namespace e2e {
namespace {

const wchar_t kSave[] = L"C:\\SAVE";
const wchar_t kRecordFolder[] = L"C:\\SAVE\\MV";
const wchar_t kRecord[] = L"C:\\SAVE\\MV\\mv006.txt";

// Pixels of a 96 dpi display on this display: the forms are laid out in twips.
int Px(int pixelsAt96) {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return MulDiv(pixelsAt96, dpi, 96);
}

std::wstring LogsFolder() {
    std::wstring exe = ProgramPath();
    return exe.substr(0, exe.find_last_of(L'\\')) + L"\\Logs";
}

bool FolderExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const wchar_t* path) {
    DWORD a = GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const wchar_t* path) {
    std::string bytes;
    if (FILE* f = _wfopen(path, L"rb")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
        fclose(f);
    }
    return bytes;
}

void WriteBytes(const wchar_t* path, const std::string& bytes) {
    FILE* f = _wfopen(path, L"wb");
    ASSERT_TRUE(f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
        lines.push_back(text.substr(pos, end - pos));
    if (pos != text.size()) lines.push_back("<unterminated>" + text.substr(pos));
    return lines;
}

// A first start: C:\SAVE present, no record and no record folder, no Logs folder.
void PrepareFirstStart() {
    ResetState();
    CreateDirectoryW(kSave, nullptr);
    DeleteFileW(kRecord);
    RemoveDirectoryW(kRecordFolder);
    RemoveDirectoryW(LogsFolder().c_str());
}

std::wstring UsageOf(HWND main) { return Text(Control(main, L"mvIns")); }

// Every visible top-level window of the process that is one of the program's forms.
std::vector<std::wstring> FormsShown(const App& app) {
    std::vector<std::wstring> shown;
    for (const wchar_t* cls : {L"mvLoad", L"mvTerms", L"mvAbout", L"frmShelvox"})
        if (!TopWindows(app.Pid(), cls).empty()) shown.push_back(cls);
    return shown;
}

// Waits for the program to settle after a screen change (Wine may hold it briefly while it
// takes a window off the display).
void Settle(HWND hwnd) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
}

// The static control that shows a message box's icon.
HWND IconOf(HWND box) {
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == L"Static" && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return c;
    return nullptr;
}

// How many of a window's pixels on screen are yellow, red or blue: enough to tell the
// warning icon (yellow) from the error (red) and information (blue) icons.
struct Tints {
    int yellow = 0, red = 0, blue = 0;
};
Tints TintsOnScreen(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    Tints t;
    HDC dc = GetDC(nullptr);
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            int R = GetRValue(c), G = GetGValue(c), B = GetBValue(c);
            if (R > 180 && G > 140 && B < 100)
                ++t.yellow;
            else if (R > 180 && G < 90 && B < 90)
                ++t.red;
            else if (B > 180 && R < 120)
                ++t.blue;
        }
    }
    ReleaseDC(nullptr, dc);
    return t;
}

void ClickControl(HWND control) {
    ClickAt(CentreOf(control));
    Sleep(100);
}

TEST(StartupE2E, FirstStartShowsTheSplashThenTheTermsAndAcceptOpensTheMainWindow) {
    PrepareFirstStart();
    DWORD started = GetTickCount();
    auto app = App::Start();
    ASSERT_TRUE(app) << "cannot start dorvane.exe: error " << GetLastError();

    HWND splash = app->WaitForWindow(L"mvLoad", 15000);
    ASSERT_TRUE(splash);
    EXPECT_TRUE(FolderExists(LogsFolder())) << "the splash makes the Logs folder as it loads";
    // The triangle's visible part: (0,0), (379,0), (379,121), (300,200) at 96 dpi.
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(splash, rgn), ERROR) << "the splash has a window region";
    EXPECT_TRUE(PtInRegion(rgn, Px(5), Px(2)));
    EXPECT_TRUE(PtInRegion(rgn, Px(370), Px(5)));
    EXPECT_TRUE(PtInRegion(rgn, Px(300), Px(150)));
    EXPECT_FALSE(PtInRegion(rgn, Px(20), Px(150))) << "below the diagonal is cut away";
    EXPECT_FALSE(PtInRegion(rgn, Px(300), Px(230)));
    DeleteObject(rgn);
    RECT wr;
    GetWindowRect(splash, &wr);
    EXPECT_EQ(wr.right - wr.left, Px(379));
    EXPECT_EQ(wr.bottom - wr.top, Px(244));
    Sleep(1500);
    SaveScreenshot(L"startup-splash");
    Sleep(3300);  // near the end of the bar's run
    SaveScreenshot(L"startup-splash-late");

    HWND terms = app->WaitForWindow(L"mvTerms", 30000);
    ASSERT_TRUE(terms);
    std::printf("[ timing ] start to terms screen: %lu ms\n", GetTickCount() - started);
    Settle(terms);
    EXPECT_EQ(FormsShown(*app), std::vector<std::wstring>{L"mvTerms"})
        << "the splash is gone and the main window not yet there";

    // The record: five CR LF lines, the product fourth, the start's date fifth.
    std::vector<std::string> lines = CrLfLines(ReadBytes(kRecord));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "www.moravelt.example");
    EXPECT_EQ(lines[1].rfind("Developer: ", 0), 0u);
    EXPECT_EQ(lines[2], "www.social.example/moravelt");
    EXPECT_EQ(lines[3], "Dorvane");
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t today[64];
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, today, 64);
    std::string todayA(today, today + wcslen(today));
    EXPECT_EQ(lines[4].rfind(todayA + " ", 0), 0u) << lines[4];

    HWND button = Control(terms, L"Command1"), check = Control(terms, L"Check1"),
         text = Control(terms, L"Text1");
    ASSERT_TRUE(button && check && text);
    EXPECT_EQ(Text(button), L"E&xit");
    EXPECT_EQ(FocusIn(terms), button) << "the button is first in the tab order";
    std::wstring terms0 = Text(text);
    EXPECT_EQ(terms0.rfind(L"END USER LICENSE AGREEMENT\r\n", 0), 0u);
    EXPECT_GT(terms0.size(), 3900u);
    SaveScreenshot(L"startup-terms");

    // The terms box never keeps the focus, and nothing typed reaches it.
    ClickControl(text);
    EXPECT_EQ(FocusIn(terms), button);
    PostMessageW(text, WM_CHAR, L'Z', 0);
    TypeText(L"q");
    PressKey(VK_DELETE);
    Sleep(200);
    EXPECT_EQ(Text(text), terms0);
    EXPECT_TRUE(app->Running());

    // The box's state decides the button's caption, as often as it changes.
    ClickControl(check);
    EXPECT_EQ(Text(button), L"Ac&cept");
    ClickControl(check);
    EXPECT_EQ(Text(button), L"E&xit");
    ClickControl(check);
    EXPECT_EQ(Text(button), L"Ac&cept");
    SaveScreenshot(L"startup-terms-accepting");

    ClickControl(button);
    HWND main = app->WaitForWindow(L"frmShelvox", 10000);
    ASSERT_TRUE(main);
    Settle(main);
    EXPECT_TRUE(TopWindows(app->Pid(), L"mvTerms").empty()) << "the terms screen closed";
    EXPECT_EQ(UsageOf(main), L"") << "a first start has no usage line yet";
    EXPECT_EQ(CrLfLines(ReadBytes(kRecord)).size(), 5u) << "accepting keeps the record";
}

TEST(StartupE2E, DecliningTheFirstStartForgetsItAndEnds) {
    PrepareFirstStart();
    auto app = App::Start();
    ASSERT_TRUE(app) << "cannot start dorvane.exe: error " << GetLastError();
    HWND terms = app->WaitForWindow(L"mvTerms", 30000);
    ASSERT_TRUE(terms);
    Settle(terms);
    ASSERT_TRUE(FileExists(kRecord));

    // The access key of "E&xit" presses it.
    Activate(terms);
    PressKey('X');
    EXPECT_TRUE(app->WaitExit(5000)) << "E&xit ends the program";
    EXPECT_FALSE(FileExists(kRecord)) << "the record of the declined start is gone";

    // So the next start is a first start again.
    auto again = App::Start();
    ASSERT_TRUE(again) << "cannot start dorvane.exe: error " << GetLastError();
    EXPECT_TRUE(again->WaitForWindow(L"mvTerms", 30000));
    EXPECT_TRUE(FileExists(kRecord));
}

TEST(StartupE2E, LaterStartGoesStraightToTheMainWindowWithTheUsageLine) {
    ResetState();
    WriteFirstRunRecord(0);
    std::string record = ReadBytes(kRecord);
    DWORD started = GetTickCount();
    auto app = App::Start();
    ASSERT_TRUE(app) << "cannot start dorvane.exe: error " << GetLastError();

    // Watch every window the start shows until the main window is there.
    bool termsSeen = false, splashSeen = false;
    DWORD splashAt = 0;
    HWND main = nullptr;
    WaitUntil(
        [&] {
            if (!splashSeen && !TopWindows(app->Pid(), L"mvLoad").empty()) {
                splashSeen = true;
                splashAt = GetTickCount();
            }
            termsSeen |= !TopWindows(app->Pid(), L"mvTerms").empty();
            auto v = TopWindows(app->Pid(), L"frmShelvox");
            main = v.empty() ? nullptr : v.front();
            return main != nullptr;
        },
        30000);
    ASSERT_TRUE(main);
    DWORD shown = GetTickCount() - started;
    std::printf(
        "[ timing ] start to main window: %lu ms, of which the splash's 560 ticks: %lu ms\n", shown,
        GetTickCount() - splashAt);
    EXPECT_TRUE(splashSeen);
    EXPECT_FALSE(termsSeen) << "the terms screen is never drawn on a later start";
    EXPECT_GT(shown, 2000u) << "the splash runs its 560 ticks first";
    Settle(main);
    EXPECT_EQ(FormsShown(*app), std::vector<std::wstring>{L"frmShelvox"});
    EXPECT_EQ(UsageOf(main), L"You are using this about 0 Year(s) , And 0 Day(s) (Total: 0 Days)");
    EXPECT_EQ(ReadBytes(kRecord), record) << "a later start leaves the record alone";

    MainSession s{std::move(app), main};
    FinishStartupHelp(s);

    // "About": one box at a time, fresh after "Close", with no owner.
    HWND about2 = s(L"Command2");
    ASSERT_TRUE(about2);
    ClickControl(about2);
    HWND about = s.app->WaitForWindow(L"mvAbout", 5000);
    ASSERT_TRUE(about);
    Settle(about);
    EXPECT_EQ(GetWindow(about, GW_OWNER), nullptr);
    RECT cr;
    GetClientRect(about, &cr);
    EXPECT_EQ(cr.right, Px(791));
    EXPECT_EQ(cr.bottom, Px(398));
    SaveScreenshot(L"startup-about");
    // The box lies over the button, so this press comes as the button's own click.
    PostMessageW(about2, BM_CLICK, 0, 0);
    Settle(main);
    EXPECT_EQ(TopWindows(s.app->Pid(), L"mvAbout").size(), 1u) << "no second about box";
    HWND close = Control(about, L"Command1");
    ASSERT_TRUE(close);
    EXPECT_EQ(Text(close), L"Close");
    ClickControl(close);
    EXPECT_TRUE(WaitUntil([&] { return TopWindows(s.app->Pid(), L"mvAbout").empty(); }, 5000));
    Settle(main);
    EXPECT_TRUE(s.app->Running()) << "closing the about box leaves the program running";
    ClickControl(about2);
    HWND again = s.app->WaitForWindow(L"mvAbout", 5000);
    EXPECT_TRUE(again) << "About opens the box again after Close";

    // The program ends with its last form: the main window closed while the about box is
    // open leaves the program running until the box is closed too.
    Settle(main);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TopWindows(s.app->Pid(), L"frmShelvox").empty(); }, 5000));
    EXPECT_FALSE(s.app->WaitExit(500));
    if (again) PostMessageW(again, WM_CLOSE, 0, 0);
    EXPECT_TRUE(s.app->WaitExit(10000)) << "the last form unloaded ends the program";
}

TEST(StartupE2E, RecordFromEightHundredFiftyDaysAgo) {
    ResetState();
    WriteFirstRunRecord(850);
    MainSession s;
    s.app = App::Start();
    ASSERT_TRUE(s.app) << "cannot start dorvane.exe: error " << GetLastError();
    s.main = s.app->WaitForWindow(L"frmShelvox", 30000);
    ASSERT_TRUE(s.main);
    Settle(s.main);
    EXPECT_EQ(UsageOf(s.main),
              L"You are using this about 2 Year(s) , And 120 Day(s) (Total: 850 Days)");
    FinishStartupHelp(s);
    ClickControl(s(L"Command2"));
    ASSERT_TRUE(s.app->WaitForWindow(L"mvAbout", 5000));
    Sleep(300);
    SaveScreenshot(L"startup-about-850");
}

TEST(StartupE2E, SpoiltRecordStillLeadsToTheMainWindow) {
    ResetState();
    WriteFirstRunRecord(0);
    std::string junk = "\xFF\xFE\x00not a record,,\"unclosed\r\n";
    junk += std::string(3000, '\x1A');
    junk += "\r\n\r\n,,,,,,\r\n31/31/31 99:99\r\n";
    WriteBytes(kRecord, junk);
    MainSession s;
    s.app = App::Start();
    ASSERT_TRUE(s.app) << "cannot start dorvane.exe: error " << GetLastError();
    s.main = s.app->WaitForWindow(L"frmShelvox", 30000);
    ASSERT_TRUE(s.main) << "no main window after a spoilt record";
    Settle(s.main);
    EXPECT_EQ(UsageOf(s.main), L"You are using this about 0 Year(s) , And 0 Day(s) (Total:  Days)");
    EXPECT_EQ(ReadBytes(kRecord), junk) << "the spoilt record is left as it was";
}

TEST(StartupE2E, SecondCopyIsRefusedAndMakesNothing) {
    ResetState();
    WriteFirstRunRecord(0);
    RemoveDirectoryW(LogsFolder().c_str());
    auto first = App::Start();
    ASSERT_TRUE(first) << "cannot start dorvane.exe: error " << GetLastError();
    ASSERT_TRUE(first->WaitForWindow(L"mvLoad", 15000));
    ASSERT_TRUE(WaitUntil([] { return FolderExists(LogsFolder()); }, 5000));
    // Take the first copy's folder away to see that the second makes none.
    ASSERT_TRUE(RemoveDirectoryW(LogsFolder().c_str()));

    auto second = App::Start();
    ASSERT_TRUE(second) << "cannot start dorvane.exe: error " << GetLastError();
    HWND box = second->WaitForMessageBox(15000);
    ASSERT_TRUE(box);
    EXPECT_EQ(MessageBoxText(box), L"This application is already running!");
    EXPECT_EQ(Text(box), L"Moravelt");
    HWND icon = IconOf(box);
    ASSERT_TRUE(icon && IsWindowVisible(icon)) << "the box carries an icon";
    Activate(box);
    Tints tints = TintsOnScreen(icon);
    EXPECT_GT(tints.yellow, 100) << "the warning icon is yellow";
    EXPECT_GT(tints.yellow, 4 * (tints.red + tints.blue));
    HWND cancel = GetDlgItem(box, IDCANCEL);
    EXPECT_TRUE(!cancel || !IsWindowVisible(cancel)) << "OK only";
    SaveScreenshot(L"startup-second-copy");

    // Left waiting longer than a whole splash run, it still shows nothing else.
    Sleep(7000);
    EXPECT_TRUE(FormsShown(*second).empty());
    EXPECT_FALSE(FolderExists(LogsFolder())) << "the second copy made no Logs folder";
    PressMessageBoxButton(box);
    EXPECT_TRUE(second->WaitExit(5000)) << "the second copy ends after OK";
    EXPECT_FALSE(FolderExists(LogsFolder()));
    EXPECT_TRUE(first->Running()) << "the first copy carries on";
    EXPECT_TRUE(first->WaitForWindow(L"frmShelvox", 20000));
}

}  // namespace
}  // namespace e2e
