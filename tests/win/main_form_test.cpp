// The main form created in the test process: its load sequence, the always-on-top setting and
// the console pane's handlers.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "console/console_pane.h"
#include "console/shelvoxs.h"
#include "mainwin/main_form.h"
#include "mainwin/welcome_text.h"
#include "probe_support.h"
#include "test_runtime.h"

namespace {

const wchar_t kKey[] = L"Ozmiscope+/Settings/AlwaysOnTop";

std::wstring ChildPath() { return probe::QuotedTestChild(); }

struct MainFormTest : ::testing::Test {
    TestRuntime rt;
    std::unique_ptr<mainwin::MainForm> main;

    void Load() {
        main = std::make_unique<mainwin::MainForm>();
        main->Form().EnsureLoaded();
        ASSERT_TRUE(main->Form().Loaded());
    }
    void TearDown() override {
        if (main) main->Form().Unload();
        main.reset();
        PumpMessages();
    }
    std::wstring Transcript() { return (*main)[L"txtOutputs"].Text(); }
};

TEST_F(MainFormTest, LoadWritesTheWelcomeBlockAndFlattensTheNineBoxes) {
    Load();
    std::wstring text = Transcript();
    EXPECT_EQ(text, mainwin::WelcomeBlock(L"12/8/2026 2:05:09 PM"));
    EXPECT_EQ(text.substr(0, text.find(L"\r\n")),
              L"Welcome to Moravelt 2nd Generation Dorvane V2.1.1");
    EXPECT_NE(text.find(L"\r\n\r\nLoading Help Command.. Please Wait...\r\n\r\n"),
              std::wstring::npos);
    EXPECT_EQ(text.substr(text.size() - 4), L"\r\n\r\n");

    for (const wchar_t* name : {L"txthWnd", L"txtTitle", L"txtClass", L"txtRect", L"txtParent",
                                L"txtParentText", L"txtParentClass", L"txtStyle", L"txtMhWnd"}) {
        HWND h = (*main)[name].Hwnd();
        LONG ex = GetWindowLongW(h, GWL_EXSTYLE), style = GetWindowLongW(h, GWL_STYLE);
        EXPECT_TRUE(ex & WS_EX_STATICEDGE) << name;
        EXPECT_FALSE(ex & WS_EX_CLIENTEDGE) << name;
        EXPECT_FALSE(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) << name;
    }
    // Boxes that are not the inspector's keep their sunken edge.
    EXPECT_TRUE(GetWindowLongW((*main)[L"txtCommand"].Hwnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    RECT cr;
    GetClientRect(main->Form().Hwnd(), &cr);
    EXPECT_EQ(cr.right, 857);
    EXPECT_EQ(cr.bottom, 529);
    EXPECT_TRUE(main->objDOS() != nullptr);
}

TEST_F(MainFormTest, StoredOnePinsTheWindowAndWritesOneBack) {
    rt.settings[kKey] = L"1";
    Load();
    EXPECT_TRUE(main->Form().IsTopmost());
    EXPECT_EQ((*main)[L"chkOnTop"].Value(), 1);
    ASSERT_EQ(rt.saves.size(), 1u);
    EXPECT_EQ(rt.saves[0], L"AlwaysOnTop=1");

    (*main)[L"chkOnTop"].SetValue(0);
    EXPECT_FALSE(main->Form().IsTopmost());
    EXPECT_EQ(rt.settings[kKey], L"0");
}

TEST_F(MainFormTest, AnythingButExactlyOneLeavesTheWindowFreeAndWritesNothing) {
    const wchar_t* const values[] = {L"", L"0", L" 1", L"01", L"1 ", L"true", L"2", nullptr};
    for (const wchar_t* value : values) {
        rt.settings.clear();
        rt.saves.clear();
        if (value) rt.settings[kKey] = value;
        Load();
        EXPECT_FALSE(main->Form().IsTopmost()) << (value ? value : L"(missing)");
        EXPECT_EQ((*main)[L"chkOnTop"].Value(), 0);
        EXPECT_TRUE(rt.saves.empty()) << (value ? value : L"(missing)");
        main->Form().Unload();
        main.reset();
        PumpMessages();
    }
}

TEST_F(MainFormTest, TypedCommandRunsExactlyAsTypedAndTheTranscriptOnlyGrows) {
    Load();
    std::wstring before = Transcript();
    (*main)[L"txtCommand"].SetText(ChildPath() + L" lines one two  ");
    main->Console().cmdExecute_Click();
    EXPECT_EQ(Transcript(), before + L"one\r\ntwo\r\n");
    EXPECT_EQ((*main)[L"txtCommand"].Text(), L"");

    // Enter in the command box does the same; other characters do nothing.
    (*main)[L"txtCommand"].SetText(ChildPath() + L" lines three");
    int key = 'x';
    main->Console().txtCommand_KeyPress(key);
    EXPECT_EQ(key, 'x');
    EXPECT_EQ(Transcript(), before + L"one\r\ntwo\r\n");
    key = 13;
    main->Console().txtCommand_KeyPress(key);
    EXPECT_EQ(key, 13) << "the handler never changes the key";
    EXPECT_EQ(Transcript(), before + L"one\r\ntwo\r\nthree\r\n");

    // An empty command box: the runner's message, nothing appended, the box stays empty.
    main->Console().cmdExecute_Click();
    ASSERT_EQ(rt.messages.size(), 1u);
    EXPECT_EQ(rt.messages[0].text, L"Command Line empty");
    EXPECT_EQ(Transcript(), before + L"one\r\ntwo\r\nthree\r\n");

    // Leading blanks are passed on, so the line names no program.
    (*main)[L"txtCommand"].SetText(L" dir");
    main->Console().cmdExecute_Click();
    EXPECT_EQ(rt.messages.back().text, L"File or command not found");
    EXPECT_EQ((*main)[L"txtCommand"].Text(), L"");
}

TEST_F(MainFormTest, CaretFollowsTheEndEvenAfterTypingInTheMiddle) {
    Load();
    ui::Control& box = (*main)[L"txtOutputs"];
    SendMessageW(box.Hwnd(), EM_SETSEL, 3, 3);
    SendMessageW(box.Hwnd(), WM_CHAR, 'Z', 0);
    std::wstring text = Transcript();
    EXPECT_EQ(text.substr(0, 4), L"WelZ");
    DWORD start = 0, end = 0;
    SendMessageW(box.Hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, text.size());
    EXPECT_EQ(end, text.size());

    main->Console().objDOS_ReceiveOutputs(L"more");
    EXPECT_EQ(Transcript(), text + L"more") << "later output goes after what the user typed";
    main->Console().objDOS_ReceiveOutputs(L"");
    EXPECT_EQ(Transcript(), text + L"more");
}

TEST_F(MainFormTest, TenMegabytesOfOutputArriveWhole) {
    Load();
    size_t before = Transcript().size();
    (*main)[L"txtCommand"].SetText(ChildPath() + L" bytes 10485760");
    main->Console().cmdExecute_Click();
    ui::Control& box = (*main)[L"txtOutputs"];
    ASSERT_EQ(static_cast<size_t>(box.TextLength()), before + 10485760u);
    std::wstring text = Transcript();
    EXPECT_EQ(text.substr(before, 3), L"abc");
    // 10485760 bytes end on a whole line: 78 letters ending in 'z', then CR LF.
    EXPECT_EQ(text.substr(text.size() - 3), L"z\r\n");
}

TEST_F(MainFormTest, StartUpHelpRunsOnceAndSwitchesItsTimerOff) {
    Load();
    std::wstring before = Transcript();
    EXPECT_TRUE(main->Form().GetTimer(L"Timer11").enabled);
    main->Console().Timer11_Timer();
    EXPECT_FALSE(main->Form().GetTimer(L"Timer11").enabled);
    EXPECT_EQ(main->objDOS()->CommandLine(), L"help");
    // Wine has no help program; on Windows its listing lands in the transcript.
    if (!rt.messages.empty()) {
        EXPECT_EQ(rt.messages[0].text, L"File or command not found");
        EXPECT_EQ(Transcript(), before);
    } else {
        EXPECT_GT(Transcript().size(), before.size());
    }
}

TEST_F(MainFormTest, ErrorInsideARunIsReportedAndTheCommandBoxKeepsItsText) {
    Load();
    main->objDOS()->ReceiveOutputs = [](std::wstring) {
        throw ui::RuntimeError(5, L"Invalid procedure call or argument", L"Shelvoxs");
    };
    std::wstring line = ChildPath() + L" lines x";
    (*main)[L"txtCommand"].SetText(line);
    main->Console().cmdExecute_Click();
    ASSERT_EQ(rt.messages.size(), 1u);
    EXPECT_EQ(rt.messages[0].text, L"Invalid procedure call or argument - Shelvoxs - 5");
    EXPECT_EQ(rt.messages[0].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ((*main)[L"txtCommand"].Text(), line);

    rt.messages.clear();
    main->Console().Timer11_Timer();
    EXPECT_FALSE(main->Form().GetTimer(L"Timer11").enabled) << "off after an error as well";
}

}  // namespace
