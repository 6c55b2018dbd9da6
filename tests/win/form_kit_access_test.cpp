// The kit's accessible objects asked from their own thread, where a reader's call reaches the
// object itself with no proxy between: each interface it offers is the object's own, labels
// inside a frame are the frame's children, and every answer sets its outputs.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "access_support.h"
#include "test_runtime.h"
#include "ui/form.h"

namespace {

using accesstest::Acc;
using accesstest::ObjectOf;
using accesstest::Self;

const COLORREF kNone = ui::kDefaultColor;
// clang-format off
const std::vector<ui::ControlDef> kControls = {
    {L"lblOut", ui::Kind::Label, L"Outside", 120, 120, 1200, 300, -1, nullptr, 0, {}, kNone, kNone, 0},
    {L"fraBox", ui::Kind::Frame, L"Box", 120, 600, 3000, 1800, -1, nullptr, 0, {}, kNone, kNone, 0},
    {L"lblIn", ui::Kind::Label, L"Inside", 240, 360, 1200, 300, -1, L"fraBox", 0, {}, kNone, kNone, 0},
    {L"cmdIn", ui::Kind::Button, L"&In", 240, 840, 1200, 375, 1, L"fraBox", 0, {}, kNone, kNone, 0},
    {L"txtView", ui::Kind::TextBox, L"", 3300, 120, 2400, 1200, 0, nullptr, ui::kMultiLine, {}, kNone, kNone, 0},
};
const ui::FormDef kDef = {L"KitAccessTestForm", 6000, 3000, ui::Border::FixedSingle, RGB(224, 224, 224), {}, 0, 0};
// clang-format on

struct FormKitAccessTest : ::testing::Test {
    win::ComScope com;
    TestRuntime rt;
    ui::Form form{kDef, kControls};
    void SetUp() override {
        form.Show();
        PumpMessages();
    }
    void TearDown() override {
        form.Unload();
        PumpMessages();
    }
    HWND operator()(const wchar_t* name) { return form[name].Hwnd(); }
};

TEST_F(FormKitAccessTest, EveryInterfaceItOffersIsTheObjectsOwn) {
    for (HWND hwnd : {form.Hwnd(), (*this)(L"fraBox"), (*this)(L"cmdIn"), (*this)(L"txtView")}) {
        for (const IID& iid : {__uuidof(IUnknown), __uuidof(IDispatch), __uuidof(IAccessible),
                               __uuidof(IEnumVARIANT), __uuidof(IOleWindow)}) {
            Acc fresh;
            ObjectOf(hwnd, fresh);
            ASSERT_TRUE(fresh);
            win::ComPtr<IUnknown> asked, identity, back;
            Acc again;
            ASSERT_EQ(fresh->QueryInterface(iid, asked.PutVoid()), S_OK);
            fresh->QueryInterface(__uuidof(IUnknown), identity.PutVoid());
            asked->QueryInterface(__uuidof(IUnknown), back.PutVoid());
            asked->QueryInterface(__uuidof(IAccessible), again.PutVoid());
            EXPECT_EQ(back.Get(), identity.Get());
            EXPECT_EQ(again.Get(), fresh.Get());
        }
    }
}

TEST_F(FormKitAccessTest, ALabelInsideAFrameIsTheFramesChild) {
    Acc whole, frame;
    ObjectOf(form.Hwnd(), whole);
    ObjectOf((*this)(L"fraBox"), frame);
    ASSERT_TRUE(whole && frame);
    const accesstest::Children outer = accesstest::ChildrenOf(whole.Get(), false),
                               inner = accesstest::ChildrenOf(frame.Get(), false);
    EXPECT_EQ(outer.labels, std::vector<std::wstring>{L"Outside"});
    EXPECT_EQ(outer.windows, (std::vector<HWND>{(*this)(L"txtView"), (*this)(L"fraBox")}));
    EXPECT_EQ(inner.labels, std::vector<std::wstring>{L"Inside"});
    EXPECT_EQ(inner.windows, std::vector<HWND>{(*this)(L"cmdIn")});
    ASSERT_EQ(inner.labelIds.size(), 1u);

    // A point on the label: the frame finds the label, the form finds the frame.
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(frame->accLocation(&x, &y, &w, &h, Self(inner.labelIds[0])), S_OK);
    VARIANT hit;
    VariantInit(&hit);
    ASSERT_EQ(frame->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, inner.labelIds[0]);
    ASSERT_EQ(whole->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
    EXPECT_EQ(accesstest::WindowOf(hit), (*this)(L"fraBox"));
    VariantClear(&hit);
}

TEST_F(FormKitAccessTest, EveryAnswerSetsItsOutputs) {
    // No help topics: "not supported", with nothing in the outputs.
    Acc whole;
    ObjectOf(form.Hwnd(), whole);
    ASSERT_TRUE(whole);
    for (long id : {0L, 1L}) {
        BSTR file = reinterpret_cast<BSTR>(&id);
        long topic = -7;
        EXPECT_EQ(whole->get_accHelpTopic(&file, Self(id), &topic), DISP_E_MEMBERNOTFOUND) << id;
        EXPECT_EQ(file, nullptr);
        EXPECT_EQ(topic, 0);
    }

    // The caret's place while another control has the focus: nowhere.
    Acc caret;
    ObjectOf((*this)(L"txtView"), caret, OBJID_CARET);
    ASSERT_TRUE(caret);
    form[L"cmdIn"].SetFocus();
    long place[4] = {-7, -7, -7, -7};
    EXPECT_EQ(caret->accLocation(&place[0], &place[1], &place[2], &place[3], Self()), S_FALSE);
    EXPECT_EQ(std::vector<long>(place, place + 4), std::vector<long>(4, 0));
}

}  // namespace
