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

private:
    void RunTypedCommand();
    void ReportError(const std::exception& e);

    mainwin::MainForm& main_;
    ui::Control& outputs_;
    ui::Control& command_;
};

}  // namespace console
