// Keeps a form alive during a long operation that runs on its own thread's stack: waiting
// messages are handled, so the windows repaint and answer other programs, but keyboard and
// mouse input and timer ticks are dropped, so no handler runs and nothing else can start.
// The one way through is the way out: Esc, or a click on the cancel control.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

namespace ui {

class Form;
class Control;

class BusyPump {
public:
    // cancel may be nullptr. Nothing changes on screen until the first Pump().
    BusyPump(Form& form, Control* cancel, std::function<void()> onCancel);
    ~BusyPump();
    BusyPump(const BusyPump&) = delete;
    BusyPump& operator=(const BusyPump&) = delete;

    // Handles every message waiting for the thread.
    void Pump();

private:
    void Activate();

    Form& form_;
    Control* cancel_;
    std::function<void()> onCancel_;
    bool active_ = false;
    bool quit_ = false;
    int quitCode_ = 0;
    std::vector<MSG> held_;  // close requests, posted again afterwards
};

}  // namespace ui
