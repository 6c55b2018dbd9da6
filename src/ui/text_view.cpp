// The transcript text box: the window side of a TextLayout. The layout keeps the text and its
// rows; this file keeps the caret and selection, the scroll position, the undo step, the
// keyboard, the mouse and the context menu, and paints. Character widths come from a per-font
// cache, so wrapping never asks GDI to measure the text itself. Work that depends on the window
// (scroll bar, caret, scrolling into view) waits for the next WM_PAINT, so a burst of appends
// costs one repaint.
#include "ui/text_view.h"

#include "ui/clipboard.h"
#include "ui/error_modes.h"
#include "ui/runtime.h"
#include "ui/text_layout.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ui {
namespace {

const wchar_t kClass[] = L"DorvaneText";

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

private:
    // ---- geometry ----
    int VisibleRows() const {
        RECT r;
        GetClientRect(hwnd_, &r);
        return std::max(1, static_cast<int>((r.bottom - r.top - 2 * kTopMargin) / LineHeight()));
    }
    int LineHeight() const { return widths_.LineHeight(); }
    size_t LastRow() const { return layout_.RowCount() - 1; }
    size_t MaxTop() const {
        size_t vis = static_cast<size_t>(VisibleRows());
        return layout_.RowCount() > vis ? layout_.RowCount() - vis : 0;
    }
    size_t HitTest(int x, int y) const {
        long long row = static_cast<long long>(top_) + (y - kTopMargin) / LineHeight();
        if (y < kTopMargin) row = static_cast<long long>(top_) - 1;
        row = std::max(0LL, std::min(row, static_cast<long long>(LastRow())));
        return layout_.PosInRow(static_cast<size_t>(row), x - margin_);
    }
    POINT CaretPoint() const {
        long long y = kTopMargin + (static_cast<long long>(layout_.RowOf(caret_)) -
                                    static_cast<long long>(top_)) *
                                       LineHeight();
        if (y < -LineHeight() || y > 30000) y = -LineHeight() * 2;  // out of view
        return {margin_ + layout_.XOf(caret_), static_cast<int>(y)};
    }

