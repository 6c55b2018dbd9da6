// The cross-hair picker: a left drag from picCrossHair over any window on the screen fills
// the inspector's boxes with that window's details; Timer1 shows the pointer's position.
#pragma once
#include <windows.h>

#include "inspector/target_mark.h"

namespace ui {
class Form;
}

namespace inspector {

class Picker {
public:
    // Binds picCrossHair's mouse, Timer1 and the drag pointer (imgCursor) of the form, which
    // also holds the boxes the picker writes. crossHairCursor: that pointer's resource id in
    // the program (0 or missing: the system's cross).
    Picker(ui::Form& form, int crossHairCursor);

    // button: on press and release the button that changed (1 left, 2 right, 4 middle);
    // on movement the buttons held (bit 1 left, bit 2 right, bit 4 middle).
    void picCrossHair_MouseDown(int button, int shift, int x, int y);
    void picCrossHair_MouseMove(int button, int shift, int x, int y);
    void picCrossHair_MouseUp(int button, int shift, int x, int y);
    void Timer1_Timer();

    bool Dragging() const { return blnDragging_; }

private:
    // Reads the window under the pointer and writes the nine boxes; returns that window.
    HWND ShowWindowUnderPointer();

    ui::Form& form_;
    bool blnDragging_ = false;
    // Nothing but the left button held since the last movement; where the boxes were last read.
    bool leftAlone_ = false;
    POINT lastRead_ = {0, 0};
    // The frame around the window that the drag is over; gone on release or lost capture.
    TargetMark mark_;
};

}  // namespace inspector
