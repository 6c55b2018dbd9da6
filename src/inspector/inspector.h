// The window inspector on the main form: the cross-hair picker, the window actions and the
// window report.
#pragma once

#include "inspector/picker.h"
#include "inspector/report_button.h"
#include "inspector/window_actions.h"

namespace mainwin {
class MainForm;
}

namespace inspector {

class Inspector {
public:
    // Binds the handlers of the controls the inspector serves.
    explicit Inspector(mainwin::MainForm& main);

    inspector::Picker& Picker() { return picker_; }
    WindowActions& Actions() { return actions_; }
    ReportButton& Report() { return report_; }

private:
    inspector::Picker picker_;
    WindowActions actions_;
    ReportButton report_;
};

}  // namespace inspector
