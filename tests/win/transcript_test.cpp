// The console pane's Find, Save As and long-run notice on a small form of the test's own: what
// Find selects (non-ASCII letters folded as the system folds them), the Find dialog's text, a
// run holding Find; the saved file byte for byte, and every failure of the save leaving the old
// file as it was and nothing beside it; the flash asked for after a long run only.
#include <windows.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/console_pane.h"
#include "console/shelvoxs.h"
#include "console/text_file.h"
#include "file_support.h"
#include "probe_support.h"
#include "test_runtime.h"
#include "ui/busy_pump.h"
#include "ui/form.h"

namespace {

using ui::Kind;
const COLORREF kNone = ui::kDefaultColor;
constexpr size_t kMiss = static_cast<size_t>(-1);

// clang-format off
const std::vector<ui::ControlDef> kLayout = {
    {L"txtOutputs", Kind::TextBox, L"", 120, 120, 8115, 3000, 2, nullptr, ui::kMultiLine | ui::kVScroll, {}, kNone, kNone, 0},
    {L"txtCommand", Kind::TextBox, L"", 120, 3240, 3615, 645, 0, nullptr, 0, {}, kNone, kNone, 0},
    {L"cmdExecute", Kind::Button, L"Run Command", 3840, 3240, 1515, 615, 1, nullptr, 0, {}, kNone, kNone, 0},
    {L"cmdCancel", Kind::Button, L"Cancel (Esc)", 5400, 3240, 1395, 375, -1, nullptr, ui::kHidden, {}, kNone, kNone, 0},
};
const ui::FormDef kForm = {L"TranscriptTestForm", 8355, 4000, ui::Border::FixedSingle, RGB(224, 224, 224), {}, 0, 0};
// clang-format on

const wchar_t kText[] =
    L"Caf\xE9 one\r\n"
    L"caf\xC9 two\r\n"
    L"\x414\x43E\x43C and \x434\x41E\x41C\r\n"
    L"end";

struct TranscriptTest : ::testing::Test {
    TestRuntime rt;
    std::unique_ptr<console::Shelvoxs> runner;
    ui::Form form{kForm, kLayout};
    std::unique_ptr<console::ConsolePane> pane;

