// The command box remembers: Up and Down walk the lines run so far, and what is typed while a
// command runs waits, in order, and runs after it, as in a terminal.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "session.h"

namespace e2e {
namespace {

size_t Count(const std::wstring& text, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(ConsoleHistoryE2E, UpAndDownWalkTheLinesRunAndTypedAheadLinesRunAfter) {
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    const std::wstring child = L"\"" + TestChildPath() + L"\"";
    const std::wstring a = child + L" lines alpha", b = child + L" lines beta";
    SetFocus(s(L"txtCommand"));
    for (const std::wstring& line : {a, b, b}) {
        TypeText(line);
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return Text(s(L"txtCommand")).empty(); }));
    }
    auto box = [&] { return Text(s(L"txtCommand")); };
    PressKey(VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return box() == b; }, 2000));
    PressKey(VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return box() == a; }, 2000)) << "a line run twice is kept once";
    PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return box() == b; }, 2000));
    PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return box().empty(); }, 2000)) << "past the newest: empty";

    // Typed while a command runs: kept, and run once after it.
    TypeText(child + L" sleep 2000");
    PressKey(VK_RETURN);
    ASSERT_TRUE(
        WaitUntil([&] { return Text(s(L"txtOutputs")).find(L"sleeping") != std::wstring::npos; }));
    TypeText(child + L" lines ahead");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil(
        [&] {
            std::wstring t = Text(s(L"txtOutputs"));
            const std::wstring end = L"awake\r\nahead\r\n";
            return t.size() >= end.size() && t.substr(t.size() - end.size()) == end;
        },
        10000))
        << "the line typed ahead ran after the running one";
    Sleep(500);
    EXPECT_EQ(Count(Text(s(L"txtOutputs")), L"ahead\r\n"), 1u);
    EXPECT_TRUE(box().empty());

    // Enter pressed again and again while a command runs: nothing typed, nothing to run, so
    // no "Command Line empty" once it has ended.
    TypeText(child + L" sleep 1500");
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Count(Text(s(L"txtOutputs")), L"sleeping") == 2; }));
    PressKey(VK_RETURN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Count(Text(s(L"txtOutputs")), L"awake") == 2; }));
    HWND box2 = s.app->WaitForMessageBox(1500);
    EXPECT_EQ(box2, nullptr) << "an Enter typed ahead on an empty line: "
                             << (box2 ? MessageBoxText(box2).c_str() : L"");
    if (box2) PressMessageBoxButton(box2);
}

}  // namespace
}  // namespace e2e
