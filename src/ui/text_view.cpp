// The transcript text box. The text is one wide string; the visual rows are kept as a sorted
// list of start offsets. An edit re-wraps only the paragraph it touches and shifts the rows
// after it; an append at the end re-wraps only from the last row. Character widths come from
// a per-font cache, so wrapping never asks GDI to measure the text itself. Work that depends
// on the window (scroll bar, caret, scrolling into view) waits for the next WM_PAINT, so a
// burst of appends costs one repaint.
#include "ui/text_view.h"

#include "ui/runtime.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace ui {
namespace {

const wchar_t kClass[] = L"DorvaneText";
constexpr size_t kNone = static_cast<size_t>(-1);

class TextView {
public:
    TextView(HWND hwnd, DWORD style)
        : hwnd_(hwnd), readOnly_((style & ES_READONLY) != 0), measure_(CreateCompatibleDC(nullptr)) {
        SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    }
    ~TextView() { DeleteDC(measure_); }

    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

private:
    // ---- layout ----
    int Width(wchar_t c) {
        if (c == L'\r' || c == L'\n') return 0;
        if (c == L'\t') return tabWidth_;
        auto& page = pages_[c >> 8];
        if (!page) {
            page = std::make_unique<int[]>(256);
            UINT first = static_cast<UINT>(c & 0xFF00);
            if (!GetCharWidth32W(measure_, first, first + 255, page.get()))
                std::fill(page.get(), page.get() + 256, avgWidth_);
        }
        return page[c & 0xFF];
    }

    // The end of the row that starts at r within content that ends at c: the longest run of
    // characters that fits, broken after the last blank when there is one.
    size_t FitBreak(size_t r, size_t c) {
        int w = 0;
        size_t lastBlankEnd = kNone;
        for (size_t i = r; i < c; ++i) {
            wchar_t ch = text_[i];
            if (ch == L' ') {  // blanks hang past the margin, as in an edit control
                w += Width(ch);
                lastBlankEnd = i + 1;
                continue;
            }
            w += Width(ch);
            if (w > wrapWidth_ && i > r) return lastBlankEnd != kNone ? lastBlankEnd : i;
        }
        return c;
    }

    // Appends to out the starts of the rows from p (a row start) up to end (the text's end or
    // a paragraph start).
    void WrapRange(size_t p, size_t end, std::vector<size_t>& out) {
        const size_t n = text_.size();
        while (p < end) {
            size_t q = text_.find(L'\n', p);
            if (q == std::wstring::npos) q = n;
            size_t r = p;
            out.push_back(r);
            for (;;) {
                size_t b = FitBreak(r, q);
                if (b >= q) break;
                r = b;
                out.push_back(r);
            }
            p = q == n ? n : q + 1;
        }
        if (end == n && (n == 0 || text_[n - 1] == L'\n')) out.push_back(n);
    }

    void RewrapAll() {
        rows_.clear();
        WrapRange(0, text_.size(), rows_);
        top_ = std::min(top_, rows_.size() - 1);
    }

    size_t RowOf(size_t pos) const {
        auto it = std::upper_bound(rows_.begin(), rows_.end(), pos);
        return it == rows_.begin() ? 0 : static_cast<size_t>(it - rows_.begin()) - 1;
    }
    bool StartsParagraph(size_t rowStart) const {
        return rowStart == 0 || text_[rowStart - 1] == L'\n';
    }
    size_t RowEnd(size_t row) const {
        return row + 1 < rows_.size() ? rows_[row + 1] : text_.size();
    }
    // The drawable end of a row: before its line break.
    size_t RowContentEnd(size_t row) const {
        size_t e = RowEnd(row);
        size_t s = rows_[row];
        if (e > s && text_[e - 1] == L'\n') --e;
        if (e > s && text_[e - 1] == L'\r') --e;
        return e;
    }

