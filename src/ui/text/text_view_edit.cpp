// The text view's editing commands: selection, replacing the selection within the box's
// limit, the one undo step, the clipboard commands, the keyboard (characters and caret keys)
// and the context menu.
#include "ui/text/text_view_box.h"

#include "ui/clipboard.h"
#include "ui/runtime.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ui::kit {

void TextView::Select(size_t anchor, size_t caret) {
    anchor_ = layout_.Normalize(anchor);
    caret_ = layout_.Normalize(caret);
    runKind_ = EditKind::Other;  // a moved caret starts a new undo step
}

bool TextView::ReplaceSelection(const std::wstring& s, EditKind kind) {
    const size_t a = SelStart(), b = SelEnd();
    if (a == b && s.empty()) return true;  // Backspace at the start, and the like
    const size_t after = layout_.Size() - (b - a);
    const bool fits =
        s.size() <= static_cast<size_t>(limit_) && after <= static_cast<size_t>(limit_) - s.size();
    try {
        if (!fits) throw std::bad_alloc();
        if (kind == EditKind::Program) {
            layout_.Replace(a, b, s);
            undo_ = UndoStep();
        } else if (kind == EditKind::Undo) {
            layout_.Replace(a, b, s);
        } else {
            UndoStep next = NextUndoStep(a, b, s, kind);
            layout_.Replace(a, b, s);
            undo_ = std::move(next);
        }
    } catch (const std::bad_alloc&) {
        Notify(EN_MAXTEXT);
        return false;
    } catch (const std::length_error&) {  // a string past its largest size: full too
        Notify(EN_MAXTEXT);
        return false;
    }
    caret_ = anchor_ = layout_.Normalize(a + s.size());
    runKind_ = kind;
    MarkDirty();
    TextChanged();
    Notify(EN_CHANGE);
    return true;
}

TextView::UndoStep TextView::NextUndoStep(size_t a, size_t b, const std::wstring& s,
                                          EditKind kind) const {
    const bool goesOn = undo_.valid && kind == runKind_;
    if (goesOn && kind == EditKind::Typing && a == b && a == undo_.pos + undo_.inserted.size())
        return {true, undo_.pos, undo_.removed, undo_.inserted + s};
    if (goesOn && kind == EditKind::Deleting && s.empty() && undo_.inserted.empty()) {
        if (b == undo_.pos)  // Backspace
            return {true, a, layout_.Substr(a, b - a) + undo_.removed, L""};
        if (a == undo_.pos)  // Del
            return {true, a, undo_.removed + layout_.Substr(a, b - a), L""};
    }
    return {true, a, layout_.Substr(a, b - a), s};
}

bool TextView::Undo() {
    if (!undo_.valid) return false;
    const size_t caret = caret_, anchor = anchor_;
    anchor_ = undo_.pos;
    caret_ = undo_.pos + undo_.inserted.size();
    if (!ReplaceSelection(undo_.removed, EditKind::Undo)) {
        caret_ = caret;
        anchor_ = anchor;
        return false;
    }
    undo_.removed.swap(undo_.inserted);
    return true;
}

void TextView::SetText(const std::wstring& s) {
    layout_.SetText(s);
    undo_ = UndoStep();
    caret_ = anchor_ = 0;
    top_ = 0;
    MarkDirty();
    TextChanged();
    Notify(EN_CHANGE);
}

bool TextView::CopyToClipboard() {
    if (!HasSelection()) return false;
    return Rt().SetClipboardText(hwnd_, layout_.Substr(SelStart(), SelEnd() - SelStart()));
}

void TextView::Cut() {
    if (readOnly_ || !CopyToClipboard()) return;
    ReplaceSelection(L"", EditKind::Other);
    AfterUserMove();
}

void TextView::Paste() {
    if (readOnly_) return;
    std::wstring s = ClipboardText().value_or(L"");
    if (s.empty()) return;
    ReplaceSelection(s, EditKind::Other);
    AfterUserMove();
}

void TextView::SelectAll() {
    Select(0, layout_.Size());
    AfterUserMove();
}

void TextView::OnChar(wchar_t ch) {
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (ch) {
        case 1:  // Ctrl+A
            SelectAll();
            return;
        case 3:  // Ctrl+C
            CopyToClipboard();
            return;
        case 22:  // Ctrl+V
            Paste();
            return;
        case 24:  // Ctrl+X
            Cut();
            return;
    }
    if (readOnly_) return;
    if (ch == 26) {  // Ctrl+Z
        Undo();
    } else if (ch == 8) {
        if (!HasSelection()) anchor_ = layout_.Prev(caret_);
        ReplaceSelection(L"", EditKind::Deleting);
    } else if (ch == 127) {  // Ctrl+Backspace: the word before the caret
        if (!HasSelection()) anchor_ = layout_.PrevWord(caret_);
        ReplaceSelection(L"", EditKind::Other);
    } else if (ch == 13) {
        ReplaceSelection(L"\r\n", EditKind::Typing);
    } else if (ch == 10 || ch == 27 || (ch < 32 && ch != 9) || ctrl) {
        return;
    } else {
        ReplaceSelection(std::wstring(1, ch), EditKind::Typing);
    }
    AfterUserMove();
}

