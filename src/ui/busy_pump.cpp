#include "ui/busy_pump.h"

#include "ui/form.h"

namespace ui {

BusyPump::BusyPump(Form& form, Control* cancel, std::function<void()> onCancel)
    : form_(form), cancel_(cancel), onCancel_(std::move(onCancel)) {}

void BusyPump::Activate() {
    active_ = true;
    if (cancel_) cancel_->SetVisible(true);
    // The arrow with an hourglass: busy, yet the cancel control still answers.
    form_.SetMousePointer(LoadCursorW(nullptr, IDC_APPSTARTING));
}

BusyPump::~BusyPump() {
    if (active_) {
        if (cancel_) cancel_->SetVisible(false);
        form_.SetMousePointer(nullptr);
    }
    for (const MSG& m : held_) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
    if (quit_) PostQuitMessage(quitCode_);
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
            held_.push_back(msg);
            continue;
        }
        if (m == WM_TIMER) continue;
        if (m >= WM_KEYFIRST && m <= WM_KEYLAST) {
            if (m == WM_KEYDOWN && msg.wParam == VK_ESCAPE && onCancel_) onCancel_();
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
