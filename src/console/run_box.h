// The run box ("Go"), the "Exit" button and the title strip's minimise and close spots.
#pragma once

namespace mainwin {
class MainForm;
}

namespace console {

class RunBox {
public:
    explicit RunBox(mainwin::MainForm& main);

    void Command1_Click();
    void Text1_KeyPress(int& keyAscii);
    void Command3_Click();
    void Label4_Click();
    void Label3_Click();

private:
    void StartTyped();
    mainwin::MainForm& main_;
};

}  // namespace console
