// The start-up screens created in the test process: the splash's load and ticks, the terms
// screen with its first-run record in a folder of the test's own, and the about box.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "mainwin/main_form.h"
#include "startup/about_form.h"
#include "startup/first_run_record.h"
#include "startup/record_file.h"
#include "startup/splash_form.h"
#include "startup/terms_form.h"
#include "startup/terms_text.h"
#include "test_runtime.h"
#include "ui/runtime.h"

namespace {

// Records that the program was ended, then leaves the handler as a real end would.
class StartupRuntime : public TestRuntime {
public:
    [[noreturn]] void End() override {
        ended = true;
        throw EndCalled();
    }
    bool ended = false;
};

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) bytes.append(buf, n);
    CloseHandle(f);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Pixels of a 96 dpi display on the display the form was loaded on.
int Px(ui::Form& form, int pixelsAt96) { return MulDiv(pixelsAt96, form.Dpi(), 96); }

void Click(ui::Control& c) { SendMessageW(c.Hwnd(), BM_CLICK, 0, 0); }

const wchar_t kZeroDays[] = L"You are using this about 0 Year(s) , And 0 Day(s) (Total: 0 Days)";
const wchar_t kNoTotal[] = L"You are using this about 0 Year(s) , And 0 Day(s) (Total:  Days)";

// ---- the terms screen -------------------------------------------------------------------

struct TermsTest : ::testing::Test {
    StartupRuntime rt;
    std::wstring parent, folder, record;
    std::unique_ptr<mainwin::MainForm> main;
    std::unique_ptr<startup::TermsForm> terms;

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        parent = std::wstring(temp) + L"dorvane-terms-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(parent.c_str(), nullptr);
        folder = parent + L"\\MV";
        record = folder + L"\\mv006.txt";
        Make(folder);
    }
    void Make(const std::wstring& recordFolder) {
        terms.reset();
        main = std::make_unique<mainwin::MainForm>();
        terms =
            std::make_unique<startup::TermsForm>(main->Form(), startup::Artwork{}, recordFolder);
    }
    void TearDown() override {
        if (terms) terms->Form().Unload();
        if (main) main->Form().Unload();
        terms.reset();
        main.reset();
        PumpMessages();
        DeleteFileW(record.c_str());
        RemoveDirectoryW(record.c_str());
        RemoveDirectoryW(folder.c_str());
        RemoveDirectoryW(parent.c_str());
    }
    void WriteRecord(const std::string& bytes) {
        CreateDirectoryW(folder.c_str(), nullptr);
        HANDLE f =
            CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD n = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        CloseHandle(f);
    }
    // A later start's record with the first start's date given as text.
    void WriteRecordDated(const std::string& date) {
        WriteRecord(
            "www.moravelt.example\r\nDeveloper: x\r\nwww.social.example/moravelt\r\nDorvane\r\n" +
            date + "\r\n");
    }
    // Shows the terms screen as the splash does; returns the usage line handed over.
    std::wstring Start() {
        terms->Form().Show();
        return main->Form().Loaded() ? (*main)[L"mvIns"].Text() : L"<main not shown>";
    }
    ui::Control& T(const wchar_t* name) { return terms->Form()[name]; }
};

TEST_F(TermsTest, FirstStartWritesTheRecordAndShowsTheTerms) {
    RemoveDirectoryW(folder.c_str());
    terms->Form().Show();

    ASSERT_TRUE(terms->Form().Loaded());
    EXPECT_TRUE(IsWindowVisible(terms->Form().Hwnd()));
    EXPECT_FALSE(main->Form().Loaded()) << "the main window waits for the answer";
    std::wstring expected =
        startup::FirstRunRecordText(startup::FirstRunRecordLines(L"12/8/2026 2:05:09 PM"));
    EXPECT_EQ(ReadAll(record), std::string(expected.begin(), expected.end()));

    EXPECT_EQ(T(L"Command1").Text(), L"E&xit");
    EXPECT_EQ(T(L"Check1").Value(), 0);
    EXPECT_EQ(T(L"Text1").Text(), startup::TermsText());
    EXPECT_EQ(T(L"Text3").Text(), L"");
    EXPECT_EQ(T(L"lstEmployee").ListCount(), 0);
    EXPECT_TRUE(T(L"Command1").HasFocus());
    for (const wchar_t* hidden : {L"Text2", L"Text3", L"lstEmployee"})
        EXPECT_FALSE(IsWindowVisible(T(hidden).Hwnd())) << hidden;

    RECT cr;
    GetClientRect(terms->Form().Hwnd(), &cr);
    EXPECT_EQ(cr.right, Px(terms->Form(), 599));
    EXPECT_EQ(cr.bottom, Px(terms->Form(), 699));
}

