#include "inspector/target_mark.h"

#include <array>
#include <condition_variable>
#include <mutex>

#include "ui/error_modes.h"
#include "ui/units.h"

namespace inspector {

// What the picker asks for and the mark's thread carries out: the latest request wins.
struct TargetMark::Shared {
    std::mutex mutex;
    std::condition_variable started;
    bool ready = false, ok = false;
    DWORD thread = 0;
    RECT frame = {0, 0, 0, 0};
    bool show = false;
    bool pending = false;  // a wake-up is on its way to the thread
};

namespace {

// Posted to the mark's thread: carry out the latest request.
constexpr UINT kApply = WM_APP + 1;

// Black outside, yellow inside: one of the two shows on any window, light or dark.
const COLORREF kOuter = RGB(0, 0, 0);
const COLORREF kInner = RGB(255, 210, 0);

// The frame the sides of this thread make up now, on screen.
thread_local RECT t_frame = {0, 0, 0, 0};

// Yellow, edged in black along the frame's outer and inner outlines: the sides join into one
// band, and one of the two colours shows on any window, light or dark.
void PaintSide(HWND side, HDC dc) {
    RECT r, at;
    GetClientRect(side, &r);
    GetWindowRect(side, &at);
    HBRUSH inner = CreateSolidBrush(kInner), outer = CreateSolidBrush(kOuter);
    FillRect(dc, &r, inner);
    // The outlines in this side's own coordinates; drawing clips them to the side.
    RECT line = t_frame;
    OffsetRect(&line, -at.left, -at.top);
    FrameRect(dc, &line, outer);
    const int t = TargetMark::Thickness() - 1;
    InflateRect(&line, -t, -t);
    FrameRect(dc, &line, outer);
    DeleteObject(inner);
    DeleteObject(outer);
}

LRESULT CALLBACK SideProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
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
                PaintSide(hwnd, dc);
                EndPaint(hwnd, &ps);
                return 0;
            }
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    });
}

using Sides = std::array<HWND, 4>;

bool CreateSides(Sides& sides) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(inst, TargetMark::kClass, &wc)) {
        wc.lpfnWndProc = SideProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = TargetMark::kClass;
        RegisterClassExW(&wc);
    }
    const DWORD ex =
        WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    for (HWND& s : sides) {
        s = CreateWindowExW(ex, TargetMark::kClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            inst, nullptr);
        if (!s) return false;
        // Opaque, but layered: the system then lets the mouse through it.
        SetLayeredWindowAttributes(s, 0, 255, LWA_ALPHA);
    }
    return true;
}

void Place(const Sides& sides, const RECT& f, bool show) {
    const int t = TargetMark::Thickness(), w = f.right - f.left, h = f.bottom - f.top;
    if (!show || w < 2 * t || h < 2 * t) {
        for (HWND s : sides) ShowWindow(s, SW_HIDE);
        return;
    }
    t_frame = f;
    // Top, bottom, left, right (left, top, width, height each): the sides span the height
    // between the top and bottom bands.
    const RECT parts[4] = {{f.left, f.top, w, t},
                           {f.left, f.bottom - t, w, t},
                           {f.left, f.top + t, t, h - 2 * t},
                           {f.right - t, f.top + t, t, h - 2 * t}};
    HDWP batch = BeginDeferWindowPos(4);
    for (size_t i = 0; i < sides.size() && batch; ++i) {
        const RECT& p = parts[i];
        batch = DeferWindowPos(batch, sides[i], HWND_TOPMOST, p.left, p.top, p.right, p.bottom,
                               SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    }
    if (batch) EndDeferWindowPos(batch);
    for (HWND s : sides) InvalidateRect(s, nullptr, FALSE);
}

void Run(TargetMark::Shared& shared) {
    Sides sides = {};
    MSG msg;
    // The queue exists before anyone may post to it.
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const bool ok = CreateSides(sides);
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.thread = GetCurrentThreadId();
        shared.ok = ok;
        shared.ready = true;
    }
    shared.started.notify_all();
    while (ok && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kApply) {
            RECT frame;
            bool show;
            {
                std::lock_guard<std::mutex> lock(shared.mutex);
                frame = shared.frame;
                show = shared.show;
                shared.pending = false;
            }
            Place(sides, frame, show);
            continue;
        }
        DispatchMessageW(&msg);
    }
    for (HWND s : sides)
        if (s) DestroyWindow(s);
}

}  // namespace

const wchar_t TargetMark::kClass[] = L"DorvaneTargetMark";

TargetMark::~TargetMark() {
    if (!thread_.joinable()) return;
    // The queue is never full (one wake-up at a time), so the thread hears this and ends.
    if (PostThreadMessageW(shared_->thread, WM_QUIT, 0, 0))
        thread_.join();
    else
        thread_.detach();
}

bool TargetMark::Prepare() {
    if (shared_) return shared_->ok;
    if (failed_) return false;
    auto shared = std::make_shared<Shared>();
    bool started = false;
    ui::ResumeNext([&] {
        thread_ = std::thread([shared] {
            // A thread procedure: whatever fails in it ends the mark, never the program.
            ui::AtBoundary([&] {
                ui::ResumeNext([&] { Run(*shared); });
                {
                    std::lock_guard<std::mutex> lock(shared->mutex);
                    shared->ready = true;
                }
                shared->started.notify_all();
            });
        });
        started = true;
    });
    if (!started) {
        failed_ = true;
        return false;
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    shared->started.wait(lock, [&] { return shared->ready; });
    if (!shared->ok) {
        lock.unlock();
        thread_.join();
        failed_ = true;
        return false;
    }
    shared_ = shared;
    return true;
}

void TargetMark::Ask(const RECT& frame, bool show) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->frame = frame;
    shared_->show = show;
    if (shared_->pending) return;
    shared_->pending = PostThreadMessageW(shared_->thread, kApply, 0, 0) != FALSE;
}

RECT TargetMark::FrameFor(const RECT& target, const RECT& screen, int t) {
    // Around the outline, outside it, so that the window's own content and edges stay in
    // view; a side that would leave the screen comes inside the window instead.
    RECT outer = {target.left - t, target.top - t, target.right + t, target.bottom + t};
    RECT frame;
    if (!IntersectRect(&frame, &outer, &screen)) return RECT{0, 0, 0, 0};
    return frame;
}

int TargetMark::Thickness() {
    // A few pixels at 96 dots to the inch, as wide in inches at any other setting.
    return MulDiv(kThickness, ui::ScreenDpi(), 96);
}

void TargetMark::Show(HWND target) {
    RECT r = {};
    if (!target || !GetWindowRect(target, &r) || r.right <= r.left || r.bottom <= r.top) {
        Hide();
        return;
    }
    if (!Prepare()) return;
    const RECT screen = {
        GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
        GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
        GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    Ask(FrameFor(r, screen, Thickness()), true);
    visible_ = true;
}

void TargetMark::Hide() {
    if (!visible_) return;
    visible_ = false;
    if (shared_) Ask(RECT{0, 0, 0, 0}, false);
}

}  // namespace inspector
