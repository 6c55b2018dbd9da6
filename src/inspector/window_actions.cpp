// The window actions. Every handler ignores failures (a bad handle, a window that is gone)
// and reports nothing: the user sees the effect on the window, or none.
#include "inspector/window_actions.h"

#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "inspector/handle_text.h"
#include "inspector/window_queries.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace inspector {

// Calls that wait for another thread's window, each made on a short-lived detached worker.
// One worker at a time per target thread, taking the calls in the order they were asked for:
// a Disable and then an Enable given to a hung window must still arrive in that order.
class Deliveries : public std::enable_shared_from_this<Deliveries> {
public:
    void Send(DWORD targetThread, std::function<void()> call) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::deque<std::function<void()>>& queue = queues_[targetThread];
        queue.push_back(std::move(call));
        if (queue.size() > 1) return;  // its worker is still busy and will take this one next
        bool started = false;
        ui::ResumeNext([&] {
            std::thread([self = shared_from_this(), targetThread] {
                // A thread procedure: whatever fails in it ends the worker, never the program.
                ui::AtBoundary([&] { self->Drain(targetThread); });
            }).detach();
            started = true;
        });
        // No thread to be had: the call is dropped, as any other failure is.
        if (!started) queues_.erase(targetThread);
    }

private:
    void Drain(DWORD targetThread) {
        for (;;) {
            std::function<void()> call;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                call = queues_[targetThread].front();
            }
            ui::ResumeNext(call);
            std::lock_guard<std::mutex> lock(mutex_);
            std::deque<std::function<void()>>& queue = queues_[targetThread];
            queue.pop_front();
            if (queue.empty()) {
                queues_.erase(targetThread);
                return;
            }
        }
    }

    std::mutex mutex_;
    std::map<DWORD, std::deque<std::function<void()>>> queues_;
};

namespace {

// The thread that owns the window, or 0 for no window.
DWORD OwnerThread(HWND h) { return GetWindowThreadProcessId(h, nullptr); }

bool OnOurThread(HWND h) { return OwnerThread(h) == GetCurrentThreadId(); }

// The async forms do not wait for another thread's window; on our own they act at once.
void ShowState(HWND h, int how) {
    if (OnOurThread(h))
        ShowWindow(h, how);
    else
        ShowWindowAsync(h, how);
}

void TopmostBand(HWND h, HWND after) {
    UINT flags = SWP_NOSIZE | SWP_NOMOVE;
    if (!OnOurThread(h)) flags |= SWP_ASYNCWINDOWPOS;
    SetWindowPos(h, after, 0, 0, 0, 0, flags);
}

}  // namespace

WindowActions::WindowActions(ui::Form& form)
    : form_(form), deliveries_(std::make_shared<Deliveries>()) {
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
        form_.Design(name).Click = [this, h] { (this->*h)(); };
    }
}

std::optional<HWND> WindowActions::PickedWindow() {
    // A form that is gone is not brought back just to read a box.
    if (!form_.Loaded()) return std::nullopt;
    std::optional<int32_t> number = ParseHandleText(form_[L"txtMhWnd"].Text());
    if (!number) return std::nullopt;
    return HandleOf(*number);
}

void WindowActions::OnPicked(const std::function<void(HWND)>& call) {
    ui::ResumeNext([&] {
        if (std::optional<HWND> h = PickedWindow()) call(*h);
    });
}

void WindowActions::WithoutWaiting(HWND h, std::function<void()> call) {
    const DWORD owner = OwnerThread(h);
    // No window at all fails at once, wherever it is called.
    if (owner == 0 || owner == GetCurrentThreadId())
        call();
    else
        deliveries_->Send(owner, std::move(call));
}

void WindowActions::cmdMaximize_Click() {
    OnPicked([](HWND h) { ShowState(h, SW_SHOWMAXIMIZED); });
}

void WindowActions::cmdMinimize_Click() {
    OnPicked([](HWND h) { ShowState(h, SW_MINIMIZE); });
}

void WindowActions::cmdNormal_Click() {
    OnPicked([](HWND h) { ShowState(h, SW_SHOWNORMAL); });
}

void WindowActions::cmdFlash_Click() {
    // Any non-zero value inverts the caption once.
    OnPicked([this](HWND h) { WithoutWaiting(h, [h] { FlashWindow(h, 3); }); });
}

void WindowActions::cmdEnable_Click() {
    OnPicked([this](HWND h) { WithoutWaiting(h, [h] { EnableWindow(h, TRUE); }); });
}

void WindowActions::cmdDisable_Click() {
    OnPicked([this](HWND h) { WithoutWaiting(h, [h] { EnableWindow(h, FALSE); }); });
}

void WindowActions::cmdOnTop_Click() {
    OnPicked([](HWND h) { TopmostBand(h, HWND_TOPMOST); });
}

void WindowActions::cmdNotOnTop_Click() {
    OnPicked([](HWND h) { TopmostBand(h, HWND_NOTOPMOST); });
}

void WindowActions::cmdHide_Click() {
    OnPicked([](HWND h) { ShowState(h, SW_HIDE); });
}

void WindowActions::cmdShow_Click() {
    OnPicked([](HWND h) { ShowState(h, SW_SHOW); });
}

void WindowActions::cmdSetTitle_Click() {
    ui::ResumeNext([&] {
        // Asked first, so the box comes up even when nothing has been picked yet.
        std::wstring title = ui::Rt().InputBox(L"Enter new window title:", L"Ozmiscope +", L"");
        // Cancel gives an empty text, and that is applied like any other. Wide, so that the
        // title is exactly what was typed, whatever the ANSI code page.
        OnPicked(
            [&](HWND h) { WithoutWaiting(h, [h, title] { SetWindowTextW(h, title.c_str()); }); });
    });
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
