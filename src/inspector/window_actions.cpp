// The window actions. Every handler ignores failures (a bad handle, a window that is gone)
// and reports nothing: the user sees the effect on the window, or none.
#include "inspector/window_actions.h"

#include "inspector/handle_text.h"
#include "inspector/window_queries.h"
#include "mainwin/main_form.h"
#include "ui/runtime.h"
#include "win/text.h"

namespace inspector {

WindowActions::WindowActions(mainwin::MainForm& main) : main_(main) {
    ui::Form& f = main_.Form();
    const std::pair<const wchar_t*, void (WindowActions::*)()> buttons[] = {
        {L"cmdMaximize", &WindowActions::cmdMaximize_Click},
        {L"cmdMinimize", &WindowActions::cmdMinimize_Click},
        {L"cmdNormal", &WindowActions::cmdNormal_Click},
        {L"cmdFlash", &WindowActions::cmdFlash_Click},
        {L"cmdEnable", &WindowActions::cmdEnable_Click},
        {L"cmdDisable", &WindowActions::cmdDisable_Click},
        {L"cmdSetTitle", &WindowActions::cmdSetTitle_Click},
        {L"cmdOnTop", &WindowActions::cmdOnTop_Click},
        {L"cmdNotOnTop", &WindowActions::cmdNotOnTop_Click},
        {L"cmdHide", &WindowActions::cmdHide_Click},
        {L"cmdShow", &WindowActions::cmdShow_Click},
        {L"cmdTerminate", &WindowActions::cmdTerminate_Click},
    };
    for (const auto& [name, handler] : buttons) {
        auto h = handler;
        f.Design(name).Click = [this, h] { (this->*h)(); };
    }
}

std::optional<HWND> WindowActions::PickedWindow() {
    // A form that is gone is not brought back just to read a box.
    if (!main_.Form().Loaded()) return std::nullopt;
    std::optional<int32_t> number = ParseHandleText(main_[L"txtMhWnd"].Text());
    if (!number) return std::nullopt;
    return HandleOf(*number);
}

void WindowActions::OnPicked(const std::function<void(HWND)>& call) {
    try {
        if (std::optional<HWND> h = PickedWindow()) call(*h);
    } catch (...) {
    }
}

void WindowActions::cmdMaximize_Click() {
    OnPicked([](HWND h) { ShowWindow(h, SW_SHOWMAXIMIZED); });
}

void WindowActions::cmdMinimize_Click() {
    OnPicked([](HWND h) { ShowWindow(h, SW_MINIMIZE); });
}

void WindowActions::cmdNormal_Click() {
    OnPicked([](HWND h) { ShowWindow(h, SW_SHOWNORMAL); });
}

void WindowActions::cmdFlash_Click() {
    // Any non-zero value inverts the caption once.
    OnPicked([](HWND h) { FlashWindow(h, 3); });
}

void WindowActions::cmdEnable_Click() {
    OnPicked([](HWND h) { EnableWindow(h, TRUE); });
}

void WindowActions::cmdDisable_Click() {
    OnPicked([](HWND h) { EnableWindow(h, FALSE); });
}

void WindowActions::cmdOnTop_Click() {
    OnPicked([](HWND h) { SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE); });
}

void WindowActions::cmdNotOnTop_Click() {
    OnPicked([](HWND h) { SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE); });
}

void WindowActions::cmdHide_Click() {
    OnPicked([](HWND h) { ShowWindow(h, SW_HIDE); });
}

void WindowActions::cmdShow_Click() {
    OnPicked([](HWND h) { ShowWindow(h, SW_SHOW); });
}

void WindowActions::cmdSetTitle_Click() {
    try {
        // Asked first, so the box comes up even when nothing has been picked yet.
        std::wstring title = ui::Rt().InputBox(L"Enter new window title:", L"Ozmiscope +", L"");
        // Cancel gives an empty text, and that is applied like any other.
        OnPicked([&](HWND h) { SetWindowTextA(h, win::ToAnsi(title).c_str()); });
    } catch (...) {
    }
}

void WindowActions::cmdTerminate_Click() {
    // Posted, not sent: a window that never answers, or answers WM_CLOSE with a question to
    // its user, must not hold our window still meanwhile; a bounded wait would only time out
    // during such a question. Posted to a window only: a post to no window (handle 0) would
    // land in our own queue, and one to HWND_BROADCAST in every top-level window.
    OnPicked([](HWND h) {
        if (IsWindow(h)) PostMessageA(h, WM_CLOSE, 0, 0);
    });
}

}  // namespace inspector
