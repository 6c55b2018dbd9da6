// The console pane: the transcript box, the command box and "Run Command", fed by the form's
// command runner.
#pragma once
#include <functional>
#include <string>

#include "console/command_history.h"

namespace ui {
class Control;
class Form;
}  // namespace ui

namespace console {

class Shelvoxs;

class ConsolePane {
public:
    // The runner the pane's commands go to; none (nullptr) until the form has made one.
    using RunnerSource = std::function<Shelvoxs*()>;

    // Binds the handlers of txtOutputs, txtCommand, cmdExecute, cmdCancel and Timer11.
    ConsolePane(ui::Form& form, RunnerSource runner);
    // Makes the pane the listener of the form's runner; done when the form loads.
    void AttachRunner(Shelvoxs& runner);

    void cmdExecute_Click();
    void txtCommand_KeyPress(int& keyAscii);
    // Up and Down walk the lines run so far (newest first with Up).
    void txtCommand_KeyDown(int& keyCode, int shift);
    void Timer11_Timer();
    void objDOS_ReceiveOutputs(const std::wstring& commandOutputs);
    void txtOutputs_Change();
    // The way out of a long run: Esc, or the cancel button shown while a command runs.
    void cmdCancel_Click();

private:
    // The runner, or error 91 when the form has none.
    Shelvoxs& Runner();
    void RunTypedCommand();
    // Runs the runner's stored command line, keeping the window painted meanwhile.
    void Run(Shelvoxs& runner);

    ui::Form& form_;
    RunnerSource runner_;
    ui::Control& outputs_;
    ui::Control& command_;
    ui::Control& cancel_;
    CommandHistory history_;
};

}  // namespace console
