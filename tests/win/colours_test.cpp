// The colours the main form is drawn with: the layout's own in the ordinary scheme, the
// system's while high contrast is on (the setting through the runtime seam, since Wine cannot
// turn it on), and text that reads on its back whatever the system's colours are (set with
// SetSysColors, and put back after every test). Read from the pixels shown and from the
// colours the form answers its controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "app/resource.h"
#include "mainwin/main_form.h"
#include "pixels.h"
#include "startup/artwork.h"
#include "startup/terms_form.h"
#include "test_runtime.h"
#include "ui/contrast.h"
#include "ui/error_modes.h"

namespace {

using ui::contrast::Luminance;

const COLORREF kLilac = RGB(192, 192, 255);
const COLORREF kFormGrey = RGB(224, 224, 224);
const COLORREF kTitleGrey = RGB(192, 192, 192);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

// The colours that matter here of the two high-contrast schemes that Windows ships.
const int kTouched[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT,
                        COLOR_GRAYTEXT};
const COLORREF kHighContrastBlack[] = {kBlack, kWhite, kBlack, kWhite, RGB(63, 242, 63)};
const COLORREF kHighContrastWhite[] = {kWhite, kBlack, kWhite, kBlack, RGB(96, 0, 0)};

// The system's colours are the whole session's: those a test changes are put back as they
// were, however the test ends.
class SystemColours {
public:
    SystemColours() {
        for (int i : kTouched) saved_.push_back(GetSysColor(i));
    }
    ~SystemColours() { Set(saved_.data()); }
    SystemColours(const SystemColours&) = delete;
    SystemColours& operator=(const SystemColours&) = delete;
    bool Set(const COLORREF* colours) { return SetSysColors(5, kTouched, colours) != FALSE; }

private:
    std::vector<COLORREF> saved_;
};

using testpixels::Shown;

COLORREF ShownAt(HWND hwnd, int x, int y) {
    std::vector<COLORREF> px = Shown(hwnd, {x, y, x + 1, y + 1});
    return px.empty() ? CLR_INVALID : px[0];
}

double Lum(COLORREF c) { return Luminance(c & 0xFFFFFF); }

int Count(const std::vector<COLORREF>& pixels, const std::function<bool(COLORREF)>& pred) {
    int n = 0;
    for (COLORREF c : pixels) n += pred(c) ? 1 : 0;
    return n;
}

// The colours the form answers a system control's WM_CTLCOLOR* with.
struct Answered {
    COLORREF back, text, brush;
};
Answered AnswerTo(HWND control, UINT msg) {
    HDC mem = CreateCompatibleDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(control), msg, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(control)));
    LOGBRUSH lb = {};
    GetObjectW(brush, sizeof lb, &lb);
    Answered a = {GetBkColor(mem), GetTextColor(mem), brush ? lb.lbColor : CLR_INVALID};
    DeleteDC(mem);
    return a;
}

// The windows that a WM_SYSCOLORCHANGE reached on this thread.
std::vector<HWND>* g_colourChangeSeen = nullptr;
LRESULT CALLBACK SeeColourChange(int code, WPARAM wp, LPARAM lp) {
    return ui::AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        auto* msg = reinterpret_cast<CWPSTRUCT*>(lp);
        if (code == HC_ACTION && msg->message == WM_SYSCOLORCHANGE && g_colourChangeSeen)
            g_colourChangeSeen->push_back(msg->hwnd);
        return CallNextHookEx(nullptr, code, wp, lp);
    });
}

struct ColoursTest : ::testing::Test {
    TestRuntime rt;
    SystemColours system;
    std::unique_ptr<mainwin::MainForm> main;

