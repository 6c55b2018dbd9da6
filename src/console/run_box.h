// The run box ("Go"), the "Exit" button and the title strip's minimise and close spots.
#pragma once

namespace ui {
class Form;
}

namespace console {

class RunBox {
public:
    // Binds the handlers of Command1, Text1, Command3, Label4 and Label3.
    explicit RunBox(ui::Form& form);

    void Command1_Click();
    void Text1_KeyPress(int& keyAscii);
    void Command3_Click();
    void Label4_Click();
    void Label3_Click();

private:
    void StartTyped();
    ui::Form& form_;
};

}  // namespace console
