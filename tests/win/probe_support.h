// Helpers for tests that start real processes: copies of proc_probe.exe under names of their
// own, the system's process snapshot as names, and the handle count of this process.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "win/handles.h"

namespace probe {

// The folder of the running test program (where proc_probe.exe is built), with a backslash.
inline std::wstring TestFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

// The test child program beside the test program: its path, and that path quoted to start a
// command line.
inline std::wstring TestChild() { return TestFolder() + L"test_child.exe"; }
inline std::wstring QuotedTestChild() { return L"\"" + TestChild() + L"\""; }

// A fresh, empty folder under the temporary folder; removed with everything in it on exit.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name) {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        path_ = std::wstring(tmp) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        Remove();
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { Remove(); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    void Remove() {
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((path_ + L"*").c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveDirectoryW((path_ + name).c_str());
                else
                    DeleteFileW((path_ + name).c_str());
            } while (FindNextFileW(find, &fd));
            FindClose(find);
        }
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring path_;
};

// Copies proc_probe.exe into folder under the file name given; returns the copy's path.
inline std::wstring ProbeCopy(const std::wstring& folder, const std::wstring& fileName) {
    std::wstring to = folder + fileName;
    CopyFileW((TestFolder() + L"proc_probe.exe").c_str(), to.c_str(), FALSE);
    return to;
}

// A process this test started and keeps a handle to.
struct Started {
    win::UniqueHandle process;
    DWORD pid = 0;
    bool Running() const { return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT; }
    // True when the process has ended within ms.
    bool Ended(DWORD ms) const { return WaitForSingleObject(process.Get(), ms) == WAIT_OBJECT_0; }
};

// Starts the probe at exe in its waiting mode.
inline Started StartWaiting(const std::wstring& exe) {
    std::wstring cmd = L"\"" + exe + L"\" wait";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    Started s;
    if (CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
        CloseHandle(pi.hThread);
        s.process.Reset(pi.hProcess);
        s.pid = pi.dwProcessId;
    }
    return s;
}

struct Entry {
    DWORD pid;
    std::wstring name;
};

// The running processes as the system's snapshot reports them, in its order.
inline std::vector<Entry> Snapshot() {
    std::vector<Entry> out;
    win::UniqueHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap) return out;
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32FirstW(snap.Get(), &pe); more; more = Process32NextW(snap.Get(), &pe))
        out.push_back({pe.th32ProcessID, pe.szExeFile});
    return out;
}

inline std::vector<std::wstring> Names(const std::vector<Entry>& entries) {
    std::vector<std::wstring> out;
    for (const Entry& e : entries) out.push_back(e.name);
    return out;
}

// Ends every process with exactly that executable name; returns how many there were.
inline int EndAllNamed(const std::wstring& name) {
    int n = 0;
    for (const Entry& e : Snapshot()) {
        if (e.name != name) continue;
        win::UniqueHandle h(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, e.pid));
        if (h && TerminateProcess(h.Get(), 1)) WaitForSingleObject(h.Get(), 5000);
        ++n;
    }
    return n;
}

// The handles this process holds. Wine answers GetProcessHandleCount with 0, so there the
// handle values are probed one by one (Wine hands out the lowest free ones first).
inline DWORD HandleCount() {
    DWORD n = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &n) && n > 0) return n;
    n = 0;
    for (ULONG_PTR value = 4; value < 4 * 8192; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++n;
    }
    return n;
}

// Polls cond every 20 ms until it holds or ms have passed.
template <typename Cond>
bool WaitUntil(Cond cond, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
}

}  // namespace probe
