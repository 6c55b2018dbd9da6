// Drawing: the form's background and picture, the windowless labels and images (drawn and
// hit-tested by their container, as classic forms do with their lightweight controls),
// graphical buttons, frames and picture boxes. Everything is drawn off screen first, so that
// moving labels and pictures do not flicker.
#include <cstdlib>

#include "ui/form.h"
#include "ui/kit.h"
#include "win/handles.h"

namespace ui {

namespace {

// Draws a bitmap at its design size, which follows the display's DPI.
void DrawBitmap(HDC dc, HBITMAP bitmap, int left, int top, int dpi) {
    BITMAP bm = {};
    GetObjectW(bitmap, sizeof(bm), &bm);
    win::MemoryDC mem(dc);
    win::ScopedSelect sel(mem.Get(), bitmap);
    int w = MulDiv(bm.bmWidth, dpi, 96), h = MulDiv(bm.bmHeight, std::abs(dpi), 96);
    if (w == bm.bmWidth) {
        BitBlt(dc, left, top, w, h, mem.Get(), 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, left, top, w, h, mem.Get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    }
}

}  // namespace

void Control::DrawPicture(HDC dc, int dpi) const {
    RECT r = hwnd_ ? RECT{0, 0, 0, 0} : PixelRect(dpi);
    if (bitmap_) {
        DrawBitmap(dc, bitmap_.Get(), r.left, r.top, dpi);
    } else if (icon_) {
        int s = MulDiv(32, dpi, 96);
        DrawIconEx(dc, r.left, r.top, icon_.Get(), s, s, 0, nullptr, DI_NORMAL);
    }
}

void Control::Paint(HDC dc, int dpi) {
    if (!visible_) return;
    if (def_.kind == Kind::Image) {
        DrawPicture(dc, dpi);
        return;
    }
    RECT r = PixelRect(dpi);
    const bool transparent = (def_.flags & kTransparent) != 0;
    // Seen through onto a picture, its text must read on what was drawn there.
    if (transparent && !caption_.empty() && OverPicture(dpi))
        pictureLuminance_ = kit::MeanLuminance(dc, r);
    const Colours colours = DrawnColours();
    if (!transparent) FillRect(dc, &r, form_.BrushFor(colours.back));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colours.text);
    win::ScopedSelect sel(dc, Font());
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    // A label one line high shows its one line whole rather than wrapping out of sight.
    UINT fmt = (r.bottom - r.top) < 2 * tm.tmHeight ? DT_SINGLELINE | DT_NOCLIP : DT_WORDBREAK;
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, fmt);
}

void Control::DrawButton(const DRAWITEMSTRUCT& di) {
    HDC dc = di.hDC;
    RECT r = di.rcItem;
    bool pressed = (di.itemState & ODS_SELECTED) != 0;
    bool focused = (di.itemState & ODS_FOCUS) != 0;
    const Colours colours = DrawnColours();
    FillRect(dc, &r, form_.BrushFor(colours.back));
    if (focused) {
        // The focused button carries an outline in its text colour, as the default button of
        // a dialog does.
        FrameRect(dc, &r, form_.BrushFor(colours.text));
        InflateRect(&r, -1, -1);
    }
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    RECT t = r;
    if (pressed) OffsetRect(&t, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    std::wstring caption = kit::WindowText(hwnd_);
    win::ScopedSelect sel(dc, Font());
    bool disabled = (di.itemState & ODS_DISABLED) != 0;
    SetTextColor(dc, disabled ? kit::DimmedReadableOn(GetSysColor(COLOR_GRAYTEXT), colours.back)
                              : colours.text);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &t,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (focused) {
        RECT fr = r;
        InflateRect(&fr, -3, -3);
        DrawFocusRect(dc, &fr);
    }
}

void Control::PaintContainer(HWND hwnd) {
    win::PaintDC paint(hwnd);
    HDC dc = paint.Get();
    RECT cr;
    GetClientRect(hwnd, &cr);
    const Colours colours = DrawnColours();
    FillRect(dc, &cr, form_.BrushFor(colours.back));
    if (def_.kind == Kind::PictureBox) {
        DrawPicture(dc, form_.dpi_);
    } else {
        // A frame: an etched border with the caption set into its top edge.
        win::ScopedSelect sel(dc, Font());
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        RECT border = cr;
        border.top += tm.tmHeight / 2;
        DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
        std::wstring text = kit::WindowText(hwnd);
        if (!text.empty()) {
            RECT t = {MulDiv(8, form_.dpi_, 96), 0, cr.right, tm.tmHeight};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t,
                      DT_SINGLELINE | DT_CALCRECT);
            RECT bg = {t.left - 2, t.top, t.right + 2, t.bottom};
            FillRect(dc, &bg, form_.BrushFor(colours.back));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, colours.text);
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_SINGLELINE);
        }
    }
    form_.PaintWindowless(hwnd, dc);
    if (ShowsFocusCue()) {
        // As the system marks keyboard focus: a dotted rectangle just inside the edge.
        RECT fr = cr;
        InflateRect(&fr, -1, -1);
        DrawFocusRect(dc, &fr);
    }
}

void Form::PaintForm() {
    win::PaintDC paint(hwnd_);
    RECT cr;
    GetClientRect(hwnd_, &cr);
    win::MemoryDC mem(paint.Get());
    win::Bitmap bmp(CreateCompatibleBitmap(paint.Get(), cr.right, cr.bottom));
    {
        win::ScopedSelect sel(mem.Get(), bmp.Get());
        FillRect(mem.Get(), &cr, BrushFor(BackColour()));
        if (picture_) DrawBitmap(mem.Get(), picture_.Get(), 0, 0, dpi_);
        PaintWindowless(hwnd_, mem.Get());
        const RECT& d = paint.Dirty();
        BitBlt(paint.Get(), d.left, d.top, d.right - d.left, d.bottom - d.top, mem.Get(), d.left,
               d.top, SRCCOPY);
    }
}

void Form::PaintWindowless(HWND container, HDC dc) {
    for (auto& c : controls_) {
        if (kit::TraitsOf(c->def_.kind).windowClass) continue;
        if (c->Container() == container) c->Paint(dc, dpi_);
    }
}

Control* Form::WindowlessAt(HWND container, POINT pt) {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        Control* c = it->get();
        if (c->def_.kind != Kind::Label || !c->visible_) continue;
        if (c->Container() != container) continue;
        RECT r = c->PixelRect(dpi_);
        if (PtInRect(&r, pt)) return c;
    }
    return nullptr;
}

}  // namespace ui
