// The console pane's handlers. The transcript is the text of txtOutputs and nothing else; it
// only grows, one chunk at a time, appended at the end of the box.
#include "console/console_pane.h"

#include <windows.h>

#include "console/shelvoxs.h"
#include "ui/busy_pump.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace console {

ConsolePane::ConsolePane(ui::Form& form, RunnerSource runner)
    : form_(form),
      runner_(std::move(runner)),
      outputs_(form.Design(L"txtOutputs")),
      command_(form.Design(L"txtCommand")),
      cancel_(form.Design(L"cmdCancel")),
      transcript_(form, outputs_) {
    cancel_.Click = [this] { cmdCancel_Click(); };
    form_.Design(L"cmdExecute").Click = [this] { cmdExecute_Click(); };
    command_.KeyPress = [this](int& key) { txtCommand_KeyPress(key); };
    command_.KeyDown = [this](int& key, int shift) { txtCommand_KeyDown(key, shift); };
    outputs_.Change = [this] { txtOutputs_Change(); };
    outputs_.KeyDown = [this](int& key, int shift) { txtOutputs_KeyDown(key, shift); };
    outputs_.SetMenuCommands({L"&Find...\tCtrl+F", L"&Save As...\tCtrl+S"});
    outputs_.MenuCommand = [this](int index) { txtOutputs_MenuCommand(index); };
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
    // A long run that ends while the user is in another program is made known, once the pump
    // has let go.
    struct Notice {
        ConsolePane& pane;
        unsigned long long started;
        ~Notice() {
            ui::ResumeNext([&] { pane.NoticeLongRun(started); });
        }
    } notice{*this, ui::Rt().TickCount()};
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

void ConsolePane::NoticeLongRun(unsigned long long started) {
    if (!form_.Loaded() || ui::Rt().TickCount() - started < kLongRunMs) return;
    if (ui::Rt().ProgramInForeground()) return;
    FLASHWINFO flash = {};
    flash.cbSize = sizeof flash;
    flash.hwnd = form_.Hwnd();
    flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
    flash.uCount = UINT_MAX;
    ui::Rt().FlashWindow(flash);
}

void ConsolePane::cmdCancel_Click() {
    if (Shelvoxs* runner = runner_ ? runner_() : nullptr) runner->Cancel();
}

void ConsolePane::cmdExecute_Click() {
    ui::ReportErrors([&] { RunTypedCommand(); });
}

void ConsolePane::txtCommand_KeyPress(int& keyAscii) {
    // Ctrl+F and Ctrl+S have done their work on the way down; their characters are not text.
    if (keyAscii == 6 || keyAscii == 19) {
        keyAscii = 0;
        return;
    }
    ui::ReportErrors([&] {
        if (keyAscii == 13) RunTypedCommand();
    });
}

void ConsolePane::txtOutputs_KeyDown(int& keyCode, int shift) { TranscriptKeys(keyCode, shift); }

void ConsolePane::TranscriptKeys(int& keyCode, int shift) {
    bool done = false;
    ui::ReportErrors([&] { done = transcript_.Key(keyCode, shift); });
    if (done) keyCode = 0;
}

void ConsolePane::txtOutputs_MenuCommand(int index) {
    ui::ReportErrors([&] {
        if (index == 0) transcript_.Find();
        if (index == 1) transcript_.SaveAs();
    });
}

void ConsolePane::txtCommand_KeyDown(int& keyCode, int shift) {
    TranscriptKeys(keyCode, shift);
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