    // Replaces [a, b) with s and re-wraps what that can change.
    void Replace(size_t a, size_t b, const std::wstring& s) {
        const size_t n = text_.size();
        a = std::min(a, n);
        b = std::min(std::max(a, b), n);
        if (a == n && b == n) {  // the common case: output appended at the end
            if (s.empty()) return;
            const size_t rowCount = rows_.size();
            const size_t from = rows_.back();
            text_ += s;  // leaves the text as it was when it throws
            rows_.pop_back();
            try {
                WrapRange(from, text_.size(), rows_);
            } catch (...) {
                // Back to the text and rows before the append; neither step allocates.
                text_.resize(n);
                rows_.resize(rowCount - 1);
                rows_.push_back(from);
                throw;
            }
            return;
        }
        size_t row = RowOf(a);
        while (row > 0 && !StartsParagraph(rows_[row])) --row;
        size_t oldTail = text_.find(L'\n', b);
        oldTail = oldTail == std::wstring::npos ? kNone : oldTail + 1;
        const std::wstring removed = text_.substr(a, b - a);
        text_.replace(a, b - a, s);
        long long delta = static_cast<long long>(s.size()) - static_cast<long long>(b - a);

        std::vector<size_t> next;
        try {
            next.assign(rows_.begin(), rows_.begin() + static_cast<long>(row));
            size_t from = rows_[row];
            if (oldTail == kNone) {
                WrapRange(from, text_.size(), next);
            } else {
                size_t newTail = static_cast<size_t>(static_cast<long long>(oldTail) + delta);
                WrapRange(from, newTail, next);
                auto tail = std::lower_bound(rows_.begin(), rows_.end(), oldTail);
                for (; tail != rows_.end(); ++tail)
                    next.push_back(static_cast<size_t>(static_cast<long long>(*tail) + delta));
            }
        } catch (...) {
            // The text's capacity already holds the longer of the two, so this cannot throw.
            text_.replace(a, s.size(), removed);
            throw;
        }
        rows_.swap(next);
        top_ = std::min(top_, rows_.size() - 1);
    }

    // ---- geometry ----
    int VisibleRows() const {
        RECT r;
        GetClientRect(hwnd_, &r);
        return std::max(1, static_cast<int>((r.bottom - r.top - 2 * kTopMargin) / lineHeight_));
    }
    int XOf(size_t pos) {
        size_t row = RowOf(pos);
        int x = 0;
        for (size_t i = rows_[row]; i < pos && i < text_.size(); ++i) x += Width(text_[i]);
        return x;
    }
    size_t PosInRow(size_t row, int x) {
        size_t s = rows_[row], e = RowContentEnd(row);
        int w = 0;
        for (size_t i = s; i < e; ++i) {
            int cw = Width(text_[i]);
            if (x < w + cw / 2) return i;
            w += cw;
        }
        // A wrapped row ends where the next one starts; keep the caret on this row.
        if (e == RowEnd(row) && row + 1 < rows_.size() && e > s) return e - 1;
        return e;
    }
    size_t HitTest(int x, int y) {
        long long row = static_cast<long long>(top_) + (y - kTopMargin) / lineHeight_;
        if (y < kTopMargin) row = static_cast<long long>(top_) - 1;
        row = std::max(0LL, std::min(row, static_cast<long long>(rows_.size()) - 1));
        return PosInRow(static_cast<size_t>(row), x - margin_);
    }
    size_t Normalize(size_t pos) const {
        pos = std::min(pos, text_.size());
        if (pos > 0 && pos < text_.size() && text_[pos - 1] == L'\r' && text_[pos] == L'\n')
            --pos;
        return pos;
    }
    size_t Prev(size_t pos) const {
        if (pos == 0) return 0;
        if (pos >= 2 && text_[pos - 1] == L'\n' && text_[pos - 2] == L'\r') return pos - 2;
        return pos - 1;
    }
    size_t Next(size_t pos) const {
        if (pos >= text_.size()) return text_.size();
        if (text_[pos] == L'\r' && pos + 1 < text_.size() && text_[pos + 1] == L'\n')
            return pos + 2;
        return pos + 1;
    }

