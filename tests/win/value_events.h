// The value-change events one window raises, as a reader in this process hears them: through
// an out-of-context hook, whose calls come with this thread's messages.
#pragma once
#include <windows.h>

#include "test_runtime.h"
#include "ui/error_modes.h"

class ValueEvents {
public:
    explicit ValueEvents(HWND window) : window_(window) {
        current_ = this;
        hook_ = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                                OnEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    ~ValueEvents() {
        if (hook_) UnhookWinEvent(hook_);
        current_ = nullptr;
    }
    ValueEvents(const ValueEvents&) = delete;
    ValueEvents& operator=(const ValueEvents&) = delete;

    bool Hooked() const { return hook_ != nullptr; }
    // The events so far, once the ones on their way have come.
    int Count() {
        PumpMessages(50);
        return count_;
    }

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                                 DWORD) {
        ui::AtBoundary([&] {
            if (current_ && hwnd == current_->window_ && object == OBJID_CLIENT &&
                child == CHILDID_SELF)
                ++current_->count_;
        });
    }
    static inline ValueEvents* current_ = nullptr;
    HWND window_;
    HWINEVENTHOOK hook_ = nullptr;
    int count_ = 0;
};
