// The text view's geometry and painting: where rows and the caret are on screen, the scroll
// position and scroll bar, the wrap width from the window and font, the work deferred to the
// next WM_PAINT, and the paint itself (only the rows in view, through one memory bitmap,
// which it gives back, and ends, however it ends).
#include "ui/text/text_view_box.h"

#include <algorithm>
#include <string>
#include <utility>

namespace ui {

HDC TextViewDrawing::Begin(HWND window, PAINTSTRUCT* ps) { return BeginPaint(window, ps); }
void TextViewDrawing::End(HWND window, const PAINTSTRUCT* ps) { EndPaint(window, ps); }
HDC TextViewDrawing::NewMemoryDC(HDC like) { return CreateCompatibleDC(like); }
void TextViewDrawing::FreeDC(HDC dc) { DeleteDC(dc); }
HBITMAP TextViewDrawing::NewBitmap(HDC like, int width, int height) {
    return CreateCompatibleBitmap(like, width, height);
}
void TextViewDrawing::FreeBitmap(HBITMAP bitmap) { DeleteObject(bitmap); }
void TextViewDrawing::Text(HDC dc, int x, int y, const wchar_t* text, int length) {
    TextOutW(dc, x, y, text, length);
}

namespace {

TextViewDrawing g_realDrawing;
TextViewDrawing* g_drawing = &g_realDrawing;

// Runs a release step when it goes out of scope, on every way out.
template <typename F>
class Finally {
public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() { f_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

private:
    F f_;
};

}  // namespace

TextViewDrawing* SetTextViewDrawing(TextViewDrawing* drawing) {
    TextViewDrawing* old = g_drawing;
    g_drawing = drawing ? drawing : &g_realDrawing;
    return old == &g_realDrawing ? nullptr : old;
}

}  // namespace ui

namespace ui::kit {

int TextView::VisibleRows() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return std::max(1, static_cast<int>((r.bottom - r.top - 2 * kTopMargin) / LineHeight()));
}

size_t TextView::MaxTop() const {
    size_t vis = static_cast<size_t>(VisibleRows());
    return layout_.RowCount() > vis ? layout_.RowCount() - vis : 0;
}

size_t TextView::HitTest(int x, int y) const {
    long long row = static_cast<long long>(top_) + (y - kTopMargin) / LineHeight();
    if (y < kTopMargin) row = static_cast<long long>(top_) - 1;
    row = std::max(0LL, std::min(row, static_cast<long long>(LastRow())));
    return layout_.PosInRow(static_cast<size_t>(row), x - margin_);
}

POINT TextView::CaretPoint() const {
    long long y = kTopMargin +
                  (static_cast<long long>(layout_.RowOf(caret_)) - static_cast<long long>(top_)) *
                      LineHeight();
    if (y < -LineHeight() || y > 30000) y = -LineHeight() * 2;  // out of view
    return {margin_ + layout_.XOf(caret_), static_cast<int>(y)};
}

void TextView::ScrollCaretIntoView() {
    size_t row = layout_.RowOf(caret_);
    size_t vis = static_cast<size_t>(VisibleRows());
    if (row < top_) top_ = row;
    if (row >= top_ + vis) top_ = row - vis + 1;
}

void TextView::ApplyPending() {
    if (!dirty_) return;
    dirty_ = false;
    if (scrollToCaret_) ScrollCaretIntoView();
    scrollToCaret_ = false;
    UpdateScrollBar();
    PlaceCaret();
    RaiseEvents();
}

void TextView::UpdateScrollBar() {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = static_cast<int>(std::min<size_t>(LastRow(), 0x7FFFFFFF));
    si.nPage = static_cast<UINT>(VisibleRows());
    si.nPos = static_cast<int>(top_);
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
}

void TextView::PlaceCaret() {
    if (!focused_) return;
    POINT p = CaretPoint();
    SetCaretPos(p.x, p.y);
}

void TextView::AfterUserMove(bool keepPreferredX) {
    if (!keepPreferredX) preferredX_ = -1;
    scrollToCaret_ = true;
    userMoved_ = true;
    dirty_ = false;
    MarkDirty();
}

void TextView::SetFont(HFONT font) {
    font_ = font;
    widths_.SetFont(font);
    UpdateWrapWidth();
}

void TextView::UpdateWrapWidth() {
    RECT r;
    GetClientRect(hwnd_, &r);
    const int avg = widths_.AvgWidth();
    margin_ = std::max(1, avg / 3);
    layout_.SetWrapWidth(std::max(static_cast<int>(r.right - r.left) - 2 * margin_, avg));
    top_ = std::min(top_, LastRow());
    MarkDirty();
}

void TextView::ScrollTo(long long row) {
    row = std::max(0LL, std::min(row, static_cast<long long>(MaxTop())));
    if (static_cast<size_t>(row) == top_) return;
    top_ = static_cast<size_t>(row);
    dirty_ = false;
    MarkDirty();
}

void TextView::Paint() {
    ApplyPending();
    TextViewDrawing& gdi = *g_drawing;
    PAINTSTRUCT ps;
    HDC dc = gdi.Begin(hwnd_, &ps);
    // A row that fails (its copy out of memory) ends the paint: these give back, in turn,
    // the memory bitmap, its DC and the paint, however the paint ends.
    const Finally endPaint([&] { gdi.End(hwnd_, &ps); });
    RECT cr;
    GetClientRect(hwnd_, &cr);
    HDC mem = gdi.NewMemoryDC(dc);
    const Finally freeDC([&] { gdi.FreeDC(mem); });
    HBITMAP bmp = gdi.NewBitmap(dc, std::max(1L, cr.right), std::max(1L, cr.bottom));
    const Finally freeBitmap([&] { gdi.FreeBitmap(bmp); });
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    HGDIOBJ oldFont = SelectObject(mem, font_);
    const Finally deselect([&] {
        SelectObject(mem, oldFont);
        SelectObject(mem, oldBmp);
    });
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
        // The row's own copy: the text is kept in blocks, and a row may span two.
        const std::wstring line = layout_.Substr(s, e - s);
        auto at = [&](size_t k) { return line[k - s]; };
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
            size_t tab = line.find(L'\t', p - s);
            if (tab != std::wstring::npos && s + tab < stop) stop = s + tab == p ? p + 1 : s + tab;
            int w = 0;
            for (size_t k = p; k < stop; ++k) w += layout_.Width(at(k));
            if (inSel) {
                RECT sr = {x, y, x + w, y + lineHeight};
                FillRect(mem, &sr, selBrush);
            }
            if (at(p) != L'\t') {
                SetTextColor(mem, inSel ? selFore : fore);
                gdi.Text(mem, x, y, line.c_str() + (p - s), static_cast<int>(stop - p));
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
}

}  // namespace ui::kit
