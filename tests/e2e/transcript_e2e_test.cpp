// The transcript's Find and Save As, driven through the system's own dialogs from outside: a
// word found, found again with F3 and back with Shift+F3, around the end, a miss; the file
// read back byte for byte; a read-only file in the way left as it was.
#include <windows.h>
#include <dlgs.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "driver.h"
#include "file_support.h"
#include "session.h"

namespace e2e {
namespace {

// A visible dialog of the program with that title (message boxes included), waited for.
HWND WaitForDialog(const App& app, const std::wstring& title, DWORD ms = 10000) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND h : TopWindows(app.Pid(), L"#32770"))
                if (Text(h) == title) found = h;
            return found != nullptr;
        },
        ms);
    return found;
}

// A visible message box of the program (a dialog with a text and no box to type in), waited
// for.
HWND WaitForBox(const App& app, DWORD ms = 10000) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND h : TopWindows(app.Pid(), L"#32770"))
                if (GetDlgItem(h, 0xFFFF) && !FindWindowExW(h, nullptr, L"Edit", nullptr))
                    found = h;
            return found != nullptr;
        },
        ms);
    return found;
}

std::pair<size_t, size_t> Selection(HWND box) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(box, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    return {LOWORD(r), HIWORD(r)};
}

void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Every place where `what` starts in text, ASCII letters of either case alike.
std::vector<size_t> Starts(std::wstring text, std::wstring what) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    for (wchar_t& c : what) c = static_cast<wchar_t>(std::towupper(c));
    std::vector<size_t> v;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + 1))
        v.push_back(at);
    return v;
}

std::pair<size_t, size_t> Match(size_t at, const std::wstring& what) {
    return {at, at + what.size()};
}

// The Save As dialog's file name box: an edit of its own, or the edit in a combo box (within
// an extended one).
HWND FileNameBox(HWND dialog) {
    if (HWND e = GetDlgItem(dialog, edt1)) return e;
    HWND combo = GetDlgItem(dialog, cmb13);
    for (HWND inner = combo; inner; inner = FindWindowExW(inner, nullptr, L"ComboBox", nullptr))
        if (HWND e = FindWindowExW(inner, nullptr, L"Edit", nullptr)) return e;
    return nullptr;
}

void SaveAsIn(HWND dialog, const std::wstring& path) {
    HWND name = FileNameBox(dialog);
    ASSERT_TRUE(name) << "no file name box";
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Press(dialog, IDOK);
}

std::wstring Documents() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path))) folder = path;
    CoTaskMemFree(path);
    return folder;
}

// Runs a command line put into the command box and waits until the transcript ends with
// endsWith.
void RunCommand(MainSession& s, const std::wstring& line, const std::wstring& endsWith) {
    SendMessageW(s(L"txtCommand"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line.c_str()));
    Activate(s.main);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] {
        std::wstring t = Text(s(L"txtOutputs"));
        return t.size() >= endsWith.size() &&
               t.compare(t.size() - endsWith.size(), endsWith.size(), endsWith) == 0;
    })) << "the command's output did not arrive";
    WaitUntil([&] { return Text(s(L"txtCommand")).empty(); }, 3000);
}

TEST(TranscriptE2E, FindAWordAgainWithF3BackWithShiftF3AroundTheEndAndAMiss) {
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    RunCommand(s, L"\"" + TestChildPath() + L"\" lines \"one beta\" \"two Beta\" \"three BETA\"",
               L"three BETA\r\n");
    HWND out = s(L"txtOutputs");
    const std::wstring text = Text(out);
    const std::vector<size_t> any = Starts(text, L"beta");
    ASSERT_GE(any.size(), 3u);
    const size_t n = any.size();

    // Ctrl+F in the command box; nothing is selected, so "Find what" starts empty.
    PressKey('F', false, true);
    HWND find = WaitForDialog(*s.app, L"Find");
    ASSERT_TRUE(find) << "no Find dialog";
    EXPECT_EQ(Text(GetDlgItem(find, edt1)), L"");
    SendMessageW(GetDlgItem(find, edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"beta"));
    // Down, ignoring case, as the dialog starts. The caret is at the end of the transcript: the
    // search goes around to the first one.
    Press(find, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return Selection(out) == Match(any[0], L"beta"); }))
        << "around the end to the first match";
    Press(find, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return Selection(out) == Match(any[1], L"beta"); }));
    SaveScreenshot(L"transcript-find");

    // Back in the main window: F3 goes on, Shift+F3 goes back, and around the start.
    Activate(s.main);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(s.main) == s(L"txtCommand"); }, 3000));
    PressKey(VK_F3);
    EXPECT_TRUE(WaitUntil([&] { return Selection(out) == Match(any[2], L"beta"); }));
    PressKey(VK_F3, true);
    EXPECT_TRUE(WaitUntil([&] { return Selection(out) == Match(any[1], L"beta"); }));
    PressKey(VK_F3, true);
    PressKey(VK_F3, true);
    EXPECT_TRUE(WaitUntil([&] { return Selection(out) == Match(any[n - 1], L"beta"); }))
        << "back around the start to the last match";
    EXPECT_EQ(Text(out), text) << "the transcript itself is not touched";

    // Ctrl+F in the transcript: the selection, one line, becomes the text to find.
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(s.main) == out; }, 3000));
    const std::wstring selected = text.substr(any[n - 1], 4);
    PressKey('F', false, true);
    ASSERT_TRUE(WaitUntil([&] { return Text(GetDlgItem(find, edt1)) == selected; }, 5000))
        << "Find what: " << std::string(Text(GetDlgItem(find, edt1)).size(), '?');

    // A miss: a box says so, as a text editor says it, and the selection stays.
    const auto before = Selection(out);
    SendMessageW(GetDlgItem(find, edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"no such words"));
    Press(find, IDOK);
    HWND box = WaitForBox(*s.app);
    ASSERT_TRUE(box) << "no box for the miss";
    EXPECT_EQ(MessageBoxText(box), L"Cannot find \"no such words\"");
    EXPECT_EQ(Text(box), L"MORAVELT");
    SaveScreenshot(L"transcript-find-miss");
    PressMessageBoxButton(box);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    EXPECT_EQ(Selection(out), before);

    Press(find, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(find); }, 5000)) << "Cancel closes the dialog";
}

