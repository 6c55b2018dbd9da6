// The run box starts the typed command line as an independent program in a normal window;
// nothing is waited for or kept, and a failure to start is silent.
#include "console/run_box.h"

#include <windows.h>

#include <vector>

#include "mainwin/main_form.h"
#include "ui/runtime.h"

namespace console {

RunBox::RunBox(mainwin::MainForm& main) : main_(main) {
    ui::Form& f = main_.Form();
    f.Design(L"Command1").Click = [this] { Command1_Click(); };
    f.Design(L"Text1").KeyPress = [this](int& key) { Text1_KeyPress(key); };
    f.Design(L"Command3").Click = [this] { Command3_Click(); };
    f.Design(L"Label4").Click = [this] { Label4_Click(); };
    f.Design(L"Label3").Click = [this] { Label3_Click(); };
}

void RunBox::StartTyped() {
    std::wstring line = main_[L"Text1"].Text();
    if (line.empty()) return;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    // The first word names the program, found where the system looks for programs; the new
    // process is on its own from here on.
    if (CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE,
                       NORMAL_PRIORITY_CLASS | CREATE_NEW_CONSOLE, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

void RunBox::Command1_Click() {
    try {
        StartTyped();
    } catch (...) {
    }
}

void RunBox::Text1_KeyPress(int& keyAscii) {
    try {
        if (keyAscii == 13) StartTyped();
    } catch (...) {
    }
}

void RunBox::Command3_Click() { ui::Rt().End(); }

void RunBox::Label4_Click() { main_.Form().Minimize(); }

void RunBox::Label3_Click() {
    ui::Rt().MsgBox(L"Disabled by Administrator.", MB_OK | MB_ICONWARNING, std::wstring(L"Warning"));
}

}  // namespace console
