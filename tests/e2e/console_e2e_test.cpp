// The console as a user meets it: the welcome text, the start-up help run, a typed command,
// the Tab order through seen and unseen controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"
#include "session.h"

namespace e2e {
namespace {

std::wstring Line(const std::wstring& text, int n) {
    size_t pos = 0;
    for (int i = 0; i < n; ++i) {
        pos = text.find(L"\r\n", pos);
        if (pos == std::wstring::npos) return L"<none>";
        pos += 2;
    }
    size_t end = text.find(L"\r\n", pos);
    return text.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos);
}

// Text as ASCII, with everything else as \x escapes, for a failure message.
std::string Escaped(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 32 && c < 127) {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[12];
            snprintf(buf, sizeof buf, "\\x%X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

TEST(ConsoleE2E, StartsWithTheWelcomeBlockThenRunsHelpOnce) {
    DWORD started = GetTickCount();
    MainSession s = StartToMain(false);
    ASSERT_TRUE(s.main);
    RECT cr;
    GetClientRect(s.main, &cr);
    EXPECT_EQ(cr.right, 857);
    EXPECT_EQ(cr.bottom, 529);
    EXPECT_EQ(FocusIn(s.main), s(L"txtCommand")) << "the command box has the focus";

    std::wstring welcome = Text(s(L"txtOutputs"));
    EXPECT_EQ(Line(welcome, 0), L"Welcome to Moravelt 2nd Generation Dorvane V2.1.1");
    EXPECT_EQ(Line(welcome, 2), L"");
    EXPECT_EQ(Line(welcome, 3), L"Loading Help Command.. Please Wait...");
    EXPECT_EQ(welcome.substr(welcome.size() - 4), L"\r\n\r\n");
    SaveScreenshot(L"console-start");

    HWND box = s.app->WaitForMessageBox(8000);
    if (box) {  // Wine: no help program
        EXPECT_GE(GetTickCount() - started, 3000u) << "the help run waits for its timer";
        EXPECT_EQ(MessageBoxText(box), L"File or command not found");
        EXPECT_EQ(Text(box), L"MORAVELT");
        PressMessageBoxButton(box);
        Sleep(4000);
        EXPECT_EQ(s.app->WaitForMessageBox(0), nullptr) << "the timer does not fire again";
        EXPECT_EQ(Text(s(L"txtOutputs")), welcome);
    }
}

TEST(ConsoleE2E, TypedCommandAndEnterAppendOutputAndClearTheBox) {
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    std::wstring before = Text(s(L"txtOutputs"));
    s.app->WaitForMessageBox(0);
    SetFocus(s(L"txtCommand"));
    TypeText(L"cmd /c echo hello from dorvane");
    EXPECT_EQ(Text(s(L"txtCommand")), L"cmd /c echo hello from dorvane");
    PressKey(VK_RETURN);
    std::wstring expected = before + L"hello from dorvane\r\n";
    EXPECT_TRUE(WaitUntil([&] { return Text(s(L"txtOutputs")) == expected; }))
        << "got: " << std::string(Text(s(L"txtOutputs")).size(), '?');
    EXPECT_EQ(Text(s(L"txtCommand")), L"");
    EXPECT_EQ(FocusIn(s.main), s(L"txtCommand"));

    // A second command lands right behind the first one, with no separator.
    TypeText(L"cmd /c echo second");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return Text(s(L"txtOutputs")) == expected + L"second\r\n"; }));
    SaveScreenshot(L"console-typed");

    // A console program writes through its console's code page; the transcript reads it
    // right because that code page is the ANSI one. The console has no window to show.
    TypeText(L"\"" + TestChildPath() + L"\" console");
    PressKey(VK_RETURN);
    const std::wstring cafe = std::to_wstring(GetACP()) + L" windowless caf\x00E9\r\n";
    EXPECT_TRUE(WaitUntil([&] {
        return Text(s(L"txtOutputs")) == expected + L"second\r\n" + cafe;
    })) << "ends in: "
        << Escaped(Text(s(L"txtOutputs")).substr(expected.size()));
}

TEST(ConsoleE2E, TabWalksTheTabOrderIntoUnseenControlsAndSpacePresses) {
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    ASSERT_EQ(FocusIn(s.main), s(L"txtCommand"));
    const wchar_t* order[] = {
        L"cmdExecute",   L"txtOutputs",    L"Text1",          L"Command1",
        L"picCrossHair", L"txthWnd",       L"txtTitle",       L"txtClass",
        L"txtParent",    L"txtStyle",      L"cmdNormal",      L"cmdMinimize",
        L"cmdMaximize",  L"cmdFlash",      L"cmdEnable",      L"cmdDisable",
        L"cmdSetTitle",  L"cmdOnTop",      L"cmdNotOnTop",    L"cmdHide",
        L"cmdShow",      L"cmdTerminate",  L"lstProcess",     L"cmdTerminateProcess",
        L"cmdRefresh",   L"txtParentText", L"txtParentClass", L"txtRect",
        L"cmdCopy",      L"Command2",      L"Command3",       L"txtCommand"};
    for (const wchar_t* name : order) {
        PressKey(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return FocusIn(s.main) == s(name); }, 2000))
            << "Tab did not reach " << std::string(name, name + wcslen(name));
    }
    // Shift+Tab goes back.
    PressKey(VK_TAB, true);
    EXPECT_TRUE(WaitUntil([&] { return FocusIn(s.main) == s(L"Command3"); }, 2000));

    // Back to "Run Command" and press it with Space: the empty command box is reported.
    for (int i = 0; i < 2; ++i) PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(s.main) == s(L"cmdExecute"); }, 2000));
    PressKey(VK_SPACE);
    HWND box = s.app->WaitForMessageBox(5000);
    ASSERT_TRUE(box);
    EXPECT_EQ(MessageBoxText(box), L"Command Line empty");
    PressMessageBoxButton(box);
}

}  // namespace
}  // namespace e2e
