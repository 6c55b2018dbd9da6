// A frame drawn around the window that a drag of the cross-hair is over, so that the user
// sees what a release would pick. It is made of four thin top-most windows of the program's
// own, one per edge, that hit-testing passes through (layered and transparent): the point
// under the pointer, and the target's own edges, still find the target. They never take the
// focus or activate, and they go with the mark.
#pragma once
#include <windows.h>

#include <array>

namespace inspector {

class TargetMark {
public:
    TargetMark() = default;
    ~TargetMark();
    TargetMark(const TargetMark&) = delete;
    TargetMark& operator=(const TargetMark&) = delete;

    // Frames the window's rectangle (on screen), or hides the mark for no window.
    void Show(HWND target);
    void Hide();
    bool Visible() const { return visible_; }

    static constexpr int kThickness = 5;
    static const wchar_t kClass[];

private:
    bool Create();

    std::array<HWND, 4> edges_ = {};
    bool visible_ = false;
};

}  // namespace inspector
