// frmShelvox: the main window. It owns every control and the command runner, and it is the
// one place that knows every tool: it makes each tool on its form and hands it what it needs;
// each tool binds its own handlers to the controls it serves.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "ui/form.h"

namespace console {
class Shelvoxs;
class ConsolePane;
class RunBox;
}  // namespace console
namespace processes {
class ProcessList;
}
namespace inspector {
class Inspector;
}

namespace mainwin {

class MainForm {
public:
    MainForm();
    ~MainForm();
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    ui::Form& Form() { return form_; }
    ui::Control& operator[](const wchar_t* name) { return form_[name]; }
    console::Shelvoxs* objDOS() { return objDOS_.get(); }
    console::ConsolePane& Console() { return *console_; }
    processes::ProcessList& Processes() { return *processes_; }
    inspector::Inspector& Inspector() { return *inspector_; }

    void Form_Load();
    void chkOnTop_Click();
    void cmdClose_Click();
    void FlattenControl(int32_t hwnd);
    void StripFrame(int32_t hwnd);

    static const wchar_t* const kSettingsApp;
    static const wchar_t* const kSettingsSection;
    static const wchar_t* const kSettingsKey;

private:
    void PinWindow(bool topmost);

    ui::Form form_;
    std::unique_ptr<console::Shelvoxs> objDOS_;
    std::unique_ptr<console::ConsolePane> console_;
    std::unique_ptr<console::RunBox> runBox_;
    std::unique_ptr<processes::ProcessList> processes_;
    std::unique_ptr<inspector::Inspector> inspector_;
};

}  // namespace mainwin
