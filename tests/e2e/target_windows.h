// Windows of the test's own for the program to pick and act on: a thread of this test that
// owns them and answers their messages like any other program, and the texts the inspector
// shows for them.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "driver.h"
#include "ui/error_modes.h"

namespace e2e {

inline const wchar_t kTargetClass[] = L"DorvaneE2ETarget";

// The close requests (WM_CLOSE with both parameters 0) the test's windows have had.
inline std::atomic<int> g_closeRequests{0};

inline LRESULT CALLBACK TargetProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return ui::AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        if (msg == WM_CLOSE && wp == 0 && lp == 0) ++g_closeRequests;
        return DefWindowProcW(h, msg, wp, lp);
    });
}

inline void RegisterTargetClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kTargetClass, &wc)) return;
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kTargetClass;
    RegisterClassExW(&wc);
}

inline HWND MakeWindow(DWORD style, const std::wstring& title, RECT r, HWND parent = nullptr,
                       const wchar_t* cls = kTargetClass) {
    return CreateWindowExW(0, cls, title.c_str(), style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A thread of this test that owns windows and answers their messages like any program, until
// it is told to stop (or, when stuckAfterSetup, stops answering until released).
class TargetThread {
public:
    explicit TargetThread(std::function<void()> setup, bool stuckAfterSetup = false) {
        ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, setup, stuckAfterSetup] {
            ui::AtBoundary([&] {
                id_ = GetCurrentThreadId();
                RegisterTargetClass();
                setup();
                Pump(300);  // let the windows appear
                SetEvent(ready_);
                if (stuckAfterSetup) WaitForSingleObject(release_, INFINITE);
                MSG msg;
                while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            });
        });
        WaitForSingleObject(ready_, 10000);
    }
    ~TargetThread() {
        SetEvent(release_);
        WaitUntil([&] { return PostThreadMessageW(id_, WM_QUIT, 0, 0) != 0; }, 5000);
        thread_.join();
        CloseHandle(ready_);
        CloseHandle(release_);
    }
    TargetThread(const TargetThread&) = delete;
    TargetThread& operator=(const TargetThread&) = delete;
    // A stuck thread starts answering again.
    void Release() { SetEvent(release_); }

private:
    static void Pump(DWORD ms) {
        DWORD until = GetTickCount() + ms;
        MSG msg;
        while (GetTickCount() < until) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(10);
        }
    }
    std::thread thread_;
    std::atomic<DWORD> id_{0};
    HANDLE ready_, release_;
};

// A handle as the inspector writes it: signed 32-bit decimal.
inline std::wstring Num(HWND h) {
    return std::to_wstring(static_cast<int32_t>(reinterpret_cast<intptr_t>(h)));
}

inline std::wstring RectText(HWND h) {
    RECT r = {};
    GetWindowRect(h, &r);
    return L"(" + std::to_wstring(r.left) + L", " + std::to_wstring(r.top) + L") - (" +
           std::to_wstring(r.right) + L", " + std::to_wstring(r.bottom) + L")";
}

inline std::wstring TitleOf(HWND h) {
    wchar_t buf[512] = L"";
    GetWindowTextW(h, buf, 512);
    return buf;
}

inline std::string Narrow(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace e2e