    // ---- refresh ----
    void MarkDirty() {
        if (!dirty_) {
            dirty_ = true;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
    }
    void ScrollCaretIntoView() {
        size_t row = RowOf(caret_);
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
        si.nMax = static_cast<int>(std::min<size_t>(rows_.size() - 1, 0x7FFFFFFF));
        si.nPage = static_cast<UINT>(VisibleRows());
        si.nPos = static_cast<int>(top_);
        SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
    }
    void PlaceCaret() {
        if (!focused_) return;
        size_t row = RowOf(caret_);
        int x = margin_ + XOf(caret_);
        long long y = kTopMargin + (static_cast<long long>(row) - static_cast<long long>(top_)) *
                                       lineHeight_;
        if (y < -lineHeight_ || y > 30000) y = -lineHeight_ * 2;  // out of view
        SetCaretPos(x, static_cast<int>(y));
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
            SendMessageW(parent, WM_COMMAND,
                         MAKEWPARAM(GetDlgCtrlID(hwnd_), code), reinterpret_cast<LPARAM>(hwnd_));
    }

    // ---- editing ----
    size_t SelStart() const { return std::min(caret_, anchor_); }
    size_t SelEnd() const { return std::max(caret_, anchor_); }

    // Replaces the selection with s, whole or not at all: a text that would pass the box's
    // limit, or that memory cannot hold, leaves the box as it was and says so (EN_MAXTEXT),
    // as the system's edit control does at its limit.
    bool ReplaceSelection(const std::wstring& s) {
        size_t a = SelStart(), b = SelEnd();
        size_t after = text_.size() - (b - a);
        bool fits = s.size() <= static_cast<size_t>(limit_) &&
                    after <= static_cast<size_t>(limit_) - s.size();
        try {
            if (!fits) throw std::bad_alloc();
            Replace(a, b, s);
        } catch (const std::bad_alloc&) {
            Notify(EN_MAXTEXT);
            return false;
        }
        caret_ = anchor_ = Normalize(a + s.size());
        MarkDirty();
        Notify(EN_CHANGE);
        return true;
    }

    void SetText(const std::wstring& s) {
        text_ = s;
        caret_ = anchor_ = 0;
        top_ = 0;
        RewrapAll();
        MarkDirty();
        Notify(EN_CHANGE);
    }

    void SetFont(HFONT font) {
        font_ = font;
        SelectObject(measure_, font_);
        TEXTMETRICW tm;
        GetTextMetricsW(measure_, &tm);
        lineHeight_ = std::max(1, static_cast<int>(tm.tmHeight + tm.tmExternalLeading));
        avgWidth_ = std::max(1, static_cast<int>(tm.tmAveCharWidth));
        for (auto& p : pages_) p.reset();
        tabWidth_ = Width(L' ') * 8;
        UpdateWrapWidth();
    }
    void UpdateWrapWidth() {
        RECT r;
        GetClientRect(hwnd_, &r);
        margin_ = std::max(1, avgWidth_ / 3);
        wrapWidth_ = std::max(static_cast<int>(r.right - r.left) - 2 * margin_, avgWidth_);
        RewrapAll();
        MarkDirty();
    }

    // True only once the clipboard holds the selection: a cut removes nothing before that.
    bool CopyToClipboard() {
        if (SelStart() == SelEnd()) return false;
        return Rt().SetClipboardText(hwnd_, text_.substr(SelStart(), SelEnd() - SelStart()));
    }
    void Cut() {
        if (readOnly_ || !CopyToClipboard()) return;
        ReplaceSelection(L"");
        AfterUserMove();
    }

    void Paste() {
        if (readOnly_ || !OpenClipboard(hwnd_)) return;
        std::wstring s;
        if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
            if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
                size_t cap = GlobalSize(h) / sizeof(wchar_t);
                s.assign(p, std::find(p, p + cap, L'\0'));
                GlobalUnlock(h);
            }
        }
        CloseClipboard();
        if (!s.empty()) {
            ReplaceSelection(s);
            AfterUserMove();
        }
    }

    void OnChar(wchar_t ch) {
        bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (ch == 1) {  // Ctrl+A
            anchor_ = 0;
            caret_ = text_.size();
            AfterUserMove();
            return;
        }
        if (ch == 3) {
            CopyToClipboard();
            return;
        }
        if (ch == 22) {
            Paste();
            return;
        }
        if (ch == 24) {
            Cut();
            return;
        }
        if (readOnly_) return;
        if (ch == 8) {
            if (SelStart() == SelEnd()) anchor_ = Prev(caret_);
            ReplaceSelection(L"");
        } else if (ch == 13) {
            ReplaceSelection(L"\r\n");
        } else if (ch == 10 || ch == 27 || (ch < 32 && ch != 9) || ctrl) {
            return;
        } else {
            ReplaceSelection(std::wstring(1, ch));
        }
        AfterUserMove();
    }

