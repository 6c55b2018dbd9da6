// "Copy to Clipboard": exactly the eight-line report, and nothing else, on the clipboard;
// a clipboard held elsewhere makes the copy fail quietly and quickly.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "inspector_support.h"
#include "ui/clipboard.h"

namespace inspector_test {
namespace {

const wchar_t kLabelsOnly[] =
    L"Window Handle:  \r\nWindow Caption: \r\nWindow Class:   \r\nWindow Style:   \r\n"
    L"Rectangle:      \r\nParent Handle:  \r\nParent Caption: \r\nParent Class:   \r\n";

// Puts a text and a format of our own on the clipboard, as another program might have.
void FillClipboard(HWND owner, UINT ownFormat) {
    ASSERT_TRUE(ui::SetClipboardText(owner, L"earlier content"));
    ASSERT_TRUE(OpenClipboard(owner));
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 4);
    SetClipboardData(ownFormat, mem);
    CloseClipboard();
    ASSERT_TRUE(IsClipboardFormatAvailable(ownFormat));
}

std::set<UINT> Formats() {
    std::set<UINT> formats;
    if (!OpenClipboard(nullptr)) return formats;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) formats.insert(f);
    CloseClipboard();
    return formats;
}

std::string AnsiClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE mem = GetClipboardData(CF_TEXT)) {
        if (auto* data = static_cast<const char*>(GlobalLock(mem))) {
            text = data;
            GlobalUnlock(mem);
        }
    }
    CloseClipboard();
    return text;
}

struct ReportTest : MainFormFixture {
    void Copy() { main->Inspector().Report().cmdCopy_Click(); }
};

TEST_F(ReportTest, BeforeAnyDragTheReportIsTheEightLabelsAndNothingElseStays) {
    const UINT own = RegisterClipboardFormatW(L"Dorvane.Test.Other");
    FillClipboard(main->Form().Hwnd(), own);
    Copy();
    std::optional<std::wstring> text = ui::ClipboardText();
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, kLabelsOnly);
    EXPECT_EQ(text->size(), 144u);
    EXPECT_FALSE(IsClipboardFormatAvailable(own)) << "the clipboard was emptied first";
    for (UINT f : Formats())
        EXPECT_TRUE(f == CF_UNICODETEXT || f == CF_TEXT || f == CF_OEMTEXT || f == CF_LOCALE)
            << "unexpected format " << f;
    EXPECT_EQ(AnsiClipboardText(), std::string(kLabelsOnly, kLabelsOnly + 144))
        << "plain-text readers get the same report";
}

TEST_F(ReportTest, EachLineIsALabelAndItsBoxVerbatim) {
    const std::pair<const wchar_t*, std::wstring> boxes[] = {
        {L"txthWnd", L"-131844"},
        {L"txtTitle", L"  Untitled - Notepad  "},
        {L"txtClass", L"Notepad"},
        {L"txtStyle", L"WS_BORDER WS_CAPTION "},
        {L"txtRect", L"(-8, -8) - (1288, 1008)"},
        {L"txtParent", L"0"},
        {L"txtParentText", L""},
        {L"txtParentClass", L""},
    };
    for (const auto& [name, value] : boxes) Box(name).SetText(value);
    Box(L"txtMhWnd").SetText(L"999");  // not part of the report
    Copy();
    const std::wstring expected =
        L"Window Handle:  -131844\r\n"
        L"Window Caption:   Untitled - Notepad  \r\n"
        L"Window Class:   Notepad\r\n"
        L"Window Style:   WS_BORDER WS_CAPTION \r\n"
        L"Rectangle:      (-8, -8) - (1288, 1008)\r\n"
        L"Parent Handle:  0\r\n"
        L"Parent Caption: \r\n"
        L"Parent Class:   \r\n";
    EXPECT_EQ(ui::ClipboardText(), expected);
    // A second click without a new drag puts the same text there again.
    ui::SetClipboardText(main->Form().Hwnd(), L"something else");
    Copy();
    EXPECT_EQ(ui::ClipboardText(), expected);
}

TEST_F(ReportTest, AClipboardHeldElsewhereMakesTheCopyFailQuietlyAndQuickly) {
    ui::SetClipboardText(main->Form().Hwnd(), L"kept");
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        // Another thread counts as another program: the clipboard is open for one at a time.
        if (OpenClipboard(nullptr)) {
            SetEvent(opened);
            WaitForSingleObject(release, 10000);
            CloseClipboard();
        }
    });
    // The form owns the clipboard's text, so its thread answers the system's messages while it
    // waits: the system holds the clipboard until they are answered.
    for (DWORD start = GetTickCount();
         WaitForSingleObject(opened, 0) != WAIT_OBJECT_0 && GetTickCount() - start < 10000;)
        PumpMessages(20);
    const bool held = WaitForSingleObject(opened, 0) == WAIT_OBJECT_0;
    if (!held) holder.join();  // it has given up
    ASSERT_TRUE(held) << "another thread could not open the clipboard";

    DWORD start = GetTickCount();
    Copy();
    EXPECT_FALSE(ui::SetClipboardText(main->Form().Hwnd(), L"x"));
    DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 500u) << "two copies took " << took << " ms";
    EXPECT_TRUE(rt.messages.empty());

    SetEvent(release);
    holder.join();
    EXPECT_EQ(ui::ClipboardText(), L"kept");
    CloseHandle(opened);
    CloseHandle(release);
}

}  // namespace
}  // namespace inspector_test
