// The console pane's handlers. The transcript is the text of txtOutputs and nothing else; it
// only grows, one chunk at a time, appended at the end of the box.
#include "console/console_pane.h"

#include <windows.h>

#include "console/shelvoxs.h"
#include "mainwin/main_form.h"
#include "ui/busy_pump.h"
#include "ui/runtime.h"

namespace console {

ConsolePane::ConsolePane(mainwin::MainForm& main)
    : main_(main),
      outputs_(main.Form().Design(L"txtOutputs")),
      command_(main.Form().Design(L"txtCommand")),
      cancel_(main.Form().Design(L"cmdCancel")) {
    ui::Form& f = main_.Form();
    cancel_.Click = [this] { cmdCancel_Click(); };
    f.Design(L"cmdExecute").Click = [this] { cmdExecute_Click(); };
    f.Design(L"txtCommand").KeyPress = [this](int& key) { txtCommand_KeyPress(key); };
    f.Design(L"txtOutputs").Change = [this] { txtOutputs_Change(); };
    f.GetTimer(L"Timer11").Tick = [this] { Timer11_Timer(); };
}

void ConsolePane::AttachRunner(Shelvoxs& runner) {
    runner.ReceiveOutputs = [this](std::wstring chunk) { objDOS_ReceiveOutputs(chunk); };
}

void ConsolePane::ReportError(const std::exception& e) {
    ui::Rt().MsgBox(ui::ErrorReportText(e), MB_OK, std::nullopt);
}

void ConsolePane::RunTypedCommand() {
    Shelvoxs* runner = main_.objDOS();
    if (!runner) throw ui::RuntimeError(91, L"Object variable or With block variable not set");
    runner->SetCommandLine(command_.Text());
    Run(*runner);
    command_.SetText(L"");
    command_.SetFocus();
}

void ConsolePane::Run(Shelvoxs& runner) {
    // The run under way keeps its pump and its cancel: a second one is not started beside it.
    if (runner.Running()) return;
    // The call stays synchronous for its caller; meanwhile the window repaints, shows the
    // output as it arrives and answers only the cancel. The output reaches the transcript
    // through the listener alone, so the runner makes no copy of it to return.
    ui::BusyPump pump(main_.Form(), &cancel_, [&runner] { runner.Cancel(); });
    struct Detach {
        Shelvoxs& r;
        std::function<void()> previous;
        ~Detach() { r.WhileRunning = std::move(previous); }
    } detach{runner, runner.WhileRunning};
    runner.WhileRunning = [&pump] { pump.Pump(); };
    runner.Execute(L"");
}

void ConsolePane::cmdCancel_Click() {
    if (Shelvoxs* runner = main_.objDOS()) runner->Cancel();
}

void ConsolePane::cmdExecute_Click() {
    try {
        RunTypedCommand();
    } catch (const std::exception& e) {
        ReportError(e);
    }
}

void ConsolePane::txtCommand_KeyPress(int& keyAscii) {
    try {
        if (keyAscii == 13) RunTypedCommand();
    } catch (const std::exception& e) {
        ReportError(e);
    }
}

void ConsolePane::Timer11_Timer() {
    try {
        Shelvoxs* runner = main_.objDOS();
        if (!runner) throw ui::RuntimeError(91, L"Object variable or With block variable not set");
        runner->SetCommandLine(L"help");
        Run(*runner);
    } catch (const std::exception& e) {
        ReportError(e);
    }
    main_.Form().SetTimerEnabled(L"Timer11", false);
}

// Called once per chunk read: the handlers hold their controls rather than look them up.
void ConsolePane::objDOS_ReceiveOutputs(const std::wstring& commandOutputs) {
    // Nothing is kept for a window that is gone.
    if (!main_.Form().Loaded()) return;
    outputs_.AppendText(commandOutputs);
}

void ConsolePane::txtOutputs_Change() { outputs_.SetSelStart(outputs_.TextLength()); }

}  // namespace console
