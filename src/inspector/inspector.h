// The window inspector on its form: the cross-hair picker, the window actions and the
// window report.
#pragma once

#include "inspector/picker.h"
#include "inspector/report_button.h"
#include "inspector/window_actions.h"

namespace ui {
class Form;
}

namespace inspector {

class Inspector {
public:
    // Binds the handlers of the controls the inspector serves. crossHairCursor: the picker's
    // cursor, a resource id of the program (0 or missing: the system's cross).
    Inspector(ui::Form& form, int crossHairCursor);

    inspector::Picker& Picker() { return picker_; }
    WindowActions& Actions() { return actions_; }
    ReportButton& Report() { return report_; }

private:
    inspector::Picker picker_;
    WindowActions actions_;
    ReportButton report_;
};

}  // namespace inspector
