#include "inspector/target_mark.h"

#include "ui/error_modes.h"

namespace inspector {
namespace {

// Black outside, yellow inside: one of the two shows on any window, light or dark.
const COLORREF kOuter = RGB(0, 0, 0);
const COLORREF kInner = RGB(255, 210, 0);

LRESULT CALLBACK EdgeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return ui::AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        switch (msg) {
            case WM_NCHITTEST:
                return HTTRANSPARENT;
            case WM_MOUSEACTIVATE:
                return MA_NOACTIVATE;
            case WM_ERASEBKGND:
                return 1;
            case WM_PAINT: {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(hwnd, &ps);
                RECT r;
                GetClientRect(hwnd, &r);
                HBRUSH outer = CreateSolidBrush(kOuter), inner = CreateSolidBrush(kInner);
                FillRect(dc, &r, outer);
                InflateRect(&r, -1, -1);
                FillRect(dc, &r, inner);
                DeleteObject(outer);
                DeleteObject(inner);
                EndPaint(hwnd, &ps);
                return 0;
            }
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    });
}

}  // namespace

const wchar_t TargetMark::kClass[] = L"DorvaneTargetMark";

TargetMark::~TargetMark() {
    for (HWND& e : edges_) {
        if (e) DestroyWindow(e);
        e = nullptr;
    }
}

bool TargetMark::Create() {
    if (edges_[0]) return true;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(inst, kClass, &wc)) {
        wc.lpfnWndProc = EdgeProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
    }
    const DWORD ex =
        WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    for (HWND& e : edges_) {
        e = CreateWindowExW(ex, kClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, inst, nullptr);
        if (!e) return false;
        // Opaque, but layered: the system then lets the mouse through it.
        SetLayeredWindowAttributes(e, 0, 255, LWA_ALPHA);
    }
    return true;
}

void TargetMark::Show(HWND target) {
    RECT r = {};
    if (!target || !GetWindowRect(target, &r) || r.right <= r.left || r.bottom <= r.top ||
        !Create()) {
        Hide();
        return;
    }
    const int t = kThickness, w = r.right - r.left, h = r.bottom - r.top;
    // Drawn on the target's outline, inside it, so that a window at the screen's edge keeps
    // its whole mark in view.
    const RECT parts[4] = {{r.left, r.top, w, t},
                           {r.left, r.bottom - t, w, t},
                           {r.left, r.top, t, h},
                           {r.right - t, r.top, t, h}};
    for (size_t i = 0; i < edges_.size(); ++i) {
        const RECT& p = parts[i];
        SetWindowPos(edges_[i], HWND_TOPMOST, p.left, p.top, p.right, p.bottom,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        InvalidateRect(edges_[i], nullptr, FALSE);
    }
    visible_ = true;
}

void TargetMark::Hide() {
    if (!visible_) return;
    for (HWND e : edges_)
        if (e) ShowWindow(e, SW_HIDE);
    visible_ = false;
}

}  // namespace inspector
