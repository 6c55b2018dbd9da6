// The main window at 144 dots per inch (run by ./test in a Wine prefix set to that DPI;
// skipped elsewhere): every control keeps its place relative to the others and the captions
// of the buttons fit them. (One-line labels draw their line whole even where it runs past
// their box, so they cannot be cut; the screenshot shows them.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "driver.h"
#include "session.h"

namespace e2e {
namespace {

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

struct Placed {
    const wchar_t* name;
    int left, top, width, height;  // twips, relative to the form or the enclosing frame
};

// A sample across the form: console, run box (in a frame), process list, inspector, frame.
const Placed kPlaced[] = {
    {L"txtOutputs", 120, 720, 8115, 4695},  {L"txtCommand", 120, 5880, 3615, 645},
    {L"cmdExecute", 3840, 5880, 1515, 615}, {L"Command2", 5400, 5880, 1275, 615},
    {L"Command3", 6720, 5880, 1275, 615},   {L"Frame1", 120, 6600, 7935, 1215},
    {L"Text1", 120, 360, 6735, 645},        {L"Command1", 6960, 360, 795, 615},
    {L"lstProcess", 8400, 720, 4335, 3300}, {L"picCrossHair", 8760, 4080, 855, 735},
    {L"txtTitle", 8400, 4920, 4275, 405},   {L"Frame2", 8400, 5400, 4395, 2355},
    {L"cmdMaximize", 120, 360, 2115, 315},  {L"cmdTerminate", 2160, 1800, 2115, 315},
};

struct Caption {
    const wchar_t* text;
    double points;
    bool bold;
    int width, height;  // twips of the control that shows it
};

const Caption kCaptions[] = {
    {L"Run Command", 9.75, false, 1515, 615},
    {L"About", 9.75, false, 1275, 615},
    {L"Always OnTop", 9.75, false, 2115, 315},
    {L"Terminate", 9.75, false, 2115, 315},
    {L"Go", 9.75, false, 795, 615},
    {L"Exit", 9.75, false, 1275, 615},
};

TEST(DpiE2E, LayoutScalesWithTheDisplayAndCaptionsFit) {
    SetProcessDPIAware();
    int dpi = ScreenDpi();
    if (dpi != 144) GTEST_SKIP() << "display at " << dpi << " dpi";
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    auto px = [dpi](int twips) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); };
    RECT cr;
    GetClientRect(s.main, &cr);
    EXPECT_NEAR(cr.right, px(12855), 1);
    EXPECT_NEAR(cr.bottom, px(7935), 1);
    for (const Placed& p : kPlaced) {
        HWND h = s(p.name);
        ASSERT_TRUE(h) << std::string(p.name, p.name + wcslen(p.name));
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
        std::string n(p.name, p.name + wcslen(p.name));
        EXPECT_NEAR(r.left, px(p.left), 1) << n;
        EXPECT_NEAR(r.top, px(p.top), 1) << n;
        EXPECT_NEAR(r.right - r.left, px(p.width), 2) << n;
        EXPECT_NEAR(r.bottom - r.top, px(p.height), 2) << n;
    }
    // The fonts grow with the display, so every caption still fits the control it sits in.
    HDC dc = GetDC(nullptr);
    for (const Caption& c : kCaptions) {
        HFONT f = CreateFontW(-static_cast<int>(std::lround(c.points * dpi / 72.0)), 0, 0, 0,
                              c.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                              L"Tahoma");
        HGDIOBJ old = SelectObject(dc, f);
        SIZE size;
        GetTextExtentPoint32W(dc, c.text, static_cast<int>(wcslen(c.text)), &size);
        SelectObject(dc, old);
        DeleteObject(f);
        std::string n(c.text, c.text + wcslen(c.text));
        EXPECT_LE(size.cx, px(c.width)) << n;
        EXPECT_LE(size.cy, px(c.height) + 2) << n;
    }
    ReleaseDC(nullptr, dc);
    SaveScreenshot(L"main-144dpi");
}

}  // namespace
}  // namespace e2e
