// The subjects of bench/idle.sh, which measures what sitting idle costs:
//   idle_bench.exe window    a bare window with a 10 ms timer that reads the pointer, the
//                            least that a pointer timer like the main form's can cost;
//   idle_bench.exe program   dorvane.exe, started as a later start and taken past its
//                            start-up screen and its start-up help run to the main window.
// Each prints "ready" once its subject sits idle, then waits until it is ended.
#include <windows.h>

#include <cstdio>
#include <string>

#include "build_folder.h"
#include "driver.h"
#include "session.h"
#include "ui/error_modes.h"

namespace {

POINT g_pointer;

LRESULT CALLBACK WindowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return ui::AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        if (m == WM_TIMER) {
            GetCursorPos(&g_pointer);
            return 0;
        }
        if (m == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(h, m, w, l);
    });
}

int BareWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"IdleBenchWindow";
    RegisterClassW(&wc);
    HWND h = CreateWindowW(wc.lpszClassName, L"idle", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100,
                           100, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(h, SW_SHOW);
    SetTimer(h, 1, 10, nullptr);
    std::printf("ready\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring what = argc > 1 ? argv[1] : L"";
    if (what == L"window") return BareWindow();
    if (what != L"program") {
        std::printf("usage: idle_bench.exe window|program\n");
        return 2;
    }
    DriveTheBuildFoldersProgram();
    e2e::MainSession s = e2e::StartToMain();
    if (!s.main) {
        std::printf("dorvane.exe did not start\n");
        return 1;
    }
    // The pointer rests away from the window, as a user's hand would leave it.
    e2e::MouseMove(POINT{1500, 1100});
    std::printf("ready %lu\n", s.app->Pid());
    std::fflush(stdout);
    WaitForSingleObject(s.app->Process(), INFINITE);
    return 0;
}
