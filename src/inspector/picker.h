// The cross-hair picker: a left drag from picCrossHair over any window on the screen fills
// the inspector's boxes with that window's details; Timer1 shows the pointer's position.
#pragma once

namespace mainwin {
class MainForm;
}

namespace inspector {

class Picker {
public:
    explicit Picker(mainwin::MainForm& main);

    // button: on press and release the button that changed (1 left, 2 right, 4 middle);
    // on movement the buttons held (bit 1 left, bit 2 right, bit 4 middle).
    void picCrossHair_MouseDown(int button, int shift, int x, int y);
    void picCrossHair_MouseMove(int button, int shift, int x, int y);
    void picCrossHair_MouseUp(int button, int shift, int x, int y);
    void Timer1_Timer();

    bool Dragging() const { return blnDragging_; }

private:
    // Reads the window under the pointer and writes the nine boxes.
    void ShowWindowUnderPointer();

    mainwin::MainForm& main_;
    bool blnDragging_ = false;
};

}  // namespace inspector
