// A frame drawn around the window that a drag of the cross-hair is over, so that the user
// sees what a release would pick. It is made of four thin top-most windows of the program's
// own, one per side, that hit-testing passes through (layered and transparent): the point
// under the pointer, and the target's own edges, still find the target. The frame lies just
// outside the window's outline, so it never hides the window or lies under the pointer, and
// comes inside only where the screen ends. Its windows never take the focus or activate.
//
// The windows belong to a thread of the mark's own, which places them as soon as it is asked
// and answers their messages at once: the thread that reads the pointer never waits for the
// window system to move them, and their share of the pointer's traffic is never handled late.
#pragma once
#include <windows.h>

#include <memory>
#include <thread>

namespace inspector {

class TargetMark {
public:
    TargetMark() = default;
    // Ends the mark's thread; the frame goes with it.
    ~TargetMark();
    TargetMark(const TargetMark&) = delete;
    TargetMark& operator=(const TargetMark&) = delete;

    // Makes the mark's thread and windows, hidden, so that the first drag finds them ready and
    // the program's resources stay the same from then on. Answers whether there is a mark.
    bool Prepare();

    // Frames the window's rectangle on screen, or hides the mark for no window. Without a
    // thread or windows to be had there is no mark, and nothing else changes.
    void Show(HWND target);
    void Hide();

    // The frame of thickness t around target, kept within screen; empty when nothing of it
    // would show.
    static RECT FrameFor(const RECT& target, const RECT& screen, int t);
    static int Thickness();

    static constexpr int kThickness = 5;
    static const wchar_t kClass[];

    struct Shared;

private:
    void Ask(const RECT& frame, bool show);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    bool visible_ = false;
    bool failed_ = false;
};

}  // namespace inspector
