// Keeps a form alive during a long operation that runs on its own thread's stack: waiting
// messages are handled, so the windows repaint and answer other programs, but keyboard and
// mouse input and timer ticks are dropped, and no handler of any form runs (the kit asks
// Allows() before it raises an event), so nothing else can start. The one way through is the
// way out: Esc, or the cancel control. A request to close a form meanwhile ends the
// operation first (through the cancel) and closes the form after it.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

namespace ui {

class Form;
class Control;

class BusyPump {
public:
    // cancel may be nullptr. A mouse gesture under way ends here, with its release, so that
    // no capture outlives the operation. Nothing changes on screen until the first Pump().
    // Characters typed into typeAhead (when given) are kept, in order, and reach it once the
    // operation has ended, as a terminal keeps what is typed while a command runs; an Enter
    // typed ahead with nothing typed ahead before it (since the last Enter) is dropped.
    BusyPump(Form& form, Control* cancel, std::function<void()> onCancel,
             Control* typeAhead = nullptr);
    ~BusyPump();
    BusyPump(const BusyPump&) = delete;
    BusyPump& operator=(const BusyPump&) = delete;

    // Handles every message waiting for the thread.
    void Pump();

    // The pump of the operation under way on this thread, or nullptr.
    static BusyPump* Current();
    // Whether the control's events may run now: only the cancel control's may.
    bool Allows(const Control& control) const { return &control == cancel_; }
    // A close request for that window during the operation: the operation is cancelled and
    // the window gets its WM_CLOSE once the operation has ended.
    void CloseAfter(HWND window);

private:
    void Activate();
    void Hold(const MSG& msg);
    void KeepTyped(const MSG& msg);

    Form& form_;
    Control* cancel_;
    std::function<void()> onCancel_;
    Control* typeAhead_;
    BusyPump* outer_;
    bool active_ = false;
    bool quit_ = false;
    int quitCode_ = 0;
    std::vector<MSG> held_;   // close requests, posted again afterwards
    std::vector<MSG> typed_;  // characters typed ahead, posted again afterwards
    bool typedSinceEnter_ = false;
};

// Ends a mouse gesture of this thread that holds the capture: its window gets WM_CANCELMODE
// (the kit's controls answer with the release of the buttons still held) and the capture goes.
void EndMouseGesture();

}  // namespace ui
