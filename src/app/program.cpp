#include "app/program.h"

#include <windows.h>

#include "mainwin/main_form.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace app {

int RunProgram() {
    ui::SetAppTitle(L"MORAVELT");
    mainwin::MainForm main;
    main.Form().Show();
    return ui::RunMessageLoop();
}

}  // namespace app