    void SetUp() override {
        form.AddTimer(L"Timer11", 3000, false);
        pane = std::make_unique<console::ConsolePane>(form, [this] { return runner.get(); });
        form.EnsureLoaded();
    }
    void TearDown() override {
        form.Unload();
        PumpMessages();
    }
    HWND Box() { return form[L"txtOutputs"].Hwnd(); }
    console::Transcript& Tools() { return pane->TranscriptTools(); }
    std::pair<size_t, size_t> Sel() {
        DWORD a = 0, b = 0;
        SendMessageW(Box(), EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
        return {a, b};
    }
    void SetSel(size_t a, size_t b) { SendMessageW(Box(), EM_SETSEL, a, b); }
    HWND FindWhat() { return GetDlgItem(Tools().Dialog().Hwnd(), edt1); }
    std::wstring WhatToFind() {
        wchar_t what[64] = L"";
        GetWindowTextW(FindWhat(), what, 64);
        return what;
    }
};

struct FindCase {
    size_t selA, selB;
    const wchar_t* what;
    bool matchCase, down;
    size_t found;  // where the match starts, or kMiss
};

const FindCase kFinds[] = {
    {0, 4, L"caf\xE9", false, true, 10},   // down: from the selection's end
    {12, 12, L"caf\xE9", false, true, 0},  // around the end
    {0, 0, L"caf\xE9", true, true, kMiss},
    {21, 21, L"\x434\x43E\x43C", false, true, 28},   // Cyrillic folds as the system folds it
    {28, 31, L"\x434\x43E\x43C", false, false, 20},  // up: from the selection's start
    {20, 20, L"\x434\x43E\x43C", false, false, 28},  // up, around the start
    {5, 5, L"one\r\ncaf", false, true, 5},           // across a line break
};

TEST_F(TranscriptTest, FindNextSelectsTheNextMatchAroundTheEndOrSaysItCannotFind) {
    form[L"txtOutputs"].SetText(kText);
    for (const FindCase& c : kFinds) {
        SetSel(c.selA, c.selB);
        rt.messages.clear();
        const bool found = Tools().FindNext({c.what, c.matchCase, c.down});
        const auto tag = ::testing::Message() << "case #" << (&c - kFinds);
        EXPECT_EQ(found, c.found != kMiss) << tag;
        if (found) {
            EXPECT_EQ(Sel(), std::make_pair(c.found, c.found + wcslen(c.what))) << tag;
            EXPECT_TRUE(rt.messages.empty()) << tag;
            continue;
        }
        EXPECT_EQ(Sel(), std::make_pair(c.selA, c.selB)) << tag << ": the selection stays";
        ASSERT_EQ(rt.messages.size(), 1u) << tag;
        EXPECT_EQ(rt.messages[0].text, L"Cannot find \"" + std::wstring(c.what) + L"\"");
        EXPECT_EQ(rt.messages[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    }
    EXPECT_EQ(form[L"txtOutputs"].Text(), kText) << "Find never changes the transcript";
}

TEST_F(TranscriptTest, TheDialogTakesAOneLineSelectionAndF3WithNothingToFindOpensIt) {
    form[L"txtOutputs"].SetText(kText);
    int key = VK_F3;
    pane->txtCommand_KeyDown(key, 0);
    EXPECT_EQ(key, 0) << "the key is kept from the box";
    ASSERT_TRUE(Tools().Dialog().Hwnd());
    EXPECT_EQ(GetParent(Tools().Dialog().Hwnd()), form.Hwnd()) << "owned by the form";
    SetSel(4, 14);  // two lines
    Tools().Find();
    EXPECT_EQ(WhatToFind(), L"");
    SetSel(0, 4);
    Tools().Find();
    EXPECT_EQ(WhatToFind(), L"Caf\xE9") << "the open dialog takes the new selection";
    key = 'F';
    pane->txtOutputs_KeyDown(key, 0);
    EXPECT_EQ(key, 'F') << "other keys are the box's own";
}

TEST_F(TranscriptTest, WhileACommandRunsTheDialogsRequestsAreHeld) {
    form[L"txtOutputs"].SetText(kText);
    Tools().Find();
    SetWindowTextW(FindWhat(), L"two");
    const auto before = Sel();
    {
        ui::BusyPump run(form, nullptr, nullptr);
        SendMessageW(Tools().Dialog().Hwnd(), WM_COMMAND, IDOK, 0);
        EXPECT_EQ(Sel(), before) << "nothing found during a run";
    }
    SendMessageW(Tools().Dialog().Hwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Sel(), std::make_pair(size_t(15), size_t(18)));
}

// A transcript whose file takes several writes, with a surrogate pair split where the save
// takes its parts (every 65536 characters), and runs of ASCII long and short.
std::wstring LongText() {
    std::wstring t;
    while (t.size() < 1000000)
        t += L"\x441\x442\x440\x43E\x43A\x430 the quick brown fox jumps over the caf\xE9 "
             L"\xD83D\xDE00 ok\r\n" +
             std::to_wstring(t.size()) + L" ";
    t[65535] = 0xD83D;
    t[65536] = 0xDE00;
    return t;
}

// The file calls, each passed on to the system, with one of them failing as told.
struct FailingFiles : console::TextFile::System {
    enum Step { kNone, kCreate, kWrite, kFlush, kMove };
    Step failAt = kNone;
    DWORD error = 0;
    int existing = 0;  // names taken already, before the first free one
    int writes = 0;
    std::vector<std::wstring> created;
    console::TextFile::System* previous = console::TextFile::SetSystem(this);
    ~FailingFiles() override { console::TextFile::SetSystem(previous); }

    BOOL Fail() {
        SetLastError(error);
        return FALSE;
    }
    HANDLE CreateNew(const std::wstring& path) override {
        created.push_back(path);
        if (existing > 0) {
            --existing;
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        if (failAt != kCreate) return System::CreateNew(path);
        Fail();
        return INVALID_HANDLE_VALUE;
    }
    BOOL Write(HANDLE f, const void* data, DWORD size, DWORD* done) override {
        if (failAt == kWrite && ++writes == 2) return Fail();
        return System::Write(f, data, size, done);
    }
    BOOL Flush(HANDLE f) override { return failAt == kFlush ? Fail() : System::Flush(f); }
    BOOL Move(const std::wstring& from, const std::wstring& to) override {
        return failAt == kMove ? Fail() : System::Move(from, to);
    }
};

TEST_F(TranscriptTest, SaveWritesUtf8AndAFailureSaysWhyAndLeavesTheOldFileAndNothingElse) {
    struct Case {
        FailingFiles::Step step;
        DWORD error;  // ERROR_SUCCESS: saved
        bool readOnly;
    };
    const Case cases[] = {
        {FailingFiles::kNone, ERROR_SUCCESS, false},
        {FailingFiles::kCreate, ERROR_ACCESS_DENIED, false},    // a folder we may not write in
        {FailingFiles::kWrite, ERROR_DISK_FULL, false},         // the disk fills up
        {FailingFiles::kFlush, ERROR_IO_DEVICE, false},         // the device fails
        {FailingFiles::kMove, ERROR_SHARING_VIOLATION, false},  // the target is locked
        {FailingFiles::kNone, ERROR_ACCESS_DENIED, true},       // read-only: Wine would replace it
    };
    probe::TempFolder folder(L"dorvane-save");
    const std::wstring path = folder.Path() + L"kept.txt";
    const std::wstring text = LongText();
    form[L"txtOutputs"].SetText(text);
    for (const Case& c : cases) {
        const auto tag = ::testing::Message() << "case #" << (&c - cases);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        testfiles::Write(path, "the old file");
        if (c.readOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        rt.messages.clear();
        FailingFiles files;
        files.failAt = c.step;
        files.error = c.error;
        EXPECT_EQ(Tools().SaveTo(path), c.error == ERROR_SUCCESS) << tag;
        EXPECT_TRUE(testfiles::Bytes(path) ==
                    (c.error ? "the old file" : testfiles::Utf8File(text)))
            << tag << ": not the file expected";
        EXPECT_EQ(testfiles::Names(folder.Path()), std::vector<std::wstring>{L"kept.txt"}) << tag;
        if (c.error == ERROR_SUCCESS) {
            EXPECT_TRUE(rt.messages.empty()) << tag;
            continue;
        }
        ASSERT_EQ(rt.messages.size(), 1u) << tag;
        EXPECT_EQ(rt.messages[0].text,
                  L"Cannot save " + path + L"\r\n\r\n" + console::TextFile::Reason(c.error))
            << tag;
        EXPECT_EQ(rt.messages[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR)) << tag;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Temporary names already taken are passed over, in the same folder.
    FailingFiles files;
    files.existing = 3;
    form[L"txtOutputs"].SetText(L"x");
    ASSERT_TRUE(Tools().SaveTo(path));
    EXPECT_EQ(testfiles::Bytes(path), "\xEF\xBB\xBFx");
    ASSERT_EQ(files.created.size(), 4u);
    for (const std::wstring& name : files.created)
        EXPECT_EQ(name.compare(0, folder.Path().size(), folder.Path()), 0) << "in the same folder";
    EXPECT_NE(files.created[0], files.created[3]);
}

TEST_F(TranscriptTest, ALongRunThatEndsWhileTheUserIsElsewhereFlashesTheTaskbarButton) {
    struct Case {
        ULONGLONG took;
        bool inForeground, flashes;
    };
    const Case cases[] = {
        {5000, false, true},
        {4999, false, false},  // short: nothing
        {5000, true, false},   // the user is watching: nothing
    };
    runner = std::make_unique<console::Shelvoxs>();
    pane->AttachRunner(*runner);
    for (const Case& c : cases) {
        rt.flashes.clear();
        rt.tickStep = c.took;  // the clock is read as the run starts and as it ends
        rt.inForeground = c.inForeground;
        form[L"txtCommand"].SetText(probe::QuotedTestChild() + L" lines done");
        pane->cmdExecute_Click();
        rt.tickStep = 0;
        ASSERT_EQ(rt.flashes.size(), c.flashes ? 1u : 0u) << "case #" << (&c - cases);
        if (!c.flashes) continue;
        EXPECT_EQ(rt.flashes[0].hwnd, form.Hwnd());
        EXPECT_EQ(rt.flashes[0].dwFlags, static_cast<DWORD>(FLASHW_TRAY | FLASHW_TIMERNOFG))
            << "until the user comes back";
    }
    EXPECT_EQ(form[L"txtOutputs"].Text(), L"done\r\ndone\r\ndone\r\n");
}

}  // namespace
