// What makes a box modal to the whole program rather than to one window: its owner is chosen
// among the program's own windows even when another program is active, and every other
// top-level window of the thread is disabled while the box is up.
#pragma once
#include <windows.h>

#include <vector>

namespace ui {

// The window a box of this thread should belong to: the thread's active window, else its
// topmost visible window in z-order (the program may not be the active one). nullptr when the
// thread shows no window at all.
HWND ModalOwner();

// Whether the foreground window is one of this thread's: a box may then take the foreground;
// otherwise it must not pull itself in front of the program the user is in.
bool ThreadHasForeground();

// Disables every enabled top-level window of this thread except `keep` for its lifetime, and
// enables them again at its end (those that still exist).
class DisabledWindows {
public:
    explicit DisabledWindows(HWND keep);
    ~DisabledWindows();
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

    // Enables them again now (before the box goes, so that activation returns to the program).
    void Restore();

private:
    std::vector<HWND> disabled_;
};

}  // namespace ui
