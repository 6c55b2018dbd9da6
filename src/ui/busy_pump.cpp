#include "ui/busy_pump.h"

#include "ui/form.h"

namespace ui {
namespace {

// One thread runs the forms, so one pointer is the whole story; an inner pump (which the
// handler gate keeps from happening) would restore the outer one when it ends.
BusyPump* g_current = nullptr;

}  // namespace

void EndMouseGesture() {
    HWND capture = GetCapture();
    if (!capture || GetWindowThreadProcessId(capture, nullptr) != GetCurrentThreadId()) return;
    SendMessageW(capture, WM_CANCELMODE, 0, 0);
    if (GetCapture() == capture) ReleaseCapture();
}

BusyPump::BusyPump(Form& form, Control* cancel, std::function<void()> onCancel, Control* typeAhead)
    : form_(form),
      cancel_(cancel),
      onCancel_(std::move(onCancel)),
      typeAhead_(typeAhead),
      outer_(g_current) {
    // Before the gate closes, so that the gesture's owner still hears the release.
    EndMouseGesture();
    g_current = this;
}

BusyPump* BusyPump::Current() { return g_current; }

void BusyPump::Activate() {
    active_ = true;
    if (cancel_) cancel_->SetVisible(true);
    // The arrow with an hourglass: busy, yet the cancel control still answers.
    form_.SetMousePointer(LoadCursorW(nullptr, IDC_APPSTARTING));
}

BusyPump::~BusyPump() {
    g_current = outer_;
    if (active_) {
        if (cancel_) cancel_->SetVisible(false);
        form_.SetMousePointer(nullptr);
    }
    for (const MSG& m : typed_)
        if (IsWindow(m.hwnd)) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
    for (const MSG& m : held_) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
    if (quit_) PostQuitMessage(quitCode_);
}

void BusyPump::Hold(const MSG& msg) {
    for (const MSG& m : held_)
        if (m.hwnd == msg.hwnd && m.message == msg.message) return;
    held_.push_back(msg);
}

void BusyPump::KeepTyped(const MSG& msg) {
    // An Enter with nothing typed ahead before it would run an empty line once the
    // operation has ended: there is nothing to run, so it is dropped.
    const bool enter = msg.wParam == L'\r';
    if (enter && !typedSinceEnter_) return;
    typedSinceEnter_ = !enter;
    typed_.push_back(msg);
}

void BusyPump::CloseAfter(HWND window) {
    MSG close = {};
    close.hwnd = window;
    close.message = WM_CLOSE;
    Hold(close);
    if (onCancel_) onCancel_();
}

void BusyPump::Pump() {
    if (!active_) Activate();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        UINT m = msg.message;
        if (m == WM_QUIT) {
            quit_ = true;
            quitCode_ = static_cast<int>(msg.wParam);
            continue;
        }
        if (m == WM_CLOSE) {
            CloseAfter(msg.hwnd);
            continue;
        }
        if (m == WM_TIMER) continue;
        if (m >= WM_KEYFIRST && m <= WM_KEYLAST) {
            if (m == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
                if (onCancel_) onCancel_();
            } else if (typeAhead_ && typeAhead_->Hwnd() && msg.hwnd == typeAhead_->Hwnd()) {
                // Made into characters now, while the keyboard's state is the one they were
                // typed with; the characters are kept.
                if (m == WM_KEYDOWN) TranslateMessage(&msg);
                if (m == WM_CHAR) KeepTyped(msg);
            }
            continue;
        }
        bool mouse = (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
                     (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK);
        if (mouse) {
            if (!cancel_ || !cancel_->Hwnd() || msg.hwnd != cancel_->Hwnd()) continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace ui
