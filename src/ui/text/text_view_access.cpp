// The text view as a screen reader sees it: the edit messages readers send to read the text
// line by line and to find the caret (answered as the standard multi-line edit control answers
// them), its accessible object (an editable text), and the win events a reader follows: value
// change, text selection change and the caret's movement. An edit only raises a flag; the
// events go out at the next paint, at most one of each every kEventGap, and the last with the
// box's own timer, so a burst of appends (a run) costs no event per chunk.
#include <oleacc.h>

#include <algorithm>
#include <string>

#include "ui/access/access.h"
#include "ui/text/text_view_box.h"

namespace ui::kit {
namespace {

constexpr UINT_PTR kEventTimer = 1;
constexpr DWORD kEventGap = 250;  // ms: at most four of each event a second

// The low 16 bits, as a position in a word of the answer.
WORD Word16(size_t v) { return static_cast<WORD>(v & 0xFFFF); }

LRESULT Point16(long long x, long long y) {
    return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(static_cast<short>(x)),
                                         static_cast<WORD>(static_cast<short>(y))));
}

}  // namespace

void TextView::TextChanged() {
    valueDue_ = true;
    if (!eventTimer_) eventTimer_ = SetTimer(hwnd_, kEventTimer, kEventGap, nullptr) != 0;
}

void TextView::RaiseEvents(bool late) {
    // A reader follows the selection and the caret of the box it is in, not of the others.
    const POINT at = focused_ ? CaretPoint() : reportedCaretAt_;
    const bool selection = focused_ && (caret_ != reportedCaret_ || anchor_ != reportedAnchor_);
    const bool moved = at.x != reportedCaretAt_.x || at.y != reportedCaretAt_.y;
    if (!valueDue_ && !selection && !moved) return;
    const DWORD now = GetTickCount();
    if (!late && !userMoved_ && now - lastEvents_ < kEventGap) {
        // Too soon after the last ones: the timer brings them (it is held during a run and
        // comes once the run has ended).
        if (!eventTimer_) eventTimer_ = SetTimer(hwnd_, kEventTimer, kEventGap, nullptr) != 0;
        return;
    }
    userMoved_ = false;
    lastEvents_ = now;
    if (valueDue_) {
        valueDue_ = false;
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd_, OBJID_CLIENT, CHILDID_SELF);
    }
    if (selection) {
        reportedCaret_ = caret_;
        reportedAnchor_ = anchor_;
        NotifyWinEvent(EVENT_OBJECT_TEXTSELECTIONCHANGED, hwnd_, OBJID_CLIENT, CHILDID_SELF);
    }
    if (moved) {
        reportedCaretAt_ = at;
        NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, hwnd_, OBJID_CARET, CHILDID_SELF);
    }
}

// The line of -1: the one where the selection begins.
size_t TextView::LineOf(WPARAM index) const {
    if (static_cast<int>(index) == -1) return layout_.RowOf(SelStart());
    return layout_.RowOf(std::min(static_cast<size_t>(index), layout_.Size()));
}

size_t TextView::LineLength(size_t row) const {
    return layout_.RowContentEnd(row) - layout_.RowStart(row);
}

bool TextView::HandleReading(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case EM_GETSEL: {
            const size_t a = SelStart(), b = SelEnd();
            if (wp) *reinterpret_cast<DWORD*>(wp) = static_cast<DWORD>(a);
            if (lp) *reinterpret_cast<DWORD*>(lp) = static_cast<DWORD>(b);
            result = a > 0xFFFF || b > 0xFFFF ? -1 : MAKELRESULT(a, b);
            return true;
        }
        case EM_LINEINDEX: {
            const int line = static_cast<int>(wp);
            const size_t row = line == -1 ? layout_.RowOf(caret_) : static_cast<size_t>(line);
            result = line < -1 || row >= layout_.RowCount()
                         ? -1
                         : static_cast<LRESULT>(layout_.RowStart(row));
            return true;
        }
        case EM_LINEFROMCHAR:
            result = static_cast<LRESULT>(LineOf(wp));
            return true;
        case EM_LINELENGTH: {
            if (static_cast<int>(wp) == -1) {
                // The characters of the selection's lines that are not selected.
                const size_t first = layout_.RowOf(SelStart()), last = layout_.RowOf(SelEnd());
                result = static_cast<LRESULT>((SelStart() - layout_.RowStart(first)) +
                                              (layout_.RowContentEnd(last) -
                                               std::min(SelEnd(), layout_.RowContentEnd(last))));
                return true;
            }
            // Past the end: the last line.
            const size_t index = std::min(static_cast<size_t>(wp), layout_.Size());
            result = static_cast<LRESULT>(LineLength(layout_.RowOf(index)));
            return true;
        }
        case EM_GETLINE: {
            const size_t row = static_cast<size_t>(wp);
            auto* out = reinterpret_cast<wchar_t*>(lp);
            if (!out || row >= layout_.RowCount()) {
                result = 0;
                return true;
            }
            // The buffer's size comes in its first WORD; the line is copied without an end.
            const size_t room = *reinterpret_cast<const WORD*>(out);
            const size_t n = std::min(room, LineLength(row));
            layout_.CopyTo(layout_.RowStart(row), n, out);
            if (n < room) out[n] = 0;  // as the standard box does where there is room
            result = static_cast<LRESULT>(n);
            return true;
        }
        case EM_POSFROMCHAR: {
            const size_t index = static_cast<size_t>(wp);
            if (index >= layout_.Size()) {  // past the last character
                result = -1;
                return true;
            }
            if (scrollToCaret_) ScrollCaretIntoView();
            scrollToCaret_ = false;
            const long long row = static_cast<long long>(layout_.RowOf(index));
            result = Point16(margin_ + layout_.XOf(index),
                             kTopMargin + (row - static_cast<long long>(top_)) * LineHeight());
            return true;
        }
        case EM_CHARFROMPOS: {
            const POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            RECT client;
            GetClientRect(hwnd_, &client);
            if (!PtInRect(&client, pt)) {
                result = -1;
                return true;
            }
            if (scrollToCaret_) ScrollCaretIntoView();
            scrollToCaret_ = false;
            const size_t at = HitTest(pt.x, pt.y);
            result = static_cast<LRESULT>(MAKELONG(Word16(at), Word16(layout_.RowOf(at))));
            return true;
        }
        case WM_GETOBJECT:
            result = AnswerGetObject(hwnd_, wp, lp);
            return result != 0;
        case WM_TIMER:
            if (wp != kEventTimer) return false;
            KillTimer(hwnd_, kEventTimer);
            eventTimer_ = false;
            RaiseEvents(true);
            result = 0;
            return true;
    }
    return false;
}

}  // namespace ui::kit
