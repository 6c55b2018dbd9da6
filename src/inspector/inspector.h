// The window inspector on the main form: the cross-hair picker, the window actions and the
// window report.
#pragma once

namespace mainwin {
class MainForm;
}

namespace inspector {

class Inspector {
public:
    explicit Inspector(mainwin::MainForm& main);

private:
    mainwin::MainForm& main_;
};

}  // namespace inspector
