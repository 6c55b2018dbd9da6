// A form's timers. Ticks come as WM_TIMER to the form's window; a tick handler is never
// entered again while it still runs (a message box or a run inside it pumps messages), and
// no tick runs while a busy pump holds the thread.
#include "ui/busy_pump.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace ui {

Timer& Form::AddTimer(const wchar_t* name, UINT interval, bool enabled) {
    auto t = std::make_unique<Timer>();
    t->name = name;
    t->interval = interval;
    t->enabled = enabled;
    t->id = timers_.size() + 1;
    timers_.push_back(std::move(t));
    return *timers_.back();
}

Timer& Form::GetTimer(const wchar_t* name) {
    for (auto& t : timers_)
        if (t->name == name) return *t;
    throw RuntimeError(730, L"Timer '" + std::wstring(name) + L"' not found");
}

bool Form::StartTimer(Timer& t) {
    if (!hwnd_ || !t.enabled) return true;
    t.started = Rt().StartTimer(hwnd_, t.id, t.interval);
    return t.started;
}

void Form::SetTimerEnabled(const wchar_t* name, bool enabled) {
    Timer& t = GetTimer(name);
    t.enabled = enabled;
    if (!hwnd_) return;
    if (!enabled) {
        KillTimer(hwnd_, t.id);
        t.started = false;
    } else if (!StartTimer(t)) {
        throw RuntimeError(7, L"Out of memory");
    }
}

void Form::OnTimer(UINT_PTR id) {
    for (auto& t : timers_) {
        if (t->id != id) continue;
        if (t->enabled && !t->ticking && !BusyPump::Current()) {
            Timer& timer = *t;
            timer.ticking = true;
            Guarded(timer.Tick);
            timer.ticking = false;
        }
        return;
    }
}

}  // namespace ui
