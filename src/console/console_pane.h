// The console pane: the transcript box, the command box and "Run Command", fed by the form's
// command runner.
#pragma once
#include <functional>
#include <string>

#include "console/command_history.h"
#include "console/transcript.h"

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
    // Up and Down walk the lines run so far (newest first with Up). Here and in the transcript,
    // Ctrl+F finds, F3 and Shift+F3 find again and Ctrl+S saves the transcript.
    void txtCommand_KeyDown(int& keyCode, int shift);
    void txtOutputs_KeyDown(int& keyCode, int shift);
    // The transcript's context menu: Find... and Save As...
    void txtOutputs_MenuCommand(int index);
    void Timer11_Timer();
    void objDOS_ReceiveOutputs(const std::wstring& commandOutputs);
    void txtOutputs_Change();
    // The way out of a long run: Esc, or the cancel button shown while a command runs.
    void cmdCancel_Click();

    // A run this long or longer that ends while the user is in another program flashes the
    // window's taskbar button until the user comes back.
    static constexpr unsigned long long kLongRunMs = 5000;
    Transcript& TranscriptTools() { return transcript_; }

private:
    // The runner, or error 91 when the form has none.
    Shelvoxs& Runner();
    void RunTypedCommand();
    // Runs the runner's stored command line, keeping the window painted meanwhile.
    void Run(Shelvoxs& runner);
    // Ctrl+F, F3, Shift+F3 and Ctrl+S in either box; a key carried out is kept from the box.
    void TranscriptKeys(int& keyCode, int shift);
    // The notice of a long run that has ended, started at `started` (the runtime's clock).
    void NoticeLongRun(unsigned long long started);

    ui::Form& form_;
    RunnerSource runner_;
    ui::Control& outputs_;
    ui::Control& command_;
    ui::Control& cancel_;
    CommandHistory history_;
    Transcript transcript_;
};

}  // namespace console
