// A windowless console, from a helper started with CREATE_NO_WINDOW.
#include "win/windowless_console.h"

#include <windows.h>

#include <string>

#include "win/handles.h"

namespace win {

bool AttachWindowlessConsole() {
    FreeConsole();
    wchar_t system[MAX_PATH] = L"";
    UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    const std::wstring exe = std::wstring(system) + L"\\cmd.exe";
    // No AutoRun commands; /k waits at its prompt for input that never comes.
    std::wstring line = L"\"" + exe + L"\" /d /k";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP, nullptr, system, &si, &pi))
        return false;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    // The helper makes its console as it starts: attach as soon as it exists, for at most
    // two seconds, and never to a helper that has already ended.
    bool attached = false;
    for (int i = 0; i < 400 && !attached; ++i) {
        attached = AttachConsole(pi.dwProcessId) != FALSE;
        if (!attached && WaitForSingleObject(process.Get(), 5) == WAIT_OBJECT_0) break;
    }
    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), 2000);
    return attached;
}

}  // namespace win
