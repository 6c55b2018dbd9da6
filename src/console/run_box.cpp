// The run box starts the typed command line as an independent program in a normal window;
// nothing is waited for or kept, and a failure to start is silent.
#include "console/run_box.h"

#include <windows.h>

#include <vector>

#include "console/run_box_line.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "ui/runtime.h"
#include "win/handles.h"
#include "win/native_system.h"

namespace console {
namespace {

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// A folder read by a call that answers with the length it wrote or, when the buffer is too
// small, with the size it needs and nothing written. Asked again while it needs more, since
// the folder may change in between. Empty when the call fails.
template <typename Read>
std::wstring SizedRead(Read read) {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = read(static_cast<DWORD>(buf.size()), buf.data());
        if (n == 0) return std::wstring();
        if (n < buf.size()) return std::wstring(buf.data(), n);
        buf.resize(n);
    }
}

// This program's file. A truncated answer says only that it is the buffer's size, so the
// buffer doubles until the name fits, up to the longest path there is.
std::wstring ProgramFile() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::wstring();
        if (n < buf.size()) return std::wstring(buf.data(), n);
        if (buf.size() >= 32768) return std::wstring();
        buf.resize(buf.size() * 2);
    }
}

// Where the system looks for a program given by a bare name, in its order: the starting
// program's folder, the current folder, the system folders, the Windows folder, then PATH.
std::wstring ProgramSearchPath() {
    std::wstring path;
    const std::wstring program = ProgramFile();
    if (!program.empty()) path += FolderOf(program) + L";";
    const std::wstring current =
        SizedRead([](DWORD size, wchar_t* buf) { return GetCurrentDirectoryW(size, buf); });
    if (!current.empty()) path += current + L";";
    const std::wstring system =
        SizedRead([](DWORD size, wchar_t* buf) { return GetSystemDirectoryW(buf, size); });
    if (!system.empty()) path += system + L";";
    const std::wstring windows =
        SizedRead([](DWORD size, wchar_t* buf) { return GetWindowsDirectoryW(buf, size); });
    if (!windows.empty()) {
        path += windows + L"\\System;";
        path += windows + L";";
    }
    DWORD n = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (n > 0) {
        std::vector<wchar_t> env(n);
        if (GetEnvironmentVariableW(L"PATH", env.data(), n) < n) path += env.data();
    }
    return path;
}

// Whether a file by that program name exists where the system would look for it, with
// ".exe" added when the name has no extension. A name with a folder is taken as it stands.
bool ProgramFileExists(const std::wstring& program, const std::wstring& searchPath) {
    const bool hasFolder = program.find_first_of(L"\\/:") != std::wstring::npos;
    std::vector<wchar_t> found(MAX_PATH);
    for (;;) {
        DWORD n = SearchPathW(hasFolder ? nullptr : searchPath.c_str(), program.c_str(), L".exe",
                              static_cast<DWORD>(found.size()), found.data(), nullptr);
        if (n == 0) return false;
        if (n < found.size()) break;
        found.resize(n + 1);
    }
    DWORD attributes = GetFileAttributesW(found.data());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Starts a command line as a program of its own, in a normal window that takes the focus.
void StartProcess(const std::wstring& commandLine) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    // No handles inherited, a console of its own for a console program: nothing ties the
    // new process to this one, and it outlives it.
    if (CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE,
                       NORMAL_PRIORITY_CLASS | CREATE_NEW_CONSOLE, nullptr, nullptr, &si, &pi)) {
        win::UniqueHandle thread(pi.hThread), process(pi.hProcess);
    }
}

}  // namespace

RunBox::RunBox(ui::Form& form) : form_(form) {
    form_.Design(L"Command1").Click = [this] { Command1_Click(); };
    form_.Design(L"Text1").KeyPress = [this](int& key) { Text1_KeyPress(key); };
    form_.Design(L"Command3").Click = [this] { Command3_Click(); };
    form_.Design(L"Label4").Click = [this] { Label4_Click(); };
    form_.Design(L"Label3").Click = [this] { Label3_Click(); };
}

void RunBox::StartTyped() {
    const std::wstring line = form_[L"Text1"].Text();
    const std::vector<RunCandidate> candidates = RunCandidates(line);
    if (candidates.empty()) return;
    // The system itself would also find a program whose unquoted path holds blanks, but then
    // hand it the words of its own path as arguments; naming the found program in quotes
    // gives it exactly the rest of the line.
    const std::wstring searchPath = ProgramSearchPath();
    // The lookup and the start see the system's own folder, not its 32-bit copy (WoW64).
    win::NativeSystemFiles native;
    for (const RunCandidate& c : candidates) {
        if (ProgramFileExists(c.program, searchPath)) {
            StartProcess(c.commandLine);
            return;
        }
    }
    // Nothing found by name: let the system have its own try, which fails quietly.
    StartProcess(candidates.front().commandLine);
}

void RunBox::Command1_Click() {
    ui::ResumeNext([&] { StartTyped(); });
}

void RunBox::Text1_KeyPress(int& keyAscii) {
    ui::ResumeNext([&] {
        if (keyAscii == 13) StartTyped();
    });
}

void RunBox::Command3_Click() { ui::Rt().End(); }

void RunBox::Label4_Click() { form_.Minimize(); }

void RunBox::Label3_Click() {
    ui::Rt().MsgBox(L"Disabled by Administrator.", MB_OK | MB_ICONWARNING,
                    std::wstring(L"Warning"));
}

}  // namespace console
