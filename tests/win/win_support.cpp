#include <windows.h>

#include <vector>

#include "test_runtime.h"

void PumpMessages(int forMs) {
    DWORD until = GetTickCount() + static_cast<DWORD>(forMs);
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (forMs > 0) Sleep(5);
    } while (static_cast<int>(until - GetTickCount()) > 0);
}

long OpenHandleCount() {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType, flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation"));
    DWORD pid = GetCurrentProcessId();
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
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return static_cast<long>(n);
}
