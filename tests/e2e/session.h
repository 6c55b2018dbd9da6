// Starting dorvane.exe for an end-to-end test from a clean state, and getting to its main
// window the way a user's start does.
#pragma once
#include <windows.h>

#include <memory>

#include "driver.h"

namespace e2e {

// Removes what earlier runs left behind: the stored setting and the single-instance state.
void ResetState();

struct MainSession {
    std::unique_ptr<App> app;
    HWND main = nullptr;
    HWND operator()(const wchar_t* control) const { return Control(main, control); }
};

// Starts the program and waits for its main window. When dismissHelp is set it also waits for
// the start-up "help" run to finish (on Wine: dismisses its "File or command not found" box).
MainSession StartToMain(bool dismissHelp = true);

// Waits for the start-up help run to end, dismissing the box Wine shows for it.
void FinishStartupHelp(MainSession& s);

}  // namespace e2e
