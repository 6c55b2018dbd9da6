// The run box, "Exit" and the title strip's spots, on a small form of the test's own that holds
// only the controls they serve. Programs are started for real: a probe program writes down how
// it was started.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "console/run_box.h"
#include "console/shelvoxs.h"
#include "probe_support.h"
#include "test_runtime.h"
#include "ui/form.h"

namespace {

// What the probe wrote: key=value lines.
using Record = std::map<std::string, std::string>;

using ui::Kind;
const COLORREF kNone = ui::kDefaultColor;

// The run box with "Go", "Exit" and the two spots of the title strip.
// clang-format off
const std::vector<ui::ControlDef> kLayout = {
    {L"Label4", Kind::Label, L"", 6600, 0, 255, 255, -1, nullptr, ui::kTransparent, {}, kNone, kNone, 0},
    {L"Label3", Kind::Label, L"", 7000, 0, 255, 255, -1, nullptr, ui::kTransparent, {}, kNone, kNone, 0},
    {L"Text1", Kind::TextBox, L"", 120, 360, 6735, 645, 0, nullptr, 0, {}, kNone, kNone, 0},
    {L"Command1", Kind::Button, L"Go", 6960, 360, 795, 615, 1, nullptr, 0, {}, kNone, kNone, 0},
    {L"Command3", Kind::Button, L"Exit", 6960, 1080, 795, 615, 2, nullptr, 0, {}, kNone, kNone, 0},
};
const ui::FormDef kForm = {L"RunBoxTestForm", 7935, 1815, ui::Border::FixedSingle, RGB(224, 224, 224), {}, 0, 0};
// clang-format on

struct RunBoxTest : ::testing::Test {
    TestRuntime rt;
    probe::TempFolder folder{L"dorvane run box"};  // a blank in every path below it
    std::wstring recordFile;
    std::unique_ptr<ui::Form> form;
    std::unique_ptr<console::RunBox> runBox;

    void SetUp() override {
        recordFile = folder.Path() + L"started.txt";
        SetEnvironmentVariableW(L"DORVANE_PROBE_FILE", recordFile.c_str());
        form = std::make_unique<ui::Form>(kForm, kLayout);
        runBox = std::make_unique<console::RunBox>(*form);
        form->EnsureLoaded();
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"DORVANE_PROBE_FILE", nullptr);
        probe::EndAllNamed(L"zq probe.exe");
        if (form) form->Unload();
        runBox.reset();
        form.reset();
        PumpMessages();
    }

    ui::Control& Text1() { return (*form)[L"Text1"]; }
    // The controls' own events, as the form raises them.
    void Press(const wchar_t* control) { (*form)[control].Click(); }
    void Type(int& key) { Text1().KeyPress(key); }

