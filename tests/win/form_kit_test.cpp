// The form kit on a small form of its own: every kind of control is made from its row and
// raises its events, frames hold their children, the tab order follows the tab index across
// frames, fonts and brushes are shared by the controls that ask for the same, and a picture box
// takes its keys and shows where the keyboard is.
#include <windows.h>

#include <gtest/gtest.h>

#include "test_runtime.h"
#include "ui/control_id.h"
#include "ui/form.h"

namespace {

const COLORREF kNone = ui::kDefaultColor;
const ui::FontSpec kTahoma = {L"Tahoma", 9, false};
// clang-format off
const std::vector<ui::ControlDef> kControls = {
    {L"fraBox", ui::Kind::Frame, L"Box", 120, 120, 4000, 2400, -1, nullptr, 0, kTahoma, kNone, kNone, 0},
    {L"cmdIn", ui::Kind::Button, L"&In", 120, 360, 1200, 375, 3, L"fraBox", ui::kGraphical, kTahoma, RGB(192, 192, 255), kNone, 0},
    {L"chkIn", ui::Kind::CheckBox, L"Check", 120, 840, 1200, 300, 1, L"fraBox", 0, kTahoma, kNone, kNone, 0},
    {L"lstIn", ui::Kind::ListBox, L"", 1500, 360, 1500, 1200, 2, L"fraBox", 0, {}, kNone, kNone, 0},
    {L"lblOut", ui::Kind::Label, L"Label", 4300, 120, 1200, 300, -1, nullptr, 0, kTahoma, kNone, kNone, 0},
    {L"txtOut", ui::Kind::TextBox, L"", 4300, 600, 1500, 375, 0, nullptr, 0, kTahoma, kNone, kNone, 0},
    {L"picOut", ui::Kind::PictureBox, L"", 4300, 1200, 600, 600, 4, nullptr, ui::kBorder, {}, kNone, kNone, 0},
};
const ui::FormDef kDef = {L"KitTestForm", 6000, 3000, ui::Border::FixedSingle, RGB(224, 224, 224), {}, 0, 0};
// clang-format on

struct FormKitTest : ::testing::Test {
    TestRuntime rt;
    ui::Form form{kDef, kControls};
    void TearDown() override {
        form.Unload();
        PumpMessages();
    }
};

TEST_F(FormKitTest, EachKindIsMadeFromItsRowAndRaisesItsEvents) {
    int clicks = 0, checks = 0, picks = 0, labels = 0, changes = 0, downs = 0;
    form.Design(L"cmdIn").Click = [&] { ++clicks; };
    form.Design(L"chkIn").Click = [&] { ++checks; };
    form.Design(L"lstIn").Click = [&] { ++picks; };
    form.Design(L"lblOut").Click = [&] { ++labels; };
    form.Design(L"txtOut").Change = [&] { ++changes; };
    form.Design(L"picOut").MouseDown = [&](int button, int, int, int) { downs += button; };
    form.Show();

    struct Expect {
        const wchar_t* name;
        const wchar_t* cls;
    } expect[] = {{L"cmdIn", L"Button"},        {L"chkIn", L"Button"},
                  {L"lstIn", L"ListBox"},       {L"txtOut", L"Edit"},
                  {L"fraBox", L"DorvaneFrame"}, {L"picOut", L"DorvanePicture"}};
    for (const Expect& e : expect) {
        HWND h = form[e.name].Hwnd();
        ASSERT_TRUE(h) << e.name;
        wchar_t cls[64] = L"";
        GetClassNameW(h, cls, 64);
        EXPECT_EQ(_wcsicmp(cls, e.cls), 0) << e.name << " is " << cls;
        EXPECT_EQ(GetDlgCtrlID(h), ui::ControlId(e.name)) << "found by its name from outside";
    }
    EXPECT_EQ(form[L"lblOut"].Hwnd(), nullptr) << "labels are drawn by their container";
    EXPECT_EQ(GetParent(form[L"cmdIn"].Hwnd()), form[L"fraBox"].Hwnd());
    EXPECT_EQ(GetWindowLongW(form[L"cmdIn"].Hwnd(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

    SendMessageW(form[L"cmdIn"].Hwnd(), BM_CLICK, 0, 0);
    SendMessageW(form[L"chkIn"].Hwnd(), BM_CLICK, 0, 0);
    form[L"lstIn"].AddItem(L"one");
    form[L"lstIn"].SetListIndex(0);
    form[L"txtOut"].SetText(L"typed");
    SendMessageW(form[L"picOut"].Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(form[L"picOut"].Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    POINT label = {MulDiv(4400, form.Dpi(), 1440), MulDiv(200, form.Dpi(), 1440)};
    SendMessageW(form.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(label.x, label.y));
    SendMessageW(form.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(label.x, label.y));

    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(form[L"chkIn"].Value(), 1) << "a click ticks the box";
    EXPECT_EQ(picks, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(labels, 1);
    EXPECT_EQ(GetCapture(), nullptr) << "the picture box let the mouse go with its button";
}

TEST_F(FormKitTest, TabFollowsTheTabIndexAcrossFramesAndAccessKeysClick) {
    int clicks = 0;
    form.Design(L"cmdIn").Click = [&] { ++clicks; };
    form.Show();
    std::vector<std::wstring> order;
    for (ui::Control* c : form.TabOrder()) order.push_back(c->Name());
    EXPECT_EQ(order,
              (std::vector<std::wstring>{L"txtOut", L"chkIn", L"lstIn", L"cmdIn", L"picOut"}));
    form[L"txtOut"].SetFocus();
    form.TabNext(false);
    EXPECT_TRUE(form[L"chkIn"].HasFocus());
    form.TabNext(true);
    form.TabNext(true);
    EXPECT_TRUE(form[L"picOut"].HasFocus()) << "Shift+Tab wraps round to the last";

    MSG alt = {};
    alt.hwnd = form[L"txtOut"].Hwnd();
    alt.message = WM_SYSCHAR;
    alt.wParam = L'i';
    EXPECT_TRUE(form.PreTranslate(alt));
    EXPECT_EQ(clicks, 1) << "Alt+I clicks \"&In\"";
}

TEST_F(FormKitTest, ControlsAskingForTheSameFontAndColourShareThem) {
    form.Show();
    auto font = [&](const wchar_t* name) {
        return SendMessageW(form[name].Hwnd(), WM_GETFONT, 0, 0);
    };
    EXPECT_NE(font(L"cmdIn"), 0);
    EXPECT_EQ(font(L"cmdIn"), font(L"chkIn"));
    EXPECT_EQ(font(L"cmdIn"), font(L"txtOut"));
    EXPECT_NE(font(L"cmdIn"), font(L"lstIn")) << "the form's own font for a row without one";
}

// A key as the program's message loop delivers it: the form sees it first, then the focus.
void Key(ui::Form& form, WPARAM vk) {
    MSG msg = {};
    msg.hwnd = GetFocus();
    msg.message = WM_KEYDOWN;
    msg.wParam = vk;
    if (!form.PreTranslate(msg)) DispatchMessageW(&msg);
    PumpMessages();
}

// The dots of a focus rectangle just inside the box's edge: pixels of that ring that are not
// the box's background, as the screen shows them.
int FocusDots(HWND box) {
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT r;
    GetClientRect(box, &r);
    HDC dc = GetDC(box);
    const COLORREF back = GetPixel(dc, r.right / 2, r.bottom / 2);
    int dots = 0;
    for (int x = 1; x < r.right - 1; ++x)
        dots += (GetPixel(dc, x, 1) != back) + (GetPixel(dc, x, r.bottom - 2) != back);
    ReleaseDC(box, dc);
    return dots;
}

void SetKeyboardCues(BOOL always) {
    SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0,
                          reinterpret_cast<void*>(static_cast<INT_PTR>(always)), 0);
}

TEST_F(FormKitTest, APictureBoxTakesItsKeysAndShowsWhereTheKeyboardIs) {
    std::vector<std::pair<int, int>> keys;
    int lost = 0;
    ui::Control& pic = form.Design(L"picOut");
    pic.KeyDown = [&](int& key, int shift) {
        keys.push_back({key, shift});
        if (key != 'A') key = 0;
    };
    pic.LostFocus = [&] { ++lost; };
    form.Show();
    HWND box = form[L"picOut"].Hwnd();
    EXPECT_TRUE(SendMessageW(box, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);

    BOOL saved = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &saved, 0);
    SetKeyboardCues(FALSE);
    // Reached with Tab: the box takes every key but Tab, which moves on.
    form[L"cmdIn"].SetFocus();
    EXPECT_EQ(FocusDots(box), 0) << "no cue without the focus";
    Key(form, VK_TAB);
    ASSERT_TRUE(form[L"picOut"].HasFocus());
    EXPECT_GT(FocusDots(box), 4) << "the focus came by the keyboard";
    for (int vk : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_RETURN, VK_SPACE, int('A')})
        Key(form, static_cast<WPARAM>(vk));
    const std::vector<std::pair<int, int>> expected = {{VK_UP, 0},    {VK_DOWN, 0},   {VK_LEFT, 0},
                                                       {VK_RIGHT, 0}, {VK_RETURN, 0}, {VK_SPACE, 0},
                                                       {'A', 0}};
    EXPECT_EQ(keys, expected);
    Key(form, VK_TAB);
    EXPECT_TRUE(form[L"txtOut"].HasFocus()) << "Tab leaves the box for the next in the order";
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(keys.size(), expected.size()) << "Tab never reaches the box";
    EXPECT_EQ(FocusDots(box), 0);

    // Focused by a press: no cue while the button is held, nor after it while the system
    // hides keyboard cues; a key brings it back.
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(form[L"picOut"].HasFocus());
    EXPECT_EQ(FocusDots(box), 0);
    SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(FocusDots(box), 0);
    Key(form, VK_RIGHT);
    EXPECT_GT(FocusDots(box), 4);
    // Where the system shows keyboard cues always, they show after a press too, but never
    // while the button is held (a drag from the box shows an empty box).
    SetKeyboardCues(TRUE);
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(FocusDots(box), 0);
    SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_GT(FocusDots(box), 4);
    SetKeyboardCues(saved);
}

}  // namespace
