#include "ui/modal.h"

#include "ui/error_modes.h"

namespace ui {
namespace {

bool OnThisThread(HWND w) { return GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId(); }

struct DisableArgs {
    HWND keep;
    std::vector<HWND>* list;
};

BOOL CALLBACK DisableOne(HWND hwnd, LPARAM lp) {
    // A window that cannot be listed (out of memory) stays enabled: it could not be given back.
    return AtBoundary<BOOL>(TRUE, [&] {
        auto* args = reinterpret_cast<DisableArgs*>(lp);
        if (hwnd != args->keep && IsWindowEnabled(hwnd)) {
            args->list->reserve(args->list->size() + 1);
            EnableWindow(hwnd, FALSE);
            args->list->push_back(hwnd);
        }
        return TRUE;
    });
}

}  // namespace

HWND ModalOwner() {
    if (HWND active = GetActiveWindow()) return active;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (OnThisThread(w) && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

bool ThreadHasForeground() {
    HWND fg = GetForegroundWindow();
    return fg && OnThisThread(fg);
}

DisabledWindows::DisabledWindows(HWND keep) {
    DisableArgs args{keep, &disabled_};
    EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&args));
}

void DisabledWindows::Restore() {
    for (HWND w : disabled_)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    disabled_.clear();
}

DisabledWindows::~DisabledWindows() { Restore(); }

}  // namespace ui
