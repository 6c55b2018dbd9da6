// The "Manage Window" buttons: each acts once on the window picked last, whose handle the
// picker left as decimal text in txtMhWnd.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

namespace ui {
class Form;
}

namespace inspector {

class Deliveries;

class WindowActions {
public:
    // Binds the "Manage Window" buttons of the form, which also holds txtMhWnd.
    explicit WindowActions(ui::Form& form);

    void cmdMaximize_Click();
    void cmdMinimize_Click();
    void cmdNormal_Click();
    void cmdFlash_Click();
    void cmdEnable_Click();
    void cmdDisable_Click();
    void cmdSetTitle_Click();
    void cmdOnTop_Click();
    void cmdNotOnTop_Click();
    void cmdHide_Click();
    void cmdShow_Click();
    // Asks the window to close without waiting for its answer (see the definition).
    void cmdTerminate_Click();

private:
    // The handle in txtMhWnd, read afresh; nothing when the text is not a signed 32-bit
    // decimal number.
    std::optional<HWND> PickedWindow();
    // Makes the call on the picked window, if any; failures are ignored.
    void OnPicked(const std::function<void(HWND)>& call);
    // Makes a call that waits for the window's thread: here for our own thread's windows,
    // otherwise on a worker, so that a window that never answers cannot hold ours still.
    void WithoutWaiting(HWND h, std::function<void()> call);

    ui::Form& form_;
    // Shared with the workers, which may outlive this object while a window keeps them.
    std::shared_ptr<Deliveries> deliveries_;
};

}  // namespace inspector
