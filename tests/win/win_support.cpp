#include <windows.h>

#include <vector>

#include "system_counts.h"
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

long OpenHandleCount() { return testcounts::HandleCount(GetCurrentProcessId()); }
