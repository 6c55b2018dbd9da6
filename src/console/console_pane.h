// The console pane: the transcript box, the command box and "Run Command", fed by the main
// form's command runner.
#pragma once
#include <string>

namespace mainwin {
class MainForm;
}

namespace ui {
class Control;
}

namespace console {

class Shelvoxs;

class ConsolePane {
public:
    explicit ConsolePane(mainwin::MainForm& main);
    // Makes the pane the listener of the form's runner; done when the form loads.
    void AttachRunner(Shelvoxs& runner);

    void cmdExecute_Click();
    void txtCommand_KeyPress(int& keyAscii);
    void Timer11_Timer();
    void objDOS_ReceiveOutputs(const std::wstring& commandOutputs);
    void txtOutputs_Change();
    // The way out of a long run: Esc, or the cancel button shown while a command runs.
    void cmdCancel_Click();

private:
    void RunTypedCommand();
    // Runs the runner's stored command line, keeping the window painted meanwhile.
    void Run(Shelvoxs& runner);
    void ReportError(const std::exception& e);

    mainwin::MainForm& main_;
    ui::Control& outputs_;
    ui::Control& command_;
    ui::Control& cancel_;
};

}  // namespace console
