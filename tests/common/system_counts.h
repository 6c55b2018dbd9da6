// Counting what a process holds, for the test programs and the soak: its open handles (from
// the system's handle table, since GetProcessHandleCount answers 0 under Wine) and the running
// processes of an executable name.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

#include <vector>

namespace testcounts {

inline long HandleCount(DWORD pid) {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType, flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    // Through a generic pointer: the address is of a function with exactly this signature.
    auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<char> buf(1 << 20);
    for (int attempt = 0; query && attempt < 6; ++attempt) {
        ULONG got = 0;
        if (query(16 /* SystemHandleInformation */, buf.data(), static_cast<ULONG>(buf.size()),
                  &got) == 0) {
            ULONG count = *reinterpret_cast<ULONG*>(buf.data());
            auto* e = reinterpret_cast<Entry*>(buf.data() + sizeof(void*));
            long n = 0;
            for (ULONG i = 0; i < count; ++i) n += e[i].ownerPid == pid;
            return n;
        }
        buf.resize(buf.size() * 4);
    }
    return -1;
}

inline int CountProcesses(const wchar_t* exe) {
    int n = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe))
        n += _wcsicmp(pe.szExeFile, exe) == 0;
    CloseHandle(snap);
    return n;
}

// Ends every running process of an executable name (tests leave no child behind).
inline void EndProcesses(const wchar_t* exe) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        if (_wcsicmp(pe.szExeFile, exe) != 0) continue;
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, pe.th32ProcessID)) {
            TerminateProcess(h, 1);
            CloseHandle(h);
        }
    }
    CloseHandle(snap);
}

}  // namespace testcounts