TEST_F(TermsTest, TheCheckBoxSwitchesTheButtonAndAcceptHandsOver) {
    terms->Form().Show();
    Click(T(L"Check1"));
    EXPECT_EQ(T(L"Command1").Text(), L"Ac&cept");
    Click(T(L"Check1"));
    EXPECT_EQ(T(L"Command1").Text(), L"E&xit");
    Click(T(L"Check1"));
    EXPECT_EQ(T(L"Command1").Text(), L"Ac&cept");

    Click(T(L"Command1"));
    ASSERT_EQ(rt.opened.size(), 1u);
    EXPECT_EQ(rt.opened[0], L"Open www.social.example/moravelt/photos");
    EXPECT_FALSE(terms->Form().Loaded()) << "the terms screen closed";
    ASSERT_TRUE(main->Form().Loaded());
    EXPECT_TRUE(IsWindowVisible(main->Form().Hwnd()));
    EXPECT_EQ((*main)[L"mvIns"].Text(), L"") << "no usage line on the first start";
    EXPECT_TRUE(Exists(record)) << "accepting keeps the record";
    EXPECT_FALSE(rt.ended);
}

TEST_F(TermsTest, ExitDeletesTheRecordAndEnds) {
    terms->Form().Show();
    ASSERT_TRUE(Exists(record));
    Click(T(L"Command1"));
    EXPECT_TRUE(rt.ended);
    EXPECT_FALSE(Exists(record));
    EXPECT_TRUE(rt.opened.empty());
    EXPECT_FALSE(main->Form().Loaded());
}

TEST_F(TermsTest, TheTermsBoxNeverKeepsTheFocusNorATypedCharacter) {
    terms->Form().Show();
    ui::Control& text = T(L"Text1");
    std::wstring before = text.Text();
    SetFocus(text.Hwnd());
    EXPECT_TRUE(T(L"Command1").HasFocus());
    SendMessageW(text.Hwnd(), WM_CHAR, L'Z', 0);
    SendMessageW(text.Hwnd(), WM_CHAR, VK_BACK, 0);
    SendMessageW(text.Hwnd(), WM_CLEAR, 0, 0);
    SendMessageW(text.Hwnd(), WM_CUT, 0, 0);
    EXPECT_EQ(text.Text(), before);
}

TEST(DaysSinceRecorded, CountsCalendarDaysFromTheDateAsTheLocaleReadsIt) {
    const SYSTEMTIME now = {2026, 12, 2, 8, 14, 5, 9, 0};  // 12/8/2026 2:05:09 PM
    struct Case {
        const wchar_t* recorded;
        long long days;
    } cases[] = {
        {L"12/8/2026 11:59:59 PM", 0},  {L"12/8/2026", 0},
        {L"12/8/2026 12:00:00 AM", 0},  {L"12/7/2026 11:59:59 PM", 1},
        {L"12/8/2025 1:00:00 AM", 365}, {L"8/10/2024", 850},
        {L"12/9/2026 12:00:01 AM", -1}, {L"1/1/2100", -26687},
    };
    for (const Case& c : cases) {
        std::optional<long long> days = startup::DaysSinceRecorded(c.recorded, now);
        ASSERT_TRUE(days.has_value()) << c.recorded;
        EXPECT_EQ(*days, c.days) << c.recorded;
    }
    for (const wchar_t* bad : {L"", L"Dorvane", L"31/31/2026", L"12/8/2026 25:00", L"\x1A\x1A"})
        EXPECT_FALSE(startup::DaysSinceRecorded(bad, now).has_value()) << bad;
}

