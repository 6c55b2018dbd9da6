// The console pane on a small form of the test's own, fed by a runner the test makes (or does
// not make), and the main window's part: it makes the runner on each load and frees it on close.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/console_pane.h"
#include "console/shelvoxs.h"
#include "mainwin/main_form.h"
#include "probe_support.h"
#include "test_runtime.h"
#include "ui/form.h"

namespace {

using ui::Kind;
const COLORREF kNone = ui::kDefaultColor;

// The pane's four controls and nothing else.
// clang-format off
const std::vector<ui::ControlDef> kLayout = {
    {L"txtOutputs", Kind::TextBox, L"", 120, 120, 8115, 3000, 2, nullptr, ui::kMultiLine | ui::kVScroll, {}, kNone, kNone, 0},
    {L"txtCommand", Kind::TextBox, L"", 120, 3240, 3615, 645, 0, nullptr, 0, {}, kNone, kNone, 0},
    {L"cmdExecute", Kind::Button, L"Run Command", 3840, 3240, 1515, 615, 1, nullptr, 0, {}, kNone, kNone, 0},
    {L"cmdCancel", Kind::Button, L"Cancel (Esc)", 5400, 3240, 1395, 375, -1, nullptr, ui::kHidden, {}, kNone, kNone, 0},
};
const ui::FormDef kForm = {L"ConsolePaneTestForm", 8355, 4000, ui::Border::FixedSingle, RGB(224, 224, 224), {}, 0, 0};
// clang-format on

const wchar_t kNotSet[] = L"Object variable or With block variable not set - ";

std::wstring ChildPath() { return probe::QuotedTestChild(); }

bool IsNotSetReport(const ShownMessage& m) {
    const std::wstring& t = m.text;
    return t.compare(0, wcslen(kNotSet), kNotSet) == 0 && t.size() > 5 &&
           t.compare(t.size() - 5, 5, L" - 91") == 0 && m.style == MB_OK && !m.title;
}

struct ConsolePaneTest : ::testing::Test {
    TestRuntime rt;
    std::unique_ptr<console::Shelvoxs> runner;  // none until a test makes one
    ui::Form form{kForm, kLayout};
    std::unique_ptr<console::ConsolePane> pane;

    void SetUp() override {
        form.AddTimer(L"Timer11", 3000, true);
        pane = std::make_unique<console::ConsolePane>(form, [this] { return runner.get(); });
        form.EnsureLoaded();
    }
    void TearDown() override {
        form.Unload();
        PumpMessages();
    }
    // A fresh runner for the pane, as the main window makes one on each load.
    console::Shelvoxs& NewRunner() {
        runner = std::make_unique<console::Shelvoxs>();
        pane->AttachRunner(*runner);
        return *runner;
    }
    ui::Control& Command() { return form[L"txtCommand"]; }
    std::wstring Transcript() { return form[L"txtOutputs"].Text(); }
};

TEST_F(ConsolePaneTest, WithoutARunnerEveryRunReportsError91AndTheHelpTimerStillGoesOff) {
    Command().SetText(L"dir");
    int key = 'a';
    pane->txtCommand_KeyPress(key);
    EXPECT_TRUE(rt.messages.empty()) << "only Enter runs";

    pane->cmdExecute_Click();
    key = 13;
    pane->txtCommand_KeyPress(key);
    EXPECT_EQ(key, 13);
    pane->Timer11_Timer();
    ASSERT_EQ(rt.messages.size(), 3u);
    for (const ShownMessage& m : rt.messages) EXPECT_TRUE(IsNotSetReport(m)) << m.text;
    EXPECT_FALSE(form.GetTimer(L"Timer11").enabled);
    EXPECT_EQ(Command().Text(), L"dir") << "the failed run keeps the typed line";
    EXPECT_EQ(Transcript(), L"");

    // Nothing to cancel: nothing happens, nothing is shown.
    pane->cmdCancel_Click();
    EXPECT_EQ(rt.messages.size(), 3u);
}

TEST_F(ConsolePaneTest, EachRunAsksForTheRunnerSoAFreshOneIsTheOneThatRuns) {
    NewRunner();
    const std::wstring first = ChildPath() + L" lines one";
    Command().SetText(first);
    pane->cmdExecute_Click();
    EXPECT_EQ(Transcript(), L"one\r\n");
    EXPECT_EQ(Command().Text(), L"");

    std::unique_ptr<console::Shelvoxs> old = std::move(runner);
    NewRunner();
    Command().SetText(ChildPath() + L" lines two");
    int key = 13;
    pane->txtCommand_KeyPress(key);
    EXPECT_EQ(Transcript(), L"one\r\ntwo\r\n");
    EXPECT_EQ(runner->CommandLine(), ChildPath() + L" lines two");
    EXPECT_EQ(old->CommandLine(), first) << "the runner given up is left alone";

    pane->Timer11_Timer();
    EXPECT_EQ(runner->CommandLine(), L"help");
    EXPECT_FALSE(form.GetTimer(L"Timer11").enabled);
    // Wine has no help program; on Windows its listing lands in the transcript.
    for (const ShownMessage& m : rt.messages) EXPECT_EQ(m.text, L"File or command not found");
}

TEST_F(ConsolePaneTest, OutputForAFormThatIsGoneIsDropped) {
    pane->objDOS_ReceiveOutputs(L"here");
    EXPECT_EQ(Transcript(), L"here");
    form.Unload();
    pane->objDOS_ReceiveOutputs(L"late");
    EXPECT_FALSE(form.Loaded()) << "not brought back to show it";
}

// The main window owns the runner: a close frees it, and the next load makes one that the
// pane finds and listens to.
TEST(ConsoleOnTheMainWindowTest, CloseFreesTheRunnerAndTheNextLoadMakesOneForThePane) {
    TestRuntime rt;
    mainwin::MainForm main;
    main.Form().EnsureLoaded();
    main.Form().SetTimerEnabled(L"Timer11", false);
    ASSERT_NE(main.objDOS(), nullptr);

    main.cmdClose_Click();
    PumpMessages();
    EXPECT_FALSE(main.Form().Loaded());
    EXPECT_EQ(main.objDOS(), nullptr);
    main.Console().cmdExecute_Click();
    ASSERT_EQ(rt.messages.size(), 1u);
    EXPECT_TRUE(IsNotSetReport(rt.messages[0])) << rt.messages[0].text;
    EXPECT_FALSE(main.Form().Loaded()) << "a failed run does not load the window";

    main.Form().EnsureLoaded();
    main.Form().SetTimerEnabled(L"Timer11", false);
    ASSERT_NE(main.objDOS(), nullptr);
    const std::wstring before = main[L"txtOutputs"].Text();
    main[L"txtCommand"].SetText(ChildPath() + L" lines again");
    main.Console().cmdExecute_Click();
    EXPECT_EQ(main[L"txtOutputs"].Text(), before + L"again\r\n");
    EXPECT_EQ(rt.messages.size(), 1u);
    main.Form().Unload();
    PumpMessages();
}

}  // namespace
