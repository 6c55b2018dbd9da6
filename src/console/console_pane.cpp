// The console pane's handlers. The transcript is the text of txtOutputs and nothing else; it
// only grows, one chunk at a time, appended at the end of the box.
#include "console/console_pane.h"

#include <windows.h>

#include "console/shelvoxs.h"
#include "ui/busy_pump.h"
#include "ui/error_modes.h"
#include "ui/form.h"

namespace console {

ConsolePane::ConsolePane(ui::Form& form, RunnerSource runner)
    : form_(form),
      runner_(std::move(runner)),
      outputs_(form.Design(L"txtOutputs")),
      command_(form.Design(L"txtCommand")),
      cancel_(form.Design(L"cmdCancel")) {
    cancel_.Click = [this] { cmdCancel_Click(); };
    form_.Design(L"cmdExecute").Click = [this] { cmdExecute_Click(); };
    command_.KeyPress = [this](int& key) { txtCommand_KeyPress(key); };
    command_.KeyDown = [this](int& key, int shift) { txtCommand_KeyDown(key, shift); };
    outputs_.Change = [this] { txtOutputs_Change(); };
    form_.GetTimer(L"Timer11").Tick = [this] { Timer11_Timer(); };
}

void ConsolePane::AttachRunner(Shelvoxs& runner) {
    runner.ReceiveOutputs = [this](std::wstring chunk) { objDOS_ReceiveOutputs(chunk); };
}

Shelvoxs& ConsolePane::Runner() {
    Shelvoxs* runner = runner_ ? runner_() : nullptr;
    if (!runner) throw ui::RuntimeError(91, L"Object variable or With block variable not set");
    return *runner;
}

void ConsolePane::RunTypedCommand() {
    Shelvoxs& runner = Runner();
    const std::wstring line = command_.Text();
    runner.SetCommandLine(line);
    if (!line.empty()) history_.Add(line);
    Run(runner);
    command_.SetText(L"");
    command_.SetFocus();
}

void ConsolePane::Run(Shelvoxs& runner) {
    // The run under way keeps its pump and its cancel: a second one is not started beside it.
    if (runner.Running()) return;
    // The call stays synchronous for its caller; meanwhile the window repaints, shows the
    // output as it arrives and answers only the cancel. The output reaches the transcript
    // through the listener alone, so the runner makes no copy of it to return.
    // What is typed into the command box meanwhile lands there once the run has ended.
    ui::BusyPump pump(
        form_, &cancel_, [&runner] { runner.Cancel(); }, &command_);
    struct Detach {
        Shelvoxs& r;
        std::function<void()> previous;
        ~Detach() { r.WhileRunning = std::move(previous); }
    } detach{runner, runner.WhileRunning};
    runner.WhileRunning = [&pump] { pump.Pump(); };
    runner.Execute(L"");
}

void ConsolePane::cmdCancel_Click() {
    if (Shelvoxs* runner = runner_ ? runner_() : nullptr) runner->Cancel();
}

void ConsolePane::cmdExecute_Click() {
    ui::ReportErrors([&] { RunTypedCommand(); });
}

void ConsolePane::txtCommand_KeyPress(int& keyAscii) {
    ui::ReportErrors([&] {
        if (keyAscii == 13) RunTypedCommand();
    });
}

void ConsolePane::txtCommand_KeyDown(int& keyCode, int shift) {
    if ((keyCode != VK_UP && keyCode != VK_DOWN) || shift) return;
    std::wstring line;
    bool moved = keyCode == VK_UP ? history_.Older(line) : history_.Newer(line);
    if (!moved) return;
    command_.SetText(line);
    command_.SetSelStart(static_cast<int>(line.size()));
    keyCode = 0;
}

void ConsolePane::Timer11_Timer() {
    ui::ReportErrors([&] {
        Shelvoxs& runner = Runner();
        runner.SetCommandLine(L"help");
        Run(runner);
    });
    form_.SetTimerEnabled(L"Timer11", false);
}

// Called once per chunk read: the handlers hold their controls rather than look them up.
void ConsolePane::objDOS_ReceiveOutputs(const std::wstring& commandOutputs) {
    // Nothing is kept for a window that is gone.
    if (!form_.Loaded()) return;
    outputs_.AppendText(commandOutputs);
}

void ConsolePane::txtOutputs_Change() { outputs_.SetSelStart(outputs_.TextLength()); }

}  // namespace console
