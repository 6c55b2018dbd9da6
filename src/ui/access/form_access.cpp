// What a reader hears of a form and its controls: the accessible children of a form and of
// each frame (the labels it draws, then its child windows in the tab order) and the one rule
// that names a control from the layout (the label that stands for it, else its frame, else
// the hint beside it). The objects themselves are access.cpp's.
#include <oleacc.h>

#include <algorithm>
#include <climits>

#include "ui/access/access.h"
#include "ui/form.h"
#include "ui/kit.h"
#include "ui/runtime.h"
#include "ui/text/text_view.h"

namespace ui {
namespace {

// How far a label may stand from the control it names: a quarter of an inch.
constexpr int kLabelReach = 360;

struct Box {
    int left, top, right, bottom;
};

bool SameContainer(const ControlDef& a, const ControlDef& b) {
    if (!a.container || !b.container) return a.container == b.container;
    return std::wstring(a.container) == b.container;
}

bool Overlap(int a0, int a1, int b0, int b1) { return a0 < b1 && b0 < a1; }

// The gap from the label to the control when the label stands for it in that place, else -1.
int GapAbove(const Box& label, const Box& c) {
    if (label.bottom > c.top || label.left > c.left || label.right <= c.left) return -1;
    return c.top - label.bottom;
}
int GapLeft(const Box& label, const Box& c) {
    if (label.right > c.left || !Overlap(label.top, label.bottom, c.top, c.bottom)) return -1;
    return c.left - label.right;
}
int GapRight(const Box& label, const Box& c) {
    if (label.left < c.right || !Overlap(label.top, label.bottom, c.top, c.bottom)) return -1;
    return label.left - c.right;
}

}  // namespace

std::wstring Control::AccessibleName() const {
    switch (def_.kind) {
        case Kind::Button:
        case Kind::CheckBox:
        case Kind::Frame:
        case Kind::Label:
            return kit::WithoutAccessKey(Text());
        default:
            break;
    }
    if (!labelledBy_.empty()) {
        auto it = form_.byName_.find(labelledBy_);
        if (it != form_.byName_.end()) return kit::WithoutAccessKey(it->second->caption_);
    }
    const Box self = {leftTwips_, def_.top, leftTwips_ + def_.width, def_.top + def_.height};
    // The nearest label above it or to its left; else its frame's caption; else a label just
    // to its right (a hint that explains it).
    const Control* best = nullptr;
    const Control* beside = nullptr;
    int bestGap = INT_MAX, besideGap = INT_MAX;
    for (const auto& c : form_.controls_) {
        if (c->def_.kind != Kind::Label || c->caption_.empty() || !SameContainer(c->def_, def_))
            continue;
        const Box label = {c->leftTwips_, c->def_.top, c->leftTwips_ + c->def_.width,
                           c->def_.top + c->def_.height};
        for (int gap : {GapAbove(label, self), GapLeft(label, self)})
            if (gap >= 0 && gap <= kLabelReach && gap < bestGap) bestGap = gap, best = c.get();
        const int right = GapRight(label, self);
        if (right >= 0 && right <= kLabelReach && right < besideGap)
            besideGap = right, beside = c.get();
    }
    if (best) return kit::WithoutAccessKey(best->caption_);
    if (def_.container) {
        auto it = form_.byName_.find(def_.container);
        if (it != form_.byName_.end()) return it->second->AccessibleName();
    }
    return beside ? kit::WithoutAccessKey(beside->caption_) : std::wstring();
}

namespace kit {

AccessibleFace FaceOf(HWND hwnd) {
    AccessibleFace face;
    if (!hwnd || !IsWindow(hwnd)) return face;
    Form* form = Form::FromWindow(hwnd);
    Control* self = nullptr;
    if (form) {
        face.named = true;
        face.name = WindowText(hwnd);
        if (face.name.empty()) face.name = AppTitle();
    } else if ((form = Form::FromWindow(GetAncestor(hwnd, GA_ROOT))) != nullptr &&
               (self = form->Find(hwnd)) != nullptr) {
        face.named = true;
        face.name = self->AccessibleName();
        // The role of its kind: the standard object does not know the kit's own windows, and
        // not every system's knows the system's controls.
        face.role = TraitsOf(self->def_.kind).accessibleRole;
        face.value = self->accessibleValue_;
    }
    if (IsTextView(hwnd)) {
        face.role = ROLE_SYSTEM_TEXT;
        face.editableText = true;
    }
    if (!form || (self && self->def_.kind != Kind::Frame)) return face;

    // A form and each frame: the labels it draws, then its own child windows in the tab
    // order; a frame takes the place of the first control inside it, and what takes no focus
    // follows, in the layout's order.
    face.ownChildren = true;
    for (const auto& c : form->controls_) {
        if (c->def_.kind != Kind::Label || c->Container() != hwnd) continue;
        RECT r = c->PixelRect(form->dpi_), client = {}, seen;
        GetClientRect(hwnd, &client);
        DWORD state = STATE_SYSTEM_READONLY;
        if (!c->visible_) state |= STATE_SYSTEM_INVISIBLE;
        if (!IntersectRect(&seen, &r, &client)) state |= STATE_SYSTEM_OFFSCREEN;
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
        face.labels.push_back({WithoutAccessKey(c->caption_), r, state});
    }
    auto place = [form](const Control& c) {
        if (c.def_.tab >= 0) return c.def_.tab;
        int first = INT_MAX;
        if (c.def_.kind == Kind::Frame)
            for (const auto& inner : form->controls_)
                if (inner->def_.container && inner->def_.tab >= 0 &&
                    std::wstring(inner->def_.container) == c.def_.name)
                    first = std::min(first, inner->def_.tab);
        return first;
    };
    std::vector<const Control*> windows;
    for (const auto& c : form->controls_)
        if (c->hwnd_ && GetParent(c->hwnd_) == hwnd) windows.push_back(c.get());
    std::stable_sort(windows.begin(), windows.end(),
                     [&](const Control* a, const Control* b) { return place(*a) < place(*b); });
    for (const Control* c : windows) face.windows.push_back(c->hwnd_);
    return face;
}

}  // namespace kit
}  // namespace ui