void TextView::OnKeyDown(WPARAM vk) {
    const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    const size_t row = layout_.RowOf(caret_);
    const size_t vis = static_cast<size_t>(VisibleRows());
    size_t to = caret_;
    bool vertical = false;
    switch (vk) {
        case VK_LEFT:
            if (ctrl) {
                to = layout_.PrevWord(caret_);
            } else {
                to = (!shift && HasSelection()) ? SelStart() : layout_.Prev(caret_);
            }
            break;
        case VK_RIGHT:
            if (ctrl) {
                to = layout_.NextWord(caret_);
            } else {
                to = (!shift && HasSelection()) ? SelEnd() : layout_.Next(caret_);
            }
            break;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT: {
            if (preferredX_ < 0) preferredX_ = layout_.XOf(caret_);
            const bool line = vk == VK_UP || vk == VK_DOWN;
            const size_t step = line ? 1 : std::max<size_t>(vis - 1, 1);
            const bool up = vk == VK_UP || vk == VK_PRIOR;
            const size_t target =
                up ? (row > step ? row - step : 0) : std::min(row + step, LastRow());
            // A page moves the view by as much as the caret, where there is room.
            if (!line)
                top_ = up ? (top_ > step ? top_ - step : 0) : std::min(top_ + step, MaxTop());
            to = layout_.PosInRow(target, preferredX_);
            vertical = true;
            break;
        }
        case VK_HOME:
            to = ctrl ? 0 : layout_.RowStart(row);
            break;
        case VK_END:
            to = ctrl ? layout_.Size() : layout_.RowCaretEnd(row);
            break;
        case VK_DELETE:
            if (readOnly_) return;
            if (shift) {  // Shift+Del cuts
                Cut();
                return;
            }
            if (!HasSelection()) anchor_ = layout_.Next(caret_);
            ReplaceSelection(L"", EditKind::Deleting);
            AfterUserMove();
            return;
        case VK_INSERT:
            if (ctrl) CopyToClipboard();
            if (shift) Paste();
            return;
        case VK_APPS:
            ShowContextMenu(-1, -1);
            return;
        case VK_F10:
            if (shift) ShowContextMenu(-1, -1);
            return;
        default:
            return;
    }
    caret_ = layout_.Normalize(to);
    if (!shift) anchor_ = caret_;
    runKind_ = EditKind::Other;
    AfterUserMove(vertical);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// The commands are the messages that carry them out; Select All is EM_SETSEL.
std::vector<TextMenuItem> TextView::MenuItems() const {
    const bool sel = HasSelection(), any = layout_.Size() > 0;
    std::vector<TextMenuItem> items;
    if (readOnly_) {
        items = {{WM_COPY, sel}, {0, false}, {EM_SETSEL, any}};
    } else {
        const bool paste = IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
        items = {{WM_UNDO, undo_.valid}, {0, false},      {WM_CUT, sel}, {WM_COPY, sel},
                 {WM_PASTE, paste},      {WM_CLEAR, sel}, {0, false},    {EM_SETSEL, any}};
    }
    if (!commands_.empty()) items.push_back({0, false});
    for (size_t i = 0; i < commands_.size(); ++i)
        items.push_back({kTextViewCommand + static_cast<UINT>(i), true});
    return items;
}

void TextView::ShowContextMenu(int x, int y) {
    SetFocus(hwnd_);
    if (x == -1 && y == -1) {
        ApplyPending();
        POINT p = CaretPoint();
        p.y += LineHeight();
        ClientToScreen(hwnd_, &p);
        x = p.x;
        y = p.y;
    }
    static const std::pair<UINT, const wchar_t*> kLabels[] = {
        {WM_UNDO, L"&Undo"},   {WM_CUT, L"Cu&t"},      {WM_COPY, L"&Copy"},
        {WM_PASTE, L"&Paste"}, {WM_CLEAR, L"&Delete"}, {EM_SETSEL, L"Select &All"},
    };
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (const TextMenuItem& item : MenuItems()) {
        if (item.command == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT state = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED);
        for (const auto& label : kLabels)
            if (label.first == item.command) AppendMenuW(menu, state, item.command, label.second);
        if (item.command >= kTextViewCommand && item.command - kTextViewCommand < commands_.size())
            AppendMenuW(menu, state, item.command,
                        commands_[item.command - kTextViewCommand].c_str());
    }
    HWND self = hwnd_;
    UINT cmd = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, self, nullptr));
    DestroyMenu(menu);
    // The box may be gone when the menu ends (its form unloaded meanwhile), and this with it.
    if (cmd == 0 || !IsWindow(self)) return;
    if (cmd >= kTextViewCommand) {
        Notify(static_cast<WORD>(cmd));  // the owner's command, carried out by the owner
        return;
    }
    if (cmd == EM_SETSEL)
        SelectAll();
    else
        SendMessageW(self, cmd, 0, 0);
    InvalidateRect(self, nullptr, FALSE);
}

}  // namespace ui::kit
