// "Copy to Clipboard": the eight-line report of the window picked last.
#pragma once

namespace ui {
class Form;
}

namespace inspector {

class ReportButton {
public:
    // Binds cmdCopy of the form that holds the inspector's boxes.
    explicit ReportButton(ui::Form& form);

    // Builds the report from what the inspector's boxes hold now and replaces the clipboard's
    // content with it. A clipboard held by another program makes it do nothing.
    void cmdCopy_Click();

private:
    ui::Form& form_;
};

}  // namespace inspector