    // ---- refresh ----
    void MarkDirty() {
        if (!dirty_) {
            dirty_ = true;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
    }
    void ScrollCaretIntoView() {
        size_t row = layout_.RowOf(caret_);
        size_t vis = static_cast<size_t>(VisibleRows());
        if (row < top_) top_ = row;
        if (row >= top_ + vis) top_ = row - vis + 1;
    }
    void ApplyPending() {
        if (!dirty_) return;
        dirty_ = false;
        if (scrollToCaret_) ScrollCaretIntoView();
        scrollToCaret_ = false;
        UpdateScrollBar();
        PlaceCaret();
    }
    void UpdateScrollBar() {
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
        si.nMin = 0;
        si.nMax = static_cast<int>(std::min<size_t>(LastRow(), 0x7FFFFFFF));
        si.nPage = static_cast<UINT>(VisibleRows());
        si.nPos = static_cast<int>(top_);
        SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
    }
    void PlaceCaret() {
        if (!focused_) return;
        POINT p = CaretPoint();
        SetCaretPos(p.x, p.y);
    }
    // After a user action: show the result at once.
    void AfterUserMove(bool keepPreferredX = false) {
        if (!keepPreferredX) preferredX_ = -1;
        scrollToCaret_ = true;
        dirty_ = false;
        MarkDirty();
    }

    void Notify(WORD code) {
        HWND parent = GetParent(hwnd_);
        if (parent)
            SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), code),
                         reinterpret_cast<LPARAM>(hwnd_));
    }

    // ---- editing ----
    size_t SelStart() const { return std::min(caret_, anchor_); }
    size_t SelEnd() const { return std::max(caret_, anchor_); }
    bool HasSelection() const { return caret_ != anchor_; }
    void Select(size_t anchor, size_t caret) {
        anchor_ = layout_.Normalize(anchor);
        caret_ = layout_.Normalize(caret);
        runKind_ = EditKind::Other;  // a moved caret starts a new undo step
    }

    // Replaces the selection with s, whole or not at all: a text that would pass the box's
    // limit, or that memory cannot hold, leaves the box (and its undo step) as it was and says
    // so (EN_MAXTEXT), as the system's edit control does at its limit.
    bool ReplaceSelection(const std::wstring& s, EditKind kind) {
        const size_t a = SelStart(), b = SelEnd();
        if (a == b && s.empty()) return true;  // Backspace at the start, and the like
        const size_t after = layout_.Size() - (b - a);
        const bool fits = s.size() <= static_cast<size_t>(limit_) &&
                          after <= static_cast<size_t>(limit_) - s.size();
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
        Notify(EN_CHANGE);
        return true;
    }

    // What undo keeps: only what the last edit took out and put in, and where. Typing or
    // deleting that carries on where the last step of its kind ended joins that step.
    struct UndoStep {
        bool valid = false;
        size_t pos = 0;
        std::wstring removed, inserted;
    };
    UndoStep NextUndoStep(size_t a, size_t b, const std::wstring& s, EditKind kind) const {
        const std::wstring& text = layout_.Text();
        const bool goesOn = undo_.valid && kind == runKind_;
        if (goesOn && kind == EditKind::Typing && a == b && a == undo_.pos + undo_.inserted.size())
            return {true, undo_.pos, undo_.removed, undo_.inserted + s};
        if (goesOn && kind == EditKind::Deleting && s.empty() && undo_.inserted.empty()) {
            if (b == undo_.pos)  // Backspace
                return {true, a, text.substr(a, b - a) + undo_.removed, L""};
            if (a == undo_.pos)  // Del
                return {true, a, undo_.removed + text.substr(a, b - a), L""};
        }
        return {true, a, text.substr(a, b - a), s};
    }
    // Puts back what the last edit replaced; a second undo redoes it.
    bool Undo() {
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

    void SetText(const std::wstring& s) {
        layout_.SetText(s);
        undo_ = UndoStep();
        caret_ = anchor_ = 0;
        top_ = 0;
        MarkDirty();
        Notify(EN_CHANGE);
    }

    void SetFont(HFONT font) {
        font_ = font;
        widths_.SetFont(font);
        UpdateWrapWidth();
    }
    void UpdateWrapWidth() {
        RECT r;
        GetClientRect(hwnd_, &r);
        const int avg = widths_.AvgWidth();
        margin_ = std::max(1, avg / 3);
        layout_.SetWrapWidth(std::max(static_cast<int>(r.right - r.left) - 2 * margin_, avg));
        top_ = std::min(top_, LastRow());
        MarkDirty();
    }

    // True only once the clipboard holds the selection: a cut removes nothing before that.
    bool CopyToClipboard() {
        if (!HasSelection()) return false;
        return Rt().SetClipboardText(hwnd_,
                                     layout_.Text().substr(SelStart(), SelEnd() - SelStart()));
    }
    void Cut() {
        if (readOnly_ || !CopyToClipboard()) return;
        ReplaceSelection(L"", EditKind::Other);
        AfterUserMove();
    }
    void Paste() {
        if (readOnly_) return;
        std::wstring s = ClipboardText().value_or(L"");
        if (s.empty()) return;
        ReplaceSelection(s, EditKind::Other);
        AfterUserMove();
    }
    void SelectAll() {
        Select(0, layout_.Size());
        AfterUserMove();
    }

    void OnChar(wchar_t ch) {
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

    void OnKeyDown(WPARAM vk) {
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

    // The menu opens at the pointer, or below the caret when the keyboard asked (x, y = -1).
    void ShowContextMenu(int x, int y);

    void ScrollTo(long long row) {
        row = std::max(0LL, std::min(row, static_cast<long long>(MaxTop())));
        if (static_cast<size_t>(row) == top_) return;
        top_ = static_cast<size_t>(row);
        dirty_ = false;
        MarkDirty();
    }

    void Paint();

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
    EditKind runKind_ = EditKind::Other;  // the kind of the last edit, while the caret stays
    static constexpr int kTopMargin = 1;
};

// The commands are the messages that carry them out; Select All is EM_SETSEL.
std::vector<TextMenuItem> TextView::MenuItems() const {
    const bool sel = HasSelection(), any = layout_.Size() > 0;
    if (readOnly_) return {{WM_COPY, sel}, {0, false}, {EM_SETSEL, any}};
    const bool paste = IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
    return {{WM_UNDO, undo_.valid}, {0, false},      {WM_CUT, sel}, {WM_COPY, sel},
            {WM_PASTE, paste},      {WM_CLEAR, sel}, {0, false},    {EM_SETSEL, any}};
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
        for (const auto& label : kLabels)
            if (label.first == item.command)
                AppendMenuW(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), item.command,
                            label.second);
    }
    HWND self = hwnd_;
    UINT cmd = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, self, nullptr));
    DestroyMenu(menu);
    // The box may be gone when the menu ends (its form unloaded meanwhile), and this with it.
    if (cmd == 0 || !IsWindow(self)) return;
    if (cmd == EM_SETSEL)
        SelectAll();
    else
        SendMessageW(self, cmd, 0, 0);
    InvalidateRect(self, nullptr, FALSE);
}