    // Waits for the probe's whole record (its last line is the image); empty when no probe
    // ran within ms. A file that is there but cannot be read yet is read again.
    Record TakeRecord(DWORD ms = 10000) {
        Record r;
        if (!probe::WaitUntil([&] { return (r = ReadRecord()).count("image") > 0; }, ms))
            return Record();
        DeleteFileW(recordFile.c_str());
        return r;
    }
    Record ReadRecord() const {
        Record r;
        std::ifstream in(recordFile.c_str(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            size_t eq = line.find('=');
            if (eq != std::string::npos) r[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return r;
    }

    static std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }
    // A text as the probe's "wcmd" line gives it: UTF-16 code units in decimal.
    static std::string Units(const std::wstring& w) {
        std::string out;
        for (wchar_t c : w)
            out += (out.empty() ? "" : " ") + std::to_string(static_cast<unsigned>(c));
        return out;
    }
};

TEST_F(RunBoxTest, GoAndEnterStartTheTypedProgramWithItsArgumentsInANormalWindow) {
    // Found where the system looks for programs: here, the starting program's own folder.
    const std::wstring line = L"proc_probe one \"two three\"";
    Text1().SetText(line);
    Press(L"Command1");
    Record r = TakeRecord();
    ASSERT_FALSE(r.empty()) << "the program did not start";
    EXPECT_EQ(r["cmd"], Narrow(line)) << "the command line goes over as typed";
    EXPECT_EQ(r["arg1"], "one");
    EXPECT_EQ(r["arg2"], "two three");
    EXPECT_EQ(r.count("arg3"), 0u);
    EXPECT_EQ(r["show"], std::to_string(SW_SHOWNORMAL));
    EXPECT_EQ(Text1().Text(), line) << "the text stays";

    // Enter does the same and leaves the key alone; the kept text starts a second copy.
    int key = 13;
    Type(key);
    EXPECT_EQ(key, 13);
    r = TakeRecord();
    ASSERT_FALSE(r.empty()) << "Enter did not start it";
    EXPECT_EQ(r["arg2"], "two three");
    EXPECT_EQ(Text1().Text(), line);

    // Any other character starts nothing.
    for (int other : {int('a'), int(' '), 10, 27, 0}) {
        key = other;
        Type(key);
        EXPECT_EQ(key, other);
    }
    EXPECT_TRUE(TakeRecord(500).empty());
    EXPECT_TRUE(rt.messages.empty());
}

TEST_F(RunBoxTest, ProgramPathsWithBlanksStartQuotedOrNot) {
    const std::wstring exe = probe::ProbeCopy(folder.Path(), L"zq probe.exe");

    Text1().SetText(L"\"" + exe + L"\" a \"b c\"");
    Press(L"Command1");
    Record r = TakeRecord();
    ASSERT_FALSE(r.empty()) << "a quoted path with blanks did not start";
    EXPECT_EQ(r["image"], Narrow(exe));
    EXPECT_EQ(r["arg1"], "a");
    EXPECT_EQ(r["arg2"], "b c");

    // Unquoted, the line up to each blank in turn names the program, as the system reads it;
    // the program found is handed over in quotes, so that it reads only the rest as arguments.
    Text1().SetText(exe + L" a");
    Press(L"Command1");
    r = TakeRecord();
    ASSERT_FALSE(r.empty()) << "an unquoted path with blanks did not start";
    EXPECT_EQ(r["image"], Narrow(exe));
    EXPECT_EQ(r["cmd"], "\"" + Narrow(exe) + "\" a");
    EXPECT_EQ(r["arg1"], "a");
    EXPECT_EQ(r.count("arg2"), 0u);

    // The shorter name comes first, as with the system's own reading of such a line.
    const std::wstring shorter = probe::ProbeCopy(folder.Path(), L"zq.exe");
    Text1().SetText(exe + L" a");
    Press(L"Command1");
    r = TakeRecord();
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r["image"], Narrow(shorter));
    EXPECT_EQ(r["cmd"], "\"" + Narrow(shorter.substr(0, shorter.size() - 4)) + "\" probe.exe a")
        << "the found program's path holds a blank too";
    EXPECT_EQ(r["arg1"], "probe.exe");
    DeleteFileW(shorter.c_str());

    // Without its extension, as the system allows.
    Text1().SetText(L"\"" + exe.substr(0, exe.size() - 4) + L"\" x");
    Press(L"Command1");
    r = TakeRecord();
    ASSERT_FALSE(r.empty()) << "the name without .exe did not start";
    EXPECT_EQ(r["arg1"], "x");
    EXPECT_TRUE(rt.messages.empty());
}

TEST_F(RunBoxTest, CharactersOutsideTheAnsiCodePageReachTheProgramExactly) {
    const std::wstring line =
        L"proc_probe \u041f\u0440\u0438\u0432\u0435\u0442 \"\u4e16\u754c \u00e9\" \U0001F600";
    Text1().SetText(line);
    Press(L"Command1");
    Record r = TakeRecord();
    ASSERT_FALSE(r.empty()) << "the program did not start";
    EXPECT_EQ(r["wcmd"], Units(line));
}

TEST_F(RunBoxTest, AProgramInALongCurrentFolderIsFoundThere) {
    std::vector<wchar_t> saved(GetCurrentDirectoryW(0, nullptr));
    GetCurrentDirectoryW(static_cast<DWORD>(saved.size()), saved.data());
    std::vector<std::wstring> made;
    std::wstring exe;
    struct Undo {
        std::function<void()> run;
        ~Undo() { run(); }
    } undo{[&] {
        SetCurrentDirectoryW(saved.data());
        probe::WaitUntil([] { return probe::EndAllNamed(L"zq deep.exe") == 0; });
        DeleteFileW(exe.c_str());
        for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW(it->c_str());
    }};
    // Nested folders up to a current folder of 240 characters, near MAX_PATH. (Wine takes a
    // longer current folder but then starts no program from it, so it cannot be tried here.)
    std::wstring deep = folder.Path();
    while (deep.size() + 2 <= 240) {
        deep += std::wstring(std::min<size_t>(50, 240 - deep.size() - 1), L'd') + L"\\";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr)) << deep.size();
        made.push_back(deep);
    }
    // A blank in its name: found by the run box's own search, it is started in quotes and
    // reads only "arg"; left to the system, it would read "deep arg".
    exe = probe::ProbeCopy(deep, L"zq deep.exe");
    ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str())) << "error " << GetLastError();

    Text1().SetText(L"zq deep arg");
    Press(L"Command1");
    Record r = TakeRecord();
    ASSERT_FALSE(r.empty()) << "the program did not start";
    EXPECT_EQ(r["image"], Narrow(exe));
    EXPECT_EQ(r["cmd"], "\"zq deep\" arg");
    EXPECT_EQ(r["arg1"], "arg");
    EXPECT_EQ(r.count("arg2"), 0u);
}

