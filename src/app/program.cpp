// The program's lifetime: the start-up screen first, then whatever each screen leads to.
#include "app/program.h"

#include <windows.h>

#include "app/resource.h"
#include "console/shelvoxs.h"
#include "mainwin/main_form.h"
#include "startup/about_form.h"
#include "startup/splash_form.h"
#include "startup/terms_form.h"
#include "ui/form.h"
#include "ui/runtime.h"
#include "win/handles.h"

namespace app {
namespace {

// Held for the program's life: a copy that finds it already there is a second copy. It lives
// in this logon session's namespace, so another user's copy does not count, and its name does
// not depend on the folder, so a copy started from elsewhere counts too.
const wchar_t kInstanceMutex[] = L"Local\\Moravelt.Dorvane.Instance";

bool ClaimInstance(win::UniqueHandle& mutex) {
    HANDLE h = CreateMutexW(nullptr, FALSE, kInstanceMutex);
    DWORD error = GetLastError();
    mutex.Reset(h);
    // Denied means it exists but was made by someone we may not open it from: still running.
    return error == ERROR_ALREADY_EXISTS || (!mutex && error == ERROR_ACCESS_DENIED);
}

}  // namespace

int RunProgram() {
    ui::SetAppTitle(L"MORAVELT");
    console::Shelvoxs::PrepareConsole();
    win::UniqueHandle instance;
    bool previousInstance = ClaimInstance(instance);
    // A refused copy must not keep the name alive for a third after the first has ended.
    if (previousInstance) instance.Reset();

    // Every form exists from here on; each is loaded when it is first shown.
    mainwin::MainForm main;
    startup::AboutForm about(main.Form(), {IDB_ABOUT, IDI_APP});
    startup::TermsForm terms(main.Form(), {IDB_TERMS, IDI_APP});
    startup::SplashForm splash(terms.Form(), previousInstance, {IDB_SPLASH, IDI_APP});

    splash.Form().Show();
    return ui::RunMessageLoop();
}

}  // namespace app