TEST_F(TermsTest, LaterStartsHandTheUsageLineOverBeforeBeingDrawn) {
    // The test clock reads 12/8/2026 2:05:09 PM.
    struct Case {
        const char* recorded;
        const wchar_t* line;
    } cases[] = {
        {"8/10/2024 6:00:00 AM",
         L"You are using this about 2 Year(s) , And 120 Day(s) (Total: 850 Days)"},
        {"Dorvane", kNoTotal},
    };
    for (const Case& c : cases) {
        Make(folder);
        WriteRecordDated(c.recorded);
        std::string before = ReadAll(record);
        EXPECT_EQ(Start(), c.line) << c.recorded;
        EXPECT_FALSE(terms->Form().Loaded()) << "closed from its own load: " << c.recorded;
        EXPECT_TRUE(IsWindowVisible(main->Form().Hwnd())) << c.recorded;
        EXPECT_EQ(ReadAll(record), before) << "the record stays as it was";
        EXPECT_TRUE(rt.opened.empty());
        main->Form().Unload();
    }
}

TEST_F(TermsTest, TheRecordIsReadItemByItem) {
    struct Case {
        const char* bytes;
        const wchar_t* line;
    } cases[] = {
        // Commas end items too, so the date is still the fifth item.
        {"a,b\r\nc,d\r\n12/7/2026 9:00:00 AM\r\n",
         L"You are using this about 0 Year(s) , And 1 Day(s) (Total: 1 Days)"},
        // Fewer than five items: nothing to select, no total.
        {"www.moravelt.example\r\nDorvane\r\n12/8/2026\r\n", kNoTotal},
        {"\xFF\xFE\x00\x01,,,\r\n\r\n\x1A\x1A garbage \"\r\n", kNoTotal},
    };
    for (const Case& c : cases) {
        Make(folder);
        WriteRecord(c.bytes);
        EXPECT_EQ(Start(), c.line) << c.bytes;
        EXPECT_FALSE(terms->Form().Loaded());
        main->Form().Unload();
    }
}

TEST_F(TermsTest, ARecordThatCannotBeReadGivesNoTotalAndStillHandsOver) {
    WriteRecordDated("12/8/2026");
    HANDLE lock = CreateFileW(record.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Start(), kNoTotal);
    CloseHandle(lock);
    EXPECT_FALSE(terms->Form().Loaded());

    // One far larger than any record of ours is not read either.
    main->Form().Unload();
    Make(folder);
    WriteRecord("a\r\nb\r\nc\r\nd\r\n12/8/2026\r\n" + std::string(100000, 'x'));
    EXPECT_EQ(Start(), kNoTotal);
}

TEST_F(TermsTest, WithoutTheParentFolderNothingIsWrittenAndTheTermsShow) {
    std::wstring missing = parent + L"\\NOSAVE\\MV";
    Make(missing);
    terms->Form().Show();
    EXPECT_TRUE(IsWindowVisible(terms->Form().Hwnd())) << "treated as a first start";
    EXPECT_FALSE(Exists(parent + L"\\NOSAVE")) << "only the last level is made";
    EXPECT_EQ(T(L"Command1").Text(), L"E&xit");
}

TEST_F(TermsTest, AFolderWhereTheRecordShouldBeIsNoRecord) {
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryW(record.c_str(), nullptr));
    terms->Form().Show();
    EXPECT_TRUE(IsWindowVisible(terms->Form().Hwnd()));
    EXPECT_FALSE(main->Form().Loaded());
    Click(T(L"Command1"));
    EXPECT_TRUE(rt.ended);
    EXPECT_TRUE(Exists(record)) << "a folder is not deleted as a record";
}

// ---- the splash -------------------------------------------------------------------------

struct SplashTest : ::testing::Test {
    StartupRuntime rt;
    ui::Form next{
        ui::FormDef{L"SplashTestNext", 1500, 1500, ui::Border::None, RGB(0, 0, 0), {}, 0, 0}, {}};
    std::unique_ptr<startup::SplashForm> splash;
    int nextLoads = 0;
    std::wstring captionAtHandover;
    std::wstring logs = ui::ProgramFolder() + L"\\Logs";

    void SetUp() override {
        RemoveDirectoryW(logs.c_str());
        next.Load = [this] {
            ++nextLoads;
            captionAtHandover = splash->Form()[L"Label3"].Text();
        };
    }
    void TearDown() override {
        if (splash) splash->Form().Unload();
        next.Unload();
        PumpMessages();
        RemoveDirectoryW(logs.c_str());
    }
    void Tick() { splash->Form().GetTimer(L"Timer1").Tick(); }
};