    void SetUp() override {
        rt.highContrast = false;
        // The prefix's own scheme: the ordinary colours that the layout was made against.
        ASSERT_EQ(GetSysColor(COLOR_WINDOWTEXT), kBlack);
        ASSERT_EQ(GetSysColor(COLOR_BTNTEXT), kBlack);
        main = std::make_unique<mainwin::MainForm>();
        main->Form().EnsureLoaded();
        main->Form().SetTimerEnabled(L"Timer11", false);  // no start-up help run
        main->Form().Show();
        Repaint();
    }
    // Each control's drawn colours against a row of the expected ones.
    struct Drawn {
        const wchar_t* name;
        COLORREF back, text;
    };
    void ExpectDrawn(const std::vector<Drawn>& rows) {
        for (const Drawn& r : rows) {
            SCOPED_TRACE(r.name);
            ui::Colours c = C(r.name).DrawnColours();
            EXPECT_EQ(c.back, r.back);
            EXPECT_EQ(c.text, r.text);
        }
    }
    // The window as the screen shows it, saved for a person to look at.
    void SaveShot(const wchar_t* name) {
        RECT r;
        GetWindowRect(Form().Hwnd(), &r);
        testpixels::SaveScreen(name, r);
    }
    void TearDown() override {
        if (main) main->Form().Unload();
        main.reset();
        PumpMessages();
    }
    ui::Form& Form() { return main->Form(); }
    ui::Control& C(const wchar_t* name) { return Form()[name]; }
    HWND H(const wchar_t* name) { return C(name).Hwnd(); }
    int Px(int twips) { return MulDiv(twips, Form().Dpi(), 1440); }
    RECT PxRect(int left, int top, int width, int height) {
        return {Px(left), Px(top), Px(left + width), Px(top + height)};
    }
    void Repaint() {
        PumpMessages();
        RedrawWindow(Form().Hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    // The high-contrast setting as Windows announces its change.
    void SetHighContrast(bool on) {
        rt.highContrast = on;
        SendMessageW(Form().Hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        Repaint();
    }
    // A blank spot of the form, between the "Command Window" label and the transcript.
    COLORREF FormBack() { return ShownAt(Form().Hwnd(), Px(3000), Px(660)); }
    // A blank spot of the transcript, below the welcome text.
    COLORREF TranscriptBack() {
        RECT r;
        GetClientRect(H(L"txtOutputs"), &r);
        return ShownAt(H(L"txtOutputs"), r.right / 2, r.bottom - 4);
    }
    COLORREF TitleStrip() { return ShownAt(Form().Hwnd(), Px(6000), Px(150)); }
    // What the "Command Window" label shows.
    std::vector<COLORREF> CommandLabel() {
        return Shown(Form().Hwnd(), PxRect(120, 360, 1620, 240));
    }
    std::vector<COLORREF> Transcript() {
        RECT r;
        GetClientRect(H(L"txtOutputs"), &r);
        return Shown(H(L"txtOutputs"), r);
    }
};

bool Dark(COLORREF c) { return Lum(c) < 0.03; }
bool Light(COLORREF c) { return Lum(c) > 0.8; }

TEST_F(ColoursTest, TheOrdinarySchemeDrawsTheLayoutsColoursExactly) {
    // The text colours the layout leaves to the system are its black.
    // clang-format off
    ExpectDrawn({
        {L"txtOutputs", kLilac, kBlack}, {L"txtCommand", kLilac, kBlack},
        {L"Text1", kLilac, kBlack}, {L"txtTitle", kTitleGrey, kBlack},
        {L"cmdExecute", kLilac, kBlack}, {L"Command1", kLilac, kBlack},
        {L"Command3", kLilac, kBlack}, {L"cmdTerminate", kLilac, kBlack},
        {L"Frame1", kFormGrey, kBlack}, {L"Frame2", kFormGrey, kBlack},
        {L"Label2", kFormGrey, kBlack}, {L"lblCordi", kFormGrey, kBlack},
        {L"Label11", kFormGrey, kWhite}, {L"picCrossHair", kFormGrey, kBlack},
        {L"lstProcess", kWhite, kBlack},
    });
    // clang-format on
    Answered box = AnswerTo(H(L"txtOutputs"), WM_CTLCOLOREDIT);
    EXPECT_EQ(box.back, kLilac);
    EXPECT_EQ(box.brush, kLilac);
    EXPECT_EQ(box.text, kBlack);
    EXPECT_EQ(AnswerTo(H(L"txtTitle"), WM_CTLCOLORSTATIC).brush, kTitleGrey);

    EXPECT_EQ(FormBack(), kFormGrey);
    EXPECT_EQ(TranscriptBack(), kLilac);
    EXPECT_EQ(ShownAt(H(L"cmdExecute"), 6, 6), kLilac);
    EXPECT_EQ(ShownAt(H(L"Frame1"), Px(3000), Px(1080)), kFormGrey);
    EXPECT_GT(Count(Transcript(), Dark), 50) << "black welcome text";
    EXPECT_GT(Count(CommandLabel(), Dark), 20);
    EXPECT_GT(Count(Shown(Form().Hwnd(), PxRect(120, 0, 2265, 240)), Light), 20)
        << "the white title over the strip";
}

TEST_F(ColoursTest, HighContrastDrawsWithTheSystemsColoursAndSwitchesLive) {
    const COLORREF strip = TitleStrip();
    std::vector<HWND> reached;
    g_colourChangeSeen = &reached;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, SeeColourChange, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(system.Set(kHighContrastBlack));
    SetHighContrast(true);
    UnhookWindowsHookEx(hook);
    g_colourChangeSeen = nullptr;
    ASSERT_TRUE(Form().HighContrast());
    SaveShot(L"main-high-contrast-black");

    // Boxes and lists take the window's colours; the form, buttons, frames and labels the
    // button face's; pictures keep theirs.
    // clang-format off
    ExpectDrawn({
        {L"txtOutputs", kBlack, kWhite}, {L"txtTitle", kBlack, kWhite},
        {L"lstProcess", kBlack, kWhite}, {L"cmdExecute", kBlack, kWhite},
        {L"Frame2", kBlack, kWhite}, {L"Label2", kBlack, kWhite},
        {L"Label11", kBlack, kWhite}, {L"picCrossHair", kFormGrey, kBlack},
    });
    // clang-format on
    Answered box = AnswerTo(H(L"txtOutputs"), WM_CTLCOLOREDIT);
    EXPECT_EQ(box.brush, kBlack);
    EXPECT_EQ(box.text, kWhite);
    EXPECT_EQ(FormBack(), kBlack);
    EXPECT_EQ(TranscriptBack(), kBlack);
    EXPECT_EQ(ShownAt(H(L"cmdExecute"), 6, 6), kBlack);
    EXPECT_GT(Count(Transcript(), Light), 50) << "white text on the black box";
    EXPECT_GT(Count(CommandLabel(), Light), 20);
    EXPECT_EQ(TitleStrip(), strip) << "the picture stays as it is";
    for (const wchar_t* child : {L"txtCommand", L"lstProcess", L"cmdExecute"}) {
        EXPECT_NE(std::find(reached.begin(), reached.end(), H(child)), reached.end())
            << "the colour change is passed on to " << child;
    }

    // High Contrast White: black text on white, except over the dark title strip, where only
    // white reads.
    ASSERT_TRUE(system.Set(kHighContrastWhite));
    SendMessageW(Form().Hwnd(), WM_SYSCOLORCHANGE, 0, 0);
    Repaint();
    EXPECT_EQ(FormBack(), kWhite);
    EXPECT_EQ(C(L"txtOutputs").DrawnColours().text, kBlack);
    EXPECT_EQ(C(L"Label11").DrawnColours().text, kWhite);
    EXPECT_GT(Count(Shown(Form().Hwnd(), PxRect(120, 0, 2265, 240)), Light), 20)
        << "the title over the strip is drawn white, not in the scheme's black";
    SaveShot(L"main-high-contrast-white");

    // Off again: the layout's colours come back at once, the text still readable on them.
    SetHighContrast(false);
    EXPECT_FALSE(Form().HighContrast());
    EXPECT_EQ(FormBack(), kFormGrey);
    EXPECT_EQ(TranscriptBack(), kLilac);
    EXPECT_EQ(C(L"cmdExecute").DrawnColours().back, kLilac);
}

TEST_F(ColoursTest, LightSystemTextOnTheFixedBacksIsDrawnBlackOrWhite) {
    // High Contrast Black's colours with the setting itself off (as Wine can leave them):
    // the system's white text on the layout's lilac and grey would read at 1.7:1 and 1.3:1.
    ASSERT_TRUE(system.Set(kHighContrastBlack));
    Repaint();
    ASSERT_FALSE(Form().HighContrast());
    SaveShot(L"main-light-system-text");
    EXPECT_EQ(TranscriptBack(), kLilac);
    std::vector<COLORREF> transcript = Transcript();
    EXPECT_GT(Count(transcript, Dark), 50);
    EXPECT_EQ(Count(transcript, Light), 0) << "no white text on lilac";
    std::vector<COLORREF> label = CommandLabel();
    EXPECT_GT(Count(label, Dark), 20);
    EXPECT_EQ(Count(label, Light), 0) << "no white text on the form's grey";

    EXPECT_EQ(AnswerTo(H(L"txtCommand"), WM_CTLCOLOREDIT).text, kBlack);
    EXPECT_EQ(AnswerTo(H(L"txtTitle"), WM_CTLCOLORSTATIC).text, kBlack);
    // The system's own pair reads: it stays.
    EXPECT_EQ(AnswerTo(H(L"lstProcess"), WM_CTLCOLORLISTBOX).text, kWhite);
    ExpectDrawn({{L"cmdExecute", kLilac, kBlack}, {L"Frame1", kFormGrey, kBlack}});

    // A check box that takes the system's window colours follows them.
    startup::TermsForm terms(Form(), startup::Artwork{}, L"C:\\nowhere");
    ui::Colours check = terms.Form().Design(L"Check1").DrawnColours();
    EXPECT_EQ(check.back, kBlack);
    EXPECT_EQ(check.text, kWhite);
}

TEST_F(ColoursTest, ADisabledButtonsCaptionStaysDimmedYetReadable) {
    // The system's gray text on the lilac button reads at 3:1.
    const COLORREF gray = GetSysColor(COLOR_GRAYTEXT);
    ASSERT_LT(ui::contrast::Ratio(gray & 0xFFFFFFu, kLilac & 0xFFFFFFu),
              ui::contrast::kMinimumRatio);
    C(L"Command2").SetEnabled(false);
    Repaint();
    // Inside the raised edge, whose dark shadow is not text.
    RECT r;
    GetClientRect(H(L"Command2"), &r);
    InflateRect(&r, -4, -4);
    COLORREF darkest = kWhite;
    for (COLORREF c : Shown(H(L"Command2"), r))
        if (Lum(c) < Lum(darkest)) darkest = c;
    EXPECT_GE(ui::contrast::Ratio(darkest & 0xFFFFFFu, kLilac & 0xFFFFFFu),
              ui::contrast::kMinimumRatio);
    EXPECT_GT(Lum(darkest), Lum(kBlack) + 0.01) << "dimmed, not the enabled caption's black";
}

TEST_F(ColoursTest, TheTermsScreenReadsInHighContrastOverItsPicture) {
    ASSERT_TRUE(system.Set(kHighContrastBlack));
    rt.highContrast = true;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // A folder whose parent is missing: nothing is recorded, and the terms are shown.
    startup::TermsForm terms(Form(), {IDB_TERMS, IDI_APP},
                             std::wstring(temp) + L"dorvane-no-such-folder\\MV");
    ui::Form& form = terms.Form();
    form.Show();
    PumpMessages();
    RedrawWindow(form.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT shot;
    GetWindowRect(form.Hwnd(), &shot);
    testpixels::SaveScreen(L"terms-high-contrast-black", shot);

    // The terms box and the button take the system's colours.
    HWND box = form[L"Text1"].Hwnd();
    RECT r;
    GetClientRect(box, &r);
    std::vector<COLORREF> terms_text = Shown(box, r);
    EXPECT_GT(Count(terms_text, [](COLORREF c) { return c == kBlack; }), r.right * r.bottom / 2);
    EXPECT_GT(Count(terms_text, Light), 50);
    EXPECT_EQ(form[L"Command1"].DrawnColours().back, kBlack);
    // The sentence under the box stands on the picture's light grey: the scheme's white text
    // would vanish there, so it is drawn black; the title on the dark band stays white.
    EXPECT_EQ(form[L"Label1"].DrawnColours().text, kBlack);
    EXPECT_EQ(form[L"Label2"].DrawnColours().text, kWhite);
    const int dpi = form.Dpi();
    RECT sentence = {MulDiv(2520, dpi, 1440), MulDiv(9360, dpi, 1440), MulDiv(8775, dpi, 1440),
                     MulDiv(10095, dpi, 1440)};
    EXPECT_GT(Count(Shown(form.Hwnd(), sentence), Dark), 50);
    form.Unload();
}

}  // namespace