void TextView::Paint() {
    ApplyPending();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT cr;
    GetClientRect(hwnd_, &cr);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, std::max(1L, cr.right), std::max(1L, cr.bottom));
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    HGDIOBJ oldFont = SelectObject(mem, font_);
    // The parent chooses the colours, as it does for an edit control.
    SetTextColor(mem, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(mem, GetSysColor(COLOR_WINDOW));
    HWND parent = GetParent(hwnd_);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, readOnly_ ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                     reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(hwnd_)));
    if (!brush) brush = GetSysColorBrush(COLOR_WINDOW);
    FillRect(mem, &cr, brush);
    COLORREF fore = GetTextColor(mem);
    SetBkMode(mem, TRANSPARENT);

    const std::wstring& text = layout_.Text();
    const int lineHeight = LineHeight();
    size_t selA = SelStart(), selB = SelEnd();
    bool showSel = selA != selB;
    HBRUSH selBrush = GetSysColorBrush(COLOR_HIGHLIGHT);
    COLORREF selFore = GetSysColor(COLOR_HIGHLIGHTTEXT);
    int vis = VisibleRows() + 1;
    for (int i = 0; i < vis; ++i) {
        size_t row = top_ + static_cast<size_t>(i);
        if (row >= layout_.RowCount()) break;
        int y = kTopMargin + i * lineHeight;
        size_t s = layout_.RowStart(row), e = layout_.RowContentEnd(row);
        int x = margin_;
        // Drawn in runs split at tabs and at the selection's edges.
        size_t p = s;
        while (p < e) {
            bool inSel = showSel && p >= selA && p < selB;
            size_t stop = e;
            if (showSel) {
                if (p < selA && selA < stop) stop = selA;
                if (p < selB && selB < stop) stop = selB;
            }
            size_t tab = text.find(L'\t', p);
            if (tab != std::wstring::npos && tab < stop) stop = tab == p ? p + 1 : tab;
            int w = 0;
            for (size_t k = p; k < stop; ++k) w += layout_.Width(text[k]);
            if (inSel) {
                RECT sr = {x, y, x + w, y + lineHeight};
                FillRect(mem, &sr, selBrush);
            }
            if (text[p] != L'\t') {
                SetTextColor(mem, inSel ? selFore : fore);
                TextOutW(mem, x, y, text.c_str() + p, static_cast<int>(stop - p));
            }
            x += w;
            p = stop;
        }
        // A selected line break shows as a small block, as edit controls do.
        if (showSel && e < layout_.RowEnd(row) && e >= selA && e < selB) {
            RECT sr = {x, y, x + widths_.AvgWidth() / 2 + 1, y + lineHeight};
            FillRect(mem, &sr, selBrush);
        }
    }
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(hwnd_, &ps);
}

