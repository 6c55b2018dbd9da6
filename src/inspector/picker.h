// The cross-hair picker: a left drag from picCrossHair over any window on the screen fills
// the inspector's boxes with that window's details; Timer1 shows the pointer's position.
// From the keyboard, with the box focused, Enter or Space picks the window the user came from
// and the arrow keys walk the window tree from the picked one; a reader hears each pick.
#pragma once
#include <windows.h>

#include <string>

#include "inspector/target_mark.h"
#include "inspector/window_queries.h"

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
    // Enter or Space: the window the user came from; Up, Down, Left, Right: the picked
    // window's parent, first child, previous and next sibling. Each is a pick as a drag's
    // movement is one; where there is no such window nothing changes and the system beeps.
    void picCrossHair_KeyDown(int& keyCode, int shift);
    void picCrossHair_LostFocus();
    void Timer1_Timer();

    bool Dragging() const { return blnDragging_; }
    // The last foreground window of another program seen while the form was not the active
    // one: where the user came from. nullptr until there was one.
    HWND CameFrom() const { return cameFrom_; }

private:
    // Reads the window under the pointer and writes the nine boxes; returns that window.
    HWND ShowWindowUnderPointer();
    // Reads h and writes the nine boxes in their order; keeps its line for a reader.
    void WriteBoxes(HWND h);
    // The window one step from the picked one (txtMhWnd), past the mark's own windows.
    HWND Walk(TreeStep step);
    void PickByKey(HWND h);
    // The mouse is held on the box for a drag now (a drag whose release went astray is not).
    bool DragUnderWay();
    void NoteForeground();

    ui::Form& form_;
    bool blnDragging_ = false;
    // Nothing but the left button held since the last movement; where the boxes were last read.
    bool leftAlone_ = false;
    POINT lastRead_ = {0, 0};
    // The frame around the window that the drag is over, or that the keyboard picked; gone on
    // release or lost capture, and when the box loses the focus after a keyboard pick.
    TargetMark mark_;
    HWND cameFrom_ = nullptr;
    HWND lastForeground_ = nullptr;  // of any program: its owner is asked on a change only
    // The boxes' window in a line for a reader, and whether this drag has read one.
    std::wstring readLine_;
    bool readInDrag_ = false;
};

}  // namespace inspector