TEST_F(RunBoxTest, FailuresToStartAreSilentAndLoseNothing) {
    const std::wstring notes = folder.Path() + L"notes.txt";
    { std::ofstream(notes.c_str()) << "not a program\r\n"; }
    const std::wstring lines[] = {
        L"",
        L"   ",
        L"zq_no_such_program_anywhere",
        L"zq_no_such_program_anywhere.exe with arguments",
        L"\"" + notes + L"\"",
        L"\"" + folder.Path() + L"\"",  // a folder
        L"\"unclosed quote",
    };
    for (const std::wstring& line : lines) {
        Text1().SetText(line);
        Press(L"Command1");
        int key = 13;
        Type(key);
        EXPECT_EQ(key, 13);
        EXPECT_EQ(Text1().Text(), line);
    }
    EXPECT_TRUE(rt.messages.empty()) << "no message for any failure";
    EXPECT_TRUE(TakeRecord(300).empty());
    EXPECT_TRUE(form->Loaded());
}

TEST_F(RunBoxTest, TheStartedProgramRunsOnItsOwnAndNoHandleIsKept) {
    const std::wstring exe = probe::ProbeCopy(folder.Path(), L"zq probe.exe");
    Text1().SetText(L"\"" + exe + L"\" wait");
    Press(L"Command1");  // once first, so that anything opened on first use is open
    ASSERT_TRUE(probe::WaitUntil([] { return probe::EndAllNamed(L"zq probe.exe") == 0; }));

    DWORD before = probe::HandleCount();
    ASSERT_GT(before, 0u);
    DWORD start = GetTickCount();
    for (int i = 0; i < 3; ++i) Press(L"Command1");
    // The probe waits two minutes; a start alone takes seconds where 32-bit code is emulated.
    EXPECT_LT(GetTickCount() - start, 30000u) << "the run box does not wait for the program";
    EXPECT_TRUE(probe::WaitUntil([&] { return probe::HandleCount() == before; }))
        << "handles: " << probe::HandleCount() << ", before: " << before;
    int running = 0;
    probe::WaitUntil([&] {
        running = 0;
        for (const probe::Entry& e : probe::Snapshot()) running += e.name == L"zq probe.exe";
        return running == 3;
    });
    EXPECT_EQ(running, 3) << "each press starts one more copy, which keeps running";
}