TEST(TranscriptE2E, SaveWritesUtf8AndAReadOnlyFileInTheWayIsLeftAsItWas) {
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    // Cyrillic, a character beyond the BMP (a surrogate pair) and an accented letter.
    RunCommand(s, L"\"" + TestChildPath() + L"\" utf16", L" ok\r\n");
    RunCommand(s, L"\"" + TestChildPath() + L"\" console", L"caf\x00E9\r\n");
    const std::wstring text = Text(s(L"txtOutputs"));
    ASSERT_NE(text.find(L"\xD83D\xDE00"), std::wstring::npos);

    // Ctrl+S: the dialog starts in Documents and suggests transcript.txt; Save takes them.
    const std::wstring suggested = Documents() + L"\\transcript.txt";
    DeleteFileW(suggested.c_str());
    PressKey('S', false, true);
    HWND dialog = WaitForDialog(*s.app, L"Save As");
    ASSERT_TRUE(dialog && FileNameBox(dialog)) << "no Save As dialog";
    EXPECT_EQ(Text(FileNameBox(dialog)), L"transcript.txt");
    EXPECT_EQ(Text(GetDlgItem(dialog, cmb1)), L"Text files (*.txt)");
    SaveScreenshot(L"transcript-save-as");
    Press(dialog, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return testfiles::Bytes(suggested) == testfiles::Utf8File(text); }))
        << "the file in Documents holds " << testfiles::Bytes(suggested).size() << " bytes";
    DeleteFileW(suggested.c_str());

    // Save As... from the transcript's menu (its access key) over a read-only file: the box
    // says why, and the file and its folder stay as they were.
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring folder = tmp + std::wstring(L"dorvane-e2e-save\\");
    const std::wstring path = folder + L"kept.txt";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    testfiles::Write(path, "the old contents\r\n");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(s.main) == s(L"txtOutputs"); }, 3000));
    PressKey(VK_F10, true);
    Sleep(300);
    PressKey('S');
    dialog = WaitForDialog(*s.app, L"Save As");
    ASSERT_TRUE(dialog) << "no Save As dialog from the menu";
    SaveAsIn(dialog, path);
    HWND box = WaitForBox(*s.app);
    if (box && Text(box) != L"MORAVELT") {  // the dialog asks before it replaces a file: yes
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        WaitUntil([&] { return !IsWindow(box); }, 5000);
        box = WaitForDialog(*s.app, L"MORAVELT");
    }
    ASSERT_TRUE(box) << "no box for the failed save";
    wchar_t reason[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_ACCESS_DENIED, 0, reason, 256, nullptr);
    std::wstring why = reason;
    while (!why.empty() && (why.back() == L'\n' || why.back() == L'\r')) why.pop_back();
    EXPECT_EQ(MessageBoxText(box), L"Cannot save " + path + L"\r\n\r\n" + why);
    SaveScreenshot(L"transcript-save-read-only");
    PressMessageBoxButton(box);
    EXPECT_EQ(testfiles::Bytes(path), "the old contents\r\n");
    EXPECT_EQ(testfiles::Names(folder), std::vector<std::wstring>{L"kept.txt"});
    EXPECT_EQ(Text(s(L"txtOutputs")), text) << "the transcript itself is not touched";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace e2e
