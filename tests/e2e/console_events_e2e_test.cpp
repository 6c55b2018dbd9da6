// A command that sends Ctrl+C and Ctrl+Break to every process of its console, as build tools
// and script runtimes do to stop their helpers: the program shares that console with its
// children, lives on, keeps its transcript, and the children still receive every event.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "session.h"
#include "system_counts.h"

namespace e2e {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct ConsoleEventsE2E : ::testing::TestWithParam<bool> {
    void TearDown() override { testcounts::EndProcesses(L"test_child.exe"); }
};

// Without and with Ctrl+C ignored by whoever started the program (a launcher that starts it
// in a process group of its own passes that on): its children get Ctrl+C all the same.
TEST_P(ConsoleEventsE2E, AChildsCtrlEventsReachTheChildrenButNeverEndTheProgram) {
    const bool startedIgnoringCtrlC = GetParam();
    if (startedIgnoringCtrlC) SetConsoleCtrlHandler(nullptr, TRUE);
    MainSession s = StartToMain();
    if (startedIgnoringCtrlC) SetConsoleCtrlHandler(nullptr, FALSE);
    ASSERT_TRUE(s.main);
    const std::wstring before = Text(s(L"txtOutputs"));
    SetFocus(s(L"txtCommand"));
    TypeText(L"\"" + TestChildPath() + L"\" ctrl");
    PressKey(VK_RETURN);
    auto ran = [&] { return Text(s(L"txtOutputs")).substr(before.size()); };
    EXPECT_TRUE(WaitUntil(
        [&] { return !s.app->Running() || ran().find(L"after\r\n") != std::wstring::npos; }));
    ASSERT_TRUE(s.app->Running()) << "the program ended with its child's console event";
    // Wine 8 sends no Ctrl+Break at all.
    const std::wstring run = ran();
    EXPECT_TRUE(run == L"before\r\nctrl-c received\r\nctrl-break received\r\nafter\r\n" ||
                run == L"before\r\nctrl-c received\r\nctrl-break not sent\r\nafter\r\n")
        << "the run wrote: " << Narrow(run);
    EXPECT_TRUE(WaitUntil([&] { return Text(s(L"txtCommand")).empty(); })) << "the run ended";

    // It still runs commands, and their output arrives behind everything before.
    TypeText(L"\"" + TestChildPath() + L"\" lines still here");
    PressKey(VK_RETURN);
    const std::wstring expected = before + run + L"still\r\nhere\r\n";
    EXPECT_TRUE(WaitUntil([&] { return !s.app->Running() || Text(s(L"txtOutputs")) == expected; }));
    EXPECT_TRUE(s.app->Running());
}

INSTANTIATE_TEST_SUITE_P(StartedAsUsual, ConsoleEventsE2E, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(StartedIgnoringCtrlC, ConsoleEventsE2E, ::testing::Values(true));

}  // namespace
}  // namespace e2e
