// mvAbout: the about box. The main window's "About" button shows it; it reads the usage line
// that the terms screen left in the main window (mvIns), and its underline opens the maker's
// site.
#pragma once

#include "startup/artwork.h"
#include "ui/form.h"

namespace startup {

class AboutForm {
public:
    // Binds the main window's "About" button (Command2) to this box.
    AboutForm(ui::Form& main, const Artwork& art);
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
    ui::Form& main_;
};

}  // namespace startup
