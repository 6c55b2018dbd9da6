// The text view's object, shared by the files that make it up: text_view.cpp (its window and
// messages), text_view_edit.cpp (its editing commands) and text_view_paint.cpp (its geometry,
// scrolling, caret and painting). The layout keeps the text and its rows; this object keeps
// the caret and selection, the scroll position and the undo step. Character widths come from
// a per-font cache, so wrapping never asks GDI to measure the text itself. Work that depends
// on the window (scroll bar, caret, scrolling into view) waits for the next WM_PAINT, so a
// burst of appends costs one repaint. Not for the program: forms and tools use text_view.h.
#pragma once
#include <windows.h>

#include "ui/text/text_layout.h"
#include "ui/text/text_view.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace ui::kit {

// The widths of one font, measured a page of 256 characters at a time.
class FontWidths : public CharWidths {
public:
    FontWidths() : dc_(CreateCompatibleDC(nullptr)) {}
    ~FontWidths() override { DeleteDC(dc_); }
    FontWidths(const FontWidths&) = delete;
    FontWidths& operator=(const FontWidths&) = delete;

    void SetFont(HFONT font) {
        SelectObject(dc_, font);
        TEXTMETRICW tm;
        GetTextMetricsW(dc_, &tm);
        lineHeight_ = std::max(1, static_cast<int>(tm.tmHeight + tm.tmExternalLeading));
        avgWidth_ = std::max(1, static_cast<int>(tm.tmAveCharWidth));
        for (auto& p : pages_) p.reset();
        tabWidth_ = Width(L' ') * 8;
    }
    int Width(wchar_t c) const override {
        if (c == L'\t') return tabWidth_;
        auto& page = pages_[c >> 8];
        if (!page) {
            page = std::make_unique<int[]>(256);
            UINT first = static_cast<UINT>(c & 0xFF00);
            if (!GetCharWidth32W(dc_, first, first + 255, page.get()))
                std::fill(page.get(), page.get() + 256, avgWidth_);
        }
        return page[c & 0xFF];
    }
    int LineHeight() const { return lineHeight_; }
    int AvgWidth() const { return avgWidth_; }

private:
    HDC dc_;
    int lineHeight_ = 16, avgWidth_ = 7, tabWidth_ = 56;
    mutable std::array<std::unique_ptr<int[]>, 256> pages_;
};

// How an edit came about, which decides what undo keeps of it.
enum class EditKind {
    Program,   // the program's own text: not undoable, and nothing before it is either
    Typing,    // typed characters: a run of them is undone as one
    Deleting,  // Backspace and Del: a run of them is undone as one
    Other,     // paste, cut, clear, a word deleted: undone alone
    Undo,      // undo itself: the step stays, turned round
};

class TextView {
public:
    TextView(HWND hwnd, DWORD style)
        : hwnd_(hwnd), readOnly_((style & ES_READONLY) != 0), layout_(widths_) {
        SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    }

    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    std::vector<TextMenuItem> MenuItems() const;
    void SetCommands(const std::vector<std::wstring>& labels) { commands_ = labels; }
    bool Read(size_t a, size_t n, wchar_t* out) const {
        if (a > layout_.Size() || n > layout_.Size() - a) return false;
        layout_.CopyTo(a, n, out);
        return true;
    }
    bool Visit(size_t a, size_t n, const TextPieceVisitor& visit) const {
        if (a > layout_.Size() || n > layout_.Size() - a) return false;
        layout_.ForEachPiece(a, n, visit);
        return true;
    }

private:
    // What undo keeps: only what the last edit took out and put in, and where. Typing or
    // deleting that carries on where the last step of its kind ended joins that step.
    struct UndoStep {
        bool valid = false;
        size_t pos = 0;
        std::wstring removed, inserted;
    };

    // ---- geometry and refresh (text_view_paint.cpp) ----
    int LineHeight() const { return widths_.LineHeight(); }
    size_t LastRow() const { return layout_.RowCount() - 1; }
    void MarkDirty() {
        if (!dirty_) {
            dirty_ = true;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
    }
    int VisibleRows() const;
    size_t MaxTop() const;
    size_t HitTest(int x, int y) const;
    POINT CaretPoint() const;
    void ScrollCaretIntoView();
    void ApplyPending();
    void UpdateScrollBar();
    void PlaceCaret();
    // After a user action: show the result at once.
    void AfterUserMove(bool keepPreferredX = false);
    void SetFont(HFONT font);
    void UpdateWrapWidth();
    void ScrollTo(long long row);
    void Paint();

    // ---- editing (text_view_edit.cpp) ----
    size_t SelStart() const { return std::min(caret_, anchor_); }
    size_t SelEnd() const { return std::max(caret_, anchor_); }
    bool HasSelection() const { return caret_ != anchor_; }
    void Select(size_t anchor, size_t caret);
    // Replaces the selection with s, whole or not at all: a text that would pass the box's
    // limit, or that memory cannot hold, leaves the box (and its undo step) as it was and says
    // so (EN_MAXTEXT), as the system's edit control does at its limit.
    bool ReplaceSelection(const std::wstring& s, EditKind kind);
    UndoStep NextUndoStep(size_t a, size_t b, const std::wstring& s, EditKind kind) const;
    // Puts back what the last edit replaced; a second undo redoes it.
    bool Undo();
    void SetText(const std::wstring& s);
    // True only once the clipboard holds the selection: a cut removes nothing before that.
    bool CopyToClipboard();
    void Cut();
    void Paste();
    void SelectAll();
    void OnChar(wchar_t ch);
    void OnKeyDown(WPARAM vk);
    // The menu opens at the pointer, or below the caret when the keyboard asked (x, y = -1).
    void ShowContextMenu(int x, int y);

    // ---- window (text_view.cpp) ----
    void Notify(WORD code);

    // ---- what readers get (text_view_access.cpp) ----
    // The edit messages readers send, the accessible object and the event timer; false for
    // any other message.
    bool HandleReading(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // An edit changed the text: the value change goes out with the next events.
    void TextChanged();
    // The win events due since the last ones; late: the timer's, never held back.
    void RaiseEvents(bool late = false);
    size_t LineOf(WPARAM index) const;
    size_t LineLength(size_t row) const;

    HWND hwnd_;
    bool readOnly_;
    FontWidths widths_;
    TextLayout layout_;
    size_t top_ = 0, caret_ = 0, anchor_ = 0;
    bool focused_ = false, dragging_ = false, dirty_ = false, scrollToCaret_ = false;
    int preferredX_ = -1, wheel_ = 0;
    HFONT font_ = nullptr;
    int margin_ = 2;
    // The standard box's limit, but never more than a string of this build can hold (a
    // 32-bit build's largest text is a quarter of it): past that the box is full.
    static LRESULT Capacity(WPARAM asked) {
        const size_t most = std::wstring().max_size();
        const size_t want = asked ? static_cast<size_t>(asked) : 0x7FFFFFFE;
        return static_cast<LRESULT>(std::min(want, most));
    }
    LRESULT limit_ = Capacity(0);
    UndoStep undo_;
    std::vector<std::wstring> commands_;  // the owner's, below the standard menu items
    EditKind runKind_ = EditKind::Other;  // the kind of the last edit, while the caret stays
    // What readers were last told, and whether more is due.
    bool valueDue_ = false, userMoved_ = false, eventTimer_ = false;
    DWORD lastEvents_ = 0;
    size_t reportedCaret_ = 0, reportedAnchor_ = 0;
    POINT reportedCaretAt_ = {-1, -1};
    static constexpr int kTopMargin = 0;  // the first row at the top, as in an edit control
};

}  // namespace ui::kit
