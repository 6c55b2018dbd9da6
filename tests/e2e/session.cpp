#include "session.h"

#include <gtest/gtest.h>

namespace e2e {

void ResetState() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Ozmiscope+");
}

MainSession StartToMain(bool dismissHelp) {
    ResetState();
    MainSession s;
    s.app = App::Start();
    EXPECT_TRUE(s.app) << "dorvane.exe did not start";
    if (!s.app) return s;
    s.main = s.app->WaitForWindow(L"frmShelvox");
    EXPECT_TRUE(s.main) << "no main window";
    if (s.main && dismissHelp) FinishStartupHelp(s);
    return s;
}

void FinishStartupHelp(MainSession& s) {
    // The help run starts three seconds after the window loaded. Where the system has no help
    // program it ends with a message box; where it has one, its listing arrives.
    HWND box = s.app->WaitForMessageBox(6000);
    if (box) {
        EXPECT_EQ(MessageBoxText(box), L"File or command not found");
        PressMessageBoxButton(box);
        WaitUntil([&] { return s.app->WaitForMessageBox(0) == nullptr; }, 3000);
    }
    Activate(s.main);
}

}  // namespace e2e
