// "Copy to Clipboard": the eight-line report of the window picked last.
#pragma once

namespace mainwin {
class MainForm;
}

namespace inspector {

class ReportButton {
public:
    explicit ReportButton(mainwin::MainForm& main);

    // Builds the report from what the inspector's boxes hold now and replaces the clipboard's
    // content with it. A clipboard held by another program makes it do nothing.
    void cmdCopy_Click();

private:
    mainwin::MainForm& main_;
};

}  // namespace inspector