TEST_F(SplashTest, LoadCutsTheWindowToATriangleAndMakesTheLogsFolder) {
    splash = std::make_unique<startup::SplashForm>(next, false, startup::Artwork{});
    splash->Form().EnsureLoaded();
    HWND h = splash->Form().Hwnd();
    ASSERT_TRUE(h);
    EXPECT_TRUE(rt.messages.empty());
    EXPECT_FALSE(rt.ended);

    ui::Form& f = splash->Form();
    const auto& p = splash->RegionPoints();
    EXPECT_EQ(p[0].x, Px(f, 300));
    EXPECT_EQ(p[0].y, Px(f, 200));
    EXPECT_EQ(p[1].x, 0);
    EXPECT_EQ(p[1].y, 0);
    EXPECT_EQ(p[2].x, Px(f, 500));
    EXPECT_EQ(p[2].y, 0);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(h, rgn), ERROR);
    EXPECT_TRUE(PtInRegion(rgn, Px(f, 250), Px(f, 10)));
    EXPECT_TRUE(PtInRegion(rgn, Px(f, 299), Px(f, 198)));
    EXPECT_FALSE(PtInRegion(rgn, Px(f, 100), Px(f, 150)));
    DeleteObject(rgn);

    RECT cr;
    GetClientRect(h, &cr);
    EXPECT_EQ(cr.right, Px(f, 379));
    EXPECT_EQ(cr.bottom, Px(f, 244));
    EXPECT_FALSE(GetWindowLongW(h, GWL_STYLE) & (WS_CAPTION | WS_BORDER));
    EXPECT_TRUE(GetFileAttributesW(logs.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(Exists(logs));

    // A Logs folder that is already there is fine.
    splash->Form().Unload();
    splash->Form().EnsureLoaded();
    EXPECT_TRUE(Exists(logs));
    EXPECT_TRUE(rt.messages.empty());
}

TEST_F(SplashTest, TheBarMovesFiveTwipsATickAndHandsOverAtTick560) {
    splash = std::make_unique<startup::SplashForm>(next, false, startup::Artwork{});
    splash->Form().Show();
    ui::Control& bar = splash->Form()[L"Picture2"];
    ui::Control& caption = splash->Form()[L"Label3"];
    EXPECT_EQ(bar.Left(), -2800);
    EXPECT_EQ(caption.Text(), L"Loading Program..");

    for (int tick = 1; tick < 560; ++tick) {
        Tick();
        ASSERT_EQ(bar.Left(), -2800 + 5 * tick);
        const wchar_t* want = tick < 480   ? L"Loading Program.."
                              : tick < 500 ? L"Loading Resources..."
                                           : L"Starting Program...";
        ASSERT_EQ(caption.Text(), want) << "tick " << tick;
    }
    EXPECT_EQ(nextLoads, 0);
    Tick();
    EXPECT_EQ(nextLoads, 1) << "the terms screen is shown once";
    EXPECT_EQ(captionAtHandover, L"System Ready..");
    EXPECT_TRUE(next.Loaded());
    EXPECT_FALSE(splash->Form().Loaded()) << "the splash closed in the same tick";
}

TEST_F(SplashTest, HandsOverEvenWhenTheNextFormClosesItselfWhileLoading) {
    next.Load = [this] {
        ++nextLoads;
        next.Unload();
    };
    splash = std::make_unique<startup::SplashForm>(next, false, startup::Artwork{});
    splash->Form().Show();
    for (int tick = 1; tick <= 560; ++tick) Tick();
    EXPECT_EQ(nextLoads, 1);
    EXPECT_FALSE(next.Loaded());
    EXPECT_FALSE(splash->Form().Loaded());
}

TEST_F(SplashTest, ATimerTheSystemRefusesHandsOverAtOnceInsteadOfStayingForEver) {
    rt.refuseTimers = true;
    splash = std::make_unique<startup::SplashForm>(next, false, startup::Artwork{});
    splash->Form().Show();
    EXPECT_EQ(nextLoads, 1);
    EXPECT_TRUE(next.Loaded());
    EXPECT_FALSE(splash->Form().Loaded());
}

TEST_F(SplashTest, RunsItsTicksAtThePlatformsPace) {
    splash = std::make_unique<startup::SplashForm>(next, false, startup::Artwork{});
    DWORD start = GetTickCount();
    splash->Form().Show();
    MSG msg;
    while (nextLoads == 0 && GetTickCount() - start < 60000 &&
           GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(nextLoads, 1);
    EXPECT_FALSE(splash->Form().Loaded());
    std::printf("[ timing ] 560 splash ticks took %lu ms (%.1f ms a tick)\n", took, took / 560.0);
}

TEST_F(SplashTest, ASecondCopyWarnsAndEndsWithoutShowingOrMakingAnything) {
    splash = std::make_unique<startup::SplashForm>(next, true, startup::Artwork{});
    splash->Form().EnsureLoaded();
    ASSERT_EQ(rt.messages.size(), 1u);
    EXPECT_EQ(rt.messages[0].text, L"This application is already running!");
    EXPECT_EQ(rt.messages[0].style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(rt.messages[0].title.value_or(L"<none>"), L"Moravelt");
    EXPECT_TRUE(rt.ended);
    EXPECT_FALSE(Exists(logs));
    EXPECT_FALSE(splash->Form().GetTimer(L"Timer1").enabled) << "no tick runs behind the box";
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(splash->Form().Hwnd(), rgn), ERROR);
    DeleteObject(rgn);
    EXPECT_FALSE(IsWindowVisible(splash->Form().Hwnd()));
}

// ---- the about box ----------------------------------------------------------------------

struct AboutTest : ::testing::Test {
    TestRuntime rt;
    std::unique_ptr<mainwin::MainForm> main;
    std::unique_ptr<startup::AboutForm> about;

    void SetUp() override {
        main = std::make_unique<mainwin::MainForm>();
        about = std::make_unique<startup::AboutForm>(main->Form(), startup::Artwork{});
        main->Form().Show();
    }
    void TearDown() override {
        about->Form().Unload();
        main->Form().Unload();
        about.reset();
        main.reset();
        PumpMessages();
    }
    void PressAbout() { Click((*main)[L"Command2"]); }
    std::wstring Usage() { return about->Form()[L"Label1"].Text(); }
};

TEST_F(AboutTest, ShowsTheUsageLineOneBoxAtATimeAndFreshAfterClose) {
    (*main)[L"mvIns"].SetText(kZeroDays);
    EXPECT_FALSE(about->Form().Loaded());
    PressAbout();
    ASSERT_TRUE(about->Form().Loaded());
    HWND box = about->Form().Hwnd();
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_EQ(Usage(), kZeroDays);
    RECT cr;
    GetClientRect(box, &cr);
    EXPECT_EQ(cr.right, Px(about->Form(), 791));
    EXPECT_EQ(cr.bottom, Px(about->Form(), 398));

    // Pressed again while open: the same box, not loaded again.
    (*main)[L"mvIns"].SetText(L"changed");
    PressAbout();
    EXPECT_EQ(about->Form().Hwnd(), box);
    EXPECT_EQ(Usage(), kZeroDays);

    Click(about->Form()[L"Command1"]);
    EXPECT_FALSE(about->Form().Loaded());
    EXPECT_TRUE(main->Form().Loaded()) << "the main window stays";
    PressAbout();
    ASSERT_TRUE(about->Form().Loaded());
    EXPECT_EQ(Usage(), L"changed");
}

TEST_F(AboutTest, TheUnderlineOpensTheMakersAddressAndLeavesTheBoxOpen) {
    PressAbout();
    ASSERT_TRUE(about->Form().Loaded());
    EXPECT_EQ(Usage(), L"") << "empty until a later start";
    // The underline lies at 360, 4920 twips: 24, 328 pixels at 96 dpi.
    HWND box = about->Form().Hwnd();
    int dpi = about->Form().Dpi();
    LPARAM at = MAKELPARAM(MulDiv(360 + 1000, dpi, 1440), MulDiv(4920 + 150, dpi, 1440));
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(box, WM_LBUTTONUP, 0, at);
    ASSERT_EQ(rt.opened.size(), 1u);
    EXPECT_EQ(rt.opened[0], L"Open www.moravelt.example");
    EXPECT_TRUE(about->Form().Loaded());

    // A click elsewhere on the picture opens nothing.
    LPARAM off = MAKELPARAM(MulDiv(6000, dpi, 1440), MulDiv(1500, dpi, 1440));
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, off);
    SendMessageW(box, WM_LBUTTONUP, 0, off);
    EXPECT_EQ(rt.opened.size(), 1u);
}

}  // namespace
