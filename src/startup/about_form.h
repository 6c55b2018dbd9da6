// mvAbout: the about box. The main window's "About" button shows it; it reads the usage line
// that the terms screen left in the main window, and its underline opens the maker's site.
#pragma once

#include "ui/form.h"

namespace mainwin {
class MainForm;
}

namespace startup {

class AboutForm {
public:
    // Binds the main window's "About" button to this box.
    explicit AboutForm(mainwin::MainForm& main);
    AboutForm(const AboutForm&) = delete;
    AboutForm& operator=(const AboutForm&) = delete;

    ui::Form& Form() { return form_; }

    // The main window's "About" button.
    void Command2_Click();
    void Form_Load();
    void Label2_Click();
    void Command1_Click();

private:
    ui::Form form_;
    mainwin::MainForm& main_;
};

}  // namespace startup