TEST_F(RunBoxTest, CloseSpotOnlyWarnsMinimiseSpotMinimisesExitEnds) {
    form->Show();
    for (int i = 0; i < 2; ++i) {
        Press(L"Label3");
        ASSERT_EQ(rt.messages.size(), static_cast<size_t>(i + 1));
        EXPECT_EQ(rt.messages[i].text, L"Disabled by Administrator.");
        EXPECT_EQ(rt.messages[i].style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(rt.messages[i].title, std::optional<std::wstring>(L"Warning"));
        PumpMessages();
        EXPECT_TRUE(form->Loaded());
        EXPECT_TRUE(IsWindowVisible(form->Hwnd()));
    }

    Press(L"Label4");
    EXPECT_TRUE(IsIconic(form->Hwnd()));
    EXPECT_TRUE(form->Loaded());
    ShowWindow(form->Hwnd(), SW_RESTORE);

    EXPECT_THROW(Press(L"Command3"), TestRuntime::EndCalled);
}

// Files put in the system's own System32 (and, for a 32-bit test on 64-bit Windows, a
// different one of the same name in SysWOW64), taken away again at the end.
class SystemFolderFiles {
public:
    SystemFolderFiles() {
        wchar_t dir[MAX_PATH];
        GetSystemDirectoryW(dir, MAX_PATH);
        native_ = dir;
        Unredirected([&] {
            CopyFileW((probe::TestFolder() + L"proc_probe.exe").c_str(),
                      (native_ + L"\\" + Name(L".exe")).c_str(), FALSE);
            Write(native_ + L"\\" + Name(L".txt"), "native");
            if (GetSystemWow64DirectoryW(dir, MAX_PATH))
                Write(std::wstring(dir) + L"\\" + Name(L".txt"), "wow64");
        });
    }
    ~SystemFolderFiles() {
        Unredirected([&] {
            probe::EndAllNamed(Name(L".exe"));
            DeleteFileW((native_ + L"\\" + Name(L".exe")).c_str());
            DeleteFileW((native_ + L"\\" + Name(L".txt")).c_str());
            wchar_t dir[MAX_PATH];
            if (GetSystemWow64DirectoryW(dir, MAX_PATH))
                DeleteFileW((std::wstring(dir) + L"\\" + Name(L".txt")).c_str());
        });
    }
    static std::wstring Name(const wchar_t* ext) {
        return L"dvnative" + std::to_wstring(GetCurrentProcessId()) + ext;
    }
    // The folder as the system names it: System32 (redirected for a 32-bit process).
    const std::wstring& Folder() const { return native_; }
    std::wstring Exe() const { return native_ + L"\\" + Name(L".exe"); }

    // Whether the system itself starts the copy, tried for a while: a program just written
    // into the system's folder may be held for a moment (a scanner, the loader's own
    // bookkeeping). Sets the last error when it never starts.
    bool Startable(DWORD& error) const {
        return probe::WaitUntil([&] {
            std::wstring line = L"\"" + Exe() + L"\" wait";
            STARTUPINFOW si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            Unredirected([&] {
                error = CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                       nullptr, &si, &pi)
                            ? 0
                            : GetLastError();
            });
            if (error) return false;
            TerminateProcess(pi.hProcess, 0);
            WaitForSingleObject(pi.hProcess, 5000);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            return true;
        });
    }

private:
    template <typename Body>
    static void Unredirected(Body body) {
        BOOL wow64 = FALSE;
        void* old = nullptr;
        const bool off = IsWow64Process(GetCurrentProcess(), &wow64) && wow64 &&
                         Wow64DisableWow64FsRedirection(&old);
        body();
        if (off) Wow64RevertWow64FsRedirection(old);
    }
    static void Write(const std::wstring& file, const std::string& text) {
        std::ofstream(file.c_str(), std::ios::binary) << text;
    }
    std::wstring native_;
};

// On 64-bit Windows the console and the run box start the system's own programs, even from
// the 32-bit build: a program that is only in System32 is found, and System32 is what the
// started program sees (its 32-bit copy would read SysWOW64's file).
TEST_F(RunBoxTest, TheConsoleAndTheRunBoxStartTheSystemsOwnPrograms) {
    SystemFolderFiles files;
    const std::wstring exe = files.Exe();
    DWORD error = 0;
    ASSERT_TRUE(files.Startable(error)) << "the system cannot start the copy, error " << error;
    const std::wstring seen = folder.Path() + L"seen.txt";
    const std::wstring typeMarker = L"cmd /c type " + files.Folder() + L"\\" + files.Name(L".txt");
    console::Shelvoxs runner;
    std::wstring out;
    runner.ReceiveOutputs = [&](std::wstring chunk) { out += chunk; };
    struct Way {
        const char* name;
        std::function<void(const std::wstring&)> run;
    };
    const Way ways[] = {
        {"console", [&](const std::wstring& line) { runner.ExecuteCommand(line); }},
        {"run box",
         [&](const std::wstring& line) {
             Text1().SetText(line);
             Press(L"Command1");
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        way.run(files.Name(L"") + L" by-name");
        Record r = TakeRecord();
        EXPECT_EQ(r["image"], Narrow(exe)) << "the program only System32 holds";

        out.clear();
        DeleteFileW(seen.c_str());
        way.run(typeMarker + L" > \"" + seen + L"\"");
        std::string text;
        probe::WaitUntil([&] {
            std::ifstream in(seen.c_str(), std::ios::binary);
            return static_cast<bool>(std::getline(in, text)) && !text.empty();
        });
        EXPECT_EQ(text, "native") << "cmd read System32's file";
    }
    EXPECT_TRUE(rt.messages.empty()) << (rt.messages.empty() ? L"" : rt.messages[0].text);
}

}  // namespace
