// The form kit on a small form of its own: every kind of control is made from its row and
// raises its events, frames hold their children, the tab order follows the tab index across
// frames, and fonts and brushes are shared by the controls that ask for the same.
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

}  // namespace