    void OnKeyDown(WPARAM vk) {
        bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
        size_t row = RowOf(caret_);
        size_t vis = static_cast<size_t>(VisibleRows());
        size_t to = caret_;
        bool vertical = false;
        switch (vk) {
            case VK_LEFT:
                to = (!shift && caret_ != anchor_) ? SelStart() : Prev(caret_);
                break;
            case VK_RIGHT:
                to = (!shift && caret_ != anchor_) ? SelEnd() : Next(caret_);
                break;
            case VK_UP:
            case VK_DOWN:
            case VK_PRIOR:
            case VK_NEXT: {
                if (preferredX_ < 0) preferredX_ = XOf(caret_);
                size_t step = (vk == VK_UP || vk == VK_DOWN) ? 1 : std::max<size_t>(vis - 1, 1);
                size_t target = (vk == VK_UP || vk == VK_PRIOR) ? (row > step ? row - step : 0)
                                                                : std::min(row + step, rows_.size() - 1);
                if (vk == VK_PRIOR) top_ = top_ > step ? top_ - step : 0;
                if (vk == VK_NEXT) top_ = std::min(top_ + step, rows_.size() - 1);
                to = PosInRow(target, preferredX_);
                vertical = true;
                break;
            }
            case VK_HOME:
                to = ctrl ? 0 : rows_[row];
                break;
            case VK_END:
                to = ctrl ? text_.size() : RowContentEnd(row);
                break;
            case VK_DELETE:
                if (readOnly_) return;
                if (shift) {  // Shift+Del cuts
                    Cut();
                    return;
                } else {
                    if (SelStart() == SelEnd()) anchor_ = Next(caret_);
                    ReplaceSelection(L"");
                }
                AfterUserMove();
                return;
            case VK_INSERT:
                if (ctrl) CopyToClipboard();
                if (shift) Paste();
                return;
            default:
                return;
        }
        caret_ = Normalize(to);
        if (!shift) anchor_ = caret_;
        AfterUserMove(vertical);
        InvalidateRect(hwnd_, nullptr, FALSE);
    }

    void SelectWordAt(size_t pos) {
        auto isWord = [](wchar_t c) { return c != L' ' && c != L'\t' && c != L'\r' && c != L'\n'; };
        size_t a = pos, b = pos;
        while (a > 0 && isWord(text_[a - 1])) --a;
        while (b < text_.size() && isWord(text_[b])) ++b;
        anchor_ = a;
        caret_ = b;
        AfterUserMove();
    }

    void ScrollTo(long long row) {
        long long maxTop = std::max(0LL, static_cast<long long>(rows_.size()) - VisibleRows());
        row = std::max(0LL, std::min(row, maxTop));
        if (static_cast<size_t>(row) == top_) return;
        top_ = static_cast<size_t>(row);
        dirty_ = false;
        MarkDirty();
    }

    void Paint();

