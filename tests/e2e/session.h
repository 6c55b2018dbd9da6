// Starting dorvane.exe for an end-to-end test from a clean state, and getting to its main
// window the way a user's start does.
#pragma once
#include <windows.h>

#include <memory>

#include "driver.h"

namespace e2e {

// Removes what earlier runs left behind: the stored setting and the single-instance state.
void ResetState();

// Writes the first-run record C:\SAVE\MV\mv006.txt (making C:\SAVE\MV when missing) as a first
// start daysBack days ago would have left it, so that a start goes straight to the main window.
void WriteFirstRunRecord(int daysBack = 0);

struct MainSession {
    std::unique_ptr<App> app;
    HWND main = nullptr;
    // GetTickCount() when StartToMain first saw the main window (its timers run from then).
    DWORD mainSeenAt = 0;
    HWND operator()(const wchar_t* control) const { return Control(main, control); }
};

// Starts the program as a later start (a first-run record of today) and waits for its main
// window, past the start-up screen. When dismissHelp is set it also waits for
// the start-up "help" run to finish (on Wine: dismisses its "File or command not found" box).
MainSession StartToMain(bool dismissHelp = true);

// Waits for the start-up help run to end, dismissing the box Wine shows for it.
void FinishStartupHelp(MainSession& s);

}  // namespace e2e