LRESULT TextView::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SETTEXT:
            SetText(lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
            return TRUE;
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(layout_.Size());
        case WM_GETTEXT: {
            if (wp == 0 || !lp) return 0;
            const std::wstring& text = layout_.Text();
            size_t n = std::min(text.size(), static_cast<size_t>(wp) - 1);
            auto* out = reinterpret_cast<wchar_t*>(lp);
            std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), out);
            out[n] = 0;
            return static_cast<LRESULT>(n);
        }
        case EM_GETSEL: {
            auto a = static_cast<DWORD>(SelStart()), b = static_cast<DWORD>(SelEnd());
            if (wp) *reinterpret_cast<DWORD*>(wp) = a;
            if (lp) *reinterpret_cast<DWORD*>(lp) = b;
            return MAKELRESULT(std::min<DWORD>(a, 0xFFFF), std::min<DWORD>(b, 0xFFFF));
        }
        case EM_SETSEL: {
            long long a = static_cast<int>(wp), b = static_cast<int>(lp);
            if (a < 0) {  // -1 removes the selection
                Select(caret_, caret_);
            } else {
                if (b < 0) b = static_cast<long long>(layout_.Size());
                Select(static_cast<size_t>(a), static_cast<size_t>(b));
            }
            preferredX_ = -1;
            MarkDirty();
            return 0;
        }
        case EM_REPLACESEL:
            // wp says whether the program's replacement may be undone; console output may not.
            ReplaceSelection(lp ? reinterpret_cast<const wchar_t*>(lp) : L"",
                             wp ? EditKind::Other : EditKind::Program);
            return 0;
        case EM_CANUNDO:
            return undo_.valid ? TRUE : FALSE;
        case EM_UNDO:
        case WM_UNDO:
            if (!Undo()) return FALSE;
            AfterUserMove();
            return TRUE;
        case EM_EMPTYUNDOBUFFER:
            undo_ = UndoStep();
            return 0;
        case EM_SCROLLCARET:
            scrollToCaret_ = true;
            MarkDirty();
            return TRUE;
        case EM_GETLINECOUNT:
            return static_cast<LRESULT>(layout_.RowCount());
        case EM_GETFIRSTVISIBLELINE:
            if (scrollToCaret_) ScrollCaretIntoView();
            scrollToCaret_ = false;
            return static_cast<LRESULT>(top_);
        case EM_LINESCROLL:
            ScrollTo(static_cast<long long>(top_) + static_cast<int>(lp));
            return TRUE;
        case EM_SETLIMITTEXT:
            limit_ = Capacity(wp);
            return 0;
        case EM_GETLIMITTEXT:
            return limit_;
        case EM_SETREADONLY:
            readOnly_ = wp != 0;
            InvalidateRect(hwnd_, nullptr, FALSE);
            return TRUE;
        case WM_SETFONT:
            SetFont(wp ? reinterpret_cast<HFONT>(wp)
                       : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
            if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_SIZE:
            UpdateWrapWidth();
            return 0;
        case WM_COPY:
            CopyToClipboard();
            return 0;
        case WM_CUT:
            Cut();
            return 0;
        case WM_PASTE:
            Paste();
            return 0;
        case WM_CLEAR:
            if (!readOnly_) ReplaceSelection(L"", EditKind::Other);
            return 0;
        case WM_CHAR:
            OnChar(static_cast<wchar_t>(wp));
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wp);
            return 0;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_KEYUP:
            // Shift+F10 and the menu key open the context menu on their way down, so their
            // way up must not open it again (nor F10 start menu mode).
            if (wp == VK_APPS || (wp == VK_F10 && GetKeyState(VK_SHIFT) < 0)) {
                if (msg == WM_SYSKEYDOWN) ShowContextMenu(-1, -1);
                return 0;
            }
            break;
        case WM_CONTEXTMENU: {
            int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
            if (x != -1 || y != -1) {
                // Over the scroll bar, the system's scroll menu.
                POINT p = {x, y};
                ScreenToClient(hwnd_, &p);
                RECT cr;
                GetClientRect(hwnd_, &cr);
                if (!PtInRect(&cr, p)) break;
            }
            ShowContextMenu(x, y);
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        case WM_SETFOCUS:
            focused_ = true;
            CreateCaret(hwnd_, nullptr, 1, LineHeight());
            dirty_ = false;
            MarkDirty();
            ShowCaret(hwnd_);
            InvalidateRect(hwnd_, nullptr, FALSE);
            Notify(EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            focused_ = false;
            DestroyCaret();
            InvalidateRect(hwnd_, nullptr, FALSE);
            Notify(EN_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd_);
            SetCapture(hwnd_);
            dragging_ = true;
            size_t at = HitTest(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
            Select((wp & MK_SHIFT) ? anchor_ : at, at);
            AfterUserMove();
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        }
        case WM_LBUTTONDBLCLK: {
            auto word = layout_.WordAt(
                HitTest(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))));
            Select(word.first, word.second);
            AfterUserMove();
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (dragging_ && (wp & MK_LBUTTON)) {
                Select(anchor_,
                       HitTest(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))));
                AfterUserMove();
                InvalidateRect(hwnd_, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (dragging_) {
                dragging_ = false;
                if (GetCapture() == hwnd_) ReleaseCapture();
            }
            return 0;
        case WM_MOUSEWHEEL: {
            wheel_ += GET_WHEEL_DELTA_WPARAM(wp);
            int notches = wheel_ / WHEEL_DELTA;
            wheel_ -= notches * WHEEL_DELTA;
            UINT lines = 3;
            SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
            long long step = lines == WHEEL_PAGESCROLL ? std::max(1, VisibleRows() - 1)
                                                       : static_cast<long long>(lines);
            ScrollTo(static_cast<long long>(top_) - step * notches);
            return 0;
        }
        case WM_VSCROLL: {
            long long row = static_cast<long long>(top_);
            int page = std::max(1, VisibleRows() - 1);
            switch (LOWORD(wp)) {
                case SB_LINEUP:
                    row -= 1;
                    break;
                case SB_LINEDOWN:
                    row += 1;
                    break;
                case SB_PAGEUP:
                    row -= page;
                    break;
                case SB_PAGEDOWN:
                    row += page;
                    break;
                case SB_TOP:
                    row = 0;
                    break;
                case SB_BOTTOM:
                    row = static_cast<long long>(layout_.RowCount());
                    break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION: {
                    SCROLLINFO si = {};
                    si.cbSize = sizeof si;
                    si.fMask = SIF_TRACKPOS;
                    GetScrollInfo(hwnd_, SB_VERT, &si);
                    row = si.nTrackPos;
                    break;
                }
            }
            ScrollTo(row);
            return 0;
        }
        case WM_SETCURSOR:
            if (LOWORD(lp) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SHOWWINDOW:
            if (wp) MarkDirty();
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

TextView* ViewOf(HWND hwnd) {
    wchar_t cls[32] = {};
    if (!hwnd || !GetClassNameW(hwnd, cls, 32) || std::wstring(cls) != kClass) return nullptr;
    return reinterpret_cast<TextView*>(GetWindowLongPtrW(hwnd, 0));
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // A message that fails leaves the box as it was before it.
    return AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        auto* view = reinterpret_cast<TextView*>(GetWindowLongPtrW(hwnd, 0));
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            // No window without its text (a failure here answers FALSE, 0).
            view = new TextView(hwnd, static_cast<DWORD>(cs->style));
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(view));
            if (cs->lpszName)
                ResumeNext(
                    [&] { view->Handle(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(cs->lpszName)); });
            return DefWindowProcW(hwnd, msg, wp, lp);
        }
        if (!view) return DefWindowProcW(hwnd, msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, 0, 0);
            delete view;
            return DefWindowProcW(hwnd, msg, wp, lp);
        }
        return view->Handle(msg, wp, lp);
    });
}

}  // namespace

const wchar_t* TextViewClass() { return kClass; }

void RegisterTextView() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(inst, kClass, &wc)) return;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
}

std::vector<TextMenuItem> TextViewMenu(HWND box) {
    TextView* view = ViewOf(box);
    return view ? view->MenuItems() : std::vector<TextMenuItem>();
}

}  // namespace ui