    HWND hwnd_;
    std::wstring text_;
    std::vector<size_t> rows_{0};
    size_t top_ = 0, caret_ = 0, anchor_ = 0;
    bool readOnly_;
    bool focused_ = false, dragging_ = false, dirty_ = false, scrollToCaret_ = false;
    int preferredX_ = -1, wheel_ = 0;
    HDC measure_;
    HFONT font_ = nullptr;
    int lineHeight_ = 16, avgWidth_ = 7, tabWidth_ = 56, margin_ = 2, wrapWidth_ = 100;
    LRESULT limit_ = 0x7FFFFFFE;
    std::array<std::unique_ptr<int[]>, 256> pages_;
    static constexpr int kTopMargin = 1;
};

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

    size_t selA = SelStart(), selB = SelEnd();
    bool showSel = selA != selB;
    HBRUSH selBrush = GetSysColorBrush(COLOR_HIGHLIGHT);
    COLORREF selFore = GetSysColor(COLOR_HIGHLIGHTTEXT);
    int vis = VisibleRows() + 1;
    for (int i = 0; i < vis; ++i) {
        size_t row = top_ + static_cast<size_t>(i);
        if (row >= rows_.size()) break;
        int y = kTopMargin + i * lineHeight_;
        size_t s = rows_[row], e = RowContentEnd(row);
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
            size_t tab = text_.find(L'\t', p);
            if (tab != std::wstring::npos && tab < stop) stop = tab == p ? p + 1 : tab;
            int w = 0;
            for (size_t k = p; k < stop; ++k) w += Width(text_[k]);
            if (inSel) {
                RECT sr = {x, y, x + w, y + lineHeight_};
                FillRect(mem, &sr, selBrush);
            }
            if (text_[p] != L'\t') {
                SetTextColor(mem, inSel ? selFore : fore);
                TextOutW(mem, x, y, text_.c_str() + p, static_cast<int>(stop - p));
            }
            x += w;
            p = stop;
        }
        // A selected line break shows as a small block, as edit controls do.
        if (showSel && e < RowEnd(row) && e >= selA && e < selB) {
            RECT sr = {x, y, x + avgWidth_ / 2 + 1, y + lineHeight_};
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
            return static_cast<LRESULT>(text_.size());
        case WM_GETTEXT: {
            if (wp == 0 || !lp) return 0;
            size_t n = std::min(text_.size(), static_cast<size_t>(wp) - 1);
            auto* out = reinterpret_cast<wchar_t*>(lp);
            std::copy(text_.begin(), text_.begin() + static_cast<long>(n), out);
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
                anchor_ = caret_;
            } else {
                if (b < 0) b = static_cast<long long>(text_.size());
                anchor_ = Normalize(static_cast<size_t>(a));
                caret_ = Normalize(static_cast<size_t>(b));
            }
            preferredX_ = -1;
            MarkDirty();
            return 0;
        }
        case EM_REPLACESEL:
            ReplaceSelection(lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
            return 0;
        case EM_SCROLLCARET:
            scrollToCaret_ = true;
            MarkDirty();
            return TRUE;
        case EM_GETLINECOUNT:
            return static_cast<LRESULT>(rows_.size());
        case EM_GETFIRSTVISIBLELINE:
            if (scrollToCaret_) ScrollCaretIntoView();
            scrollToCaret_ = false;
            return static_cast<LRESULT>(top_);
        case EM_LINESCROLL:
            ScrollTo(static_cast<long long>(top_) + static_cast<int>(lp));
            return TRUE;
        case EM_SETLIMITTEXT:
            limit_ = wp ? static_cast<LRESULT>(wp) : 0x7FFFFFFE;
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
            if (!readOnly_) ReplaceSelection(L"");
            return 0;
        case WM_CHAR:
            OnChar(static_cast<wchar_t>(wp));
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wp);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        case WM_SETFOCUS:
            focused_ = true;
            CreateCaret(hwnd_, nullptr, 1, lineHeight_);
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
            caret_ = Normalize(HitTest(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))));
            if (!(wp & MK_SHIFT)) anchor_ = caret_;
            AfterUserMove();
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            SelectWordAt(HitTest(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))));
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_MOUSEMOVE:
            if (dragging_ && (wp & MK_LBUTTON)) {
                caret_ = Normalize(HitTest(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))));
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
            ScrollTo(static_cast<long long>(top_) - 3LL * notches);
            return 0;
        }
        case WM_VSCROLL: {
            long long row = static_cast<long long>(top_);
            int page = std::max(1, VisibleRows() - 1);
            switch (LOWORD(wp)) {
                case SB_LINEUP: row -= 1; break;
                case SB_LINEDOWN: row += 1; break;
                case SB_PAGEUP: row -= page; break;
                case SB_PAGEDOWN: row += page; break;
                case SB_TOP: row = 0; break;
                case SB_BOTTOM: row = static_cast<long long>(rows_.size()); break;
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

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* view = reinterpret_cast<TextView*>(GetWindowLongPtrW(hwnd, 0));
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        view = new TextView(hwnd, static_cast<DWORD>(cs->style));
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(view));
        if (cs->lpszName) view->Handle(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(cs->lpszName));
    }
    if (!view) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, 0, 0);
        delete view;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (msg == WM_NCCREATE) return DefWindowProcW(hwnd, msg, wp, lp);
    // Nothing thrown here may reach the system; the box stays as it was before the message.
    try {
        return view->Handle(msg, wp, lp);
    } catch (...) {
        return 0;
    }
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

}  // namespace ui
