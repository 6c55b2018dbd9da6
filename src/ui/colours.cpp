// The kit's colours. In the ordinary scheme every surface takes its layout's colour, or where
// the layout gives none, the system's for its kind or the colour of what it stands on. While
// high contrast is on, the system's colours replace the layout's fixed ones (pictures keep
// theirs). Text is always drawn in a colour that reads on its back: the wanted one where it
// does, else black or white.
#include <cstdint>
#include <optional>

#include "ui/contrast.h"
#include "ui/form.h"
#include "ui/kit.h"
#include "ui/runtime.h"
#include "win/handles.h"

namespace ui {
namespace {

bool FollowsSystem(COLORREF c) { return (c & 0xFF000000u) == SysColor(0); }

bool IsPicture(Kind kind) { return kind == Kind::PictureBox || kind == Kind::Image; }

// Labels, frames and pictures without a colour of their own show what they stand on.
bool StandsOnItsContainer(Kind kind) {
    return kind == Kind::Label || kind == Kind::Frame || IsPicture(kind);
}

contrast::Rgb AsRgb(COLORREF c) { return static_cast<contrast::Rgb>(c & 0xFFFFFF); }

}  // namespace

namespace kit {

COLORREF Resolve(COLORREF c) {
    return FollowsSystem(c) ? GetSysColor(static_cast<int>(c & 0xFF)) : c;
}

std::optional<double> MeanLuminance(HDC dc, RECT r) {
    if (GetObjectType(dc) != OBJ_MEMDC) return std::nullopt;
    BITMAP bm = {};
    if (!GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm)) return std::nullopt;
    RECT all = {0, 0, bm.bmWidth, bm.bmHeight};
    if (!IntersectRect(&r, &r, &all)) return std::nullopt;
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::Bitmap copy(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!copy || !bits) return std::nullopt;
    {
        win::MemoryDC mem(dc);
        win::ScopedSelect sel(mem.Get(), copy.Get());
        if (!BitBlt(mem.Get(), 0, 0, w, h, dc, r.left, r.top, SRCCOPY)) return std::nullopt;
    }
    GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);  // 0x00RRGGBB
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    double sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += contrast::Luminance(contrast::MakeRgb(px[i] >> 16, px[i] >> 8, px[i]));
    return sum / static_cast<double>(n);
}

COLORREF ReadableOn(COLORREF text, double backLuminance) {
    return contrast::ReadableOnLuminance(AsRgb(text), backLuminance);
}

COLORREF DimmedReadableOn(COLORREF text, COLORREF back) {
    return contrast::ReadableDimmed(AsRgb(text), AsRgb(back));
}

}  // namespace kit

COLORREF Form::BackColour() const {
    if (highContrast_ && !FollowsSystem(def_.back)) return GetSysColor(COLOR_BTNFACE);
    return kit::Resolve(kit::Or(def_.back, SysColor(COLOR_BTNFACE)));
}

void Form::OnSchemeChange(UINT msg) {
    const bool highContrast = Rt().HighContrast();
    // Most setting changes (the work area, the environment) leave the colours alone.
    if (msg == WM_SETTINGCHANGE && highContrast == highContrast_) return;
    highContrast_ = highContrast;
    brushes_.clear();
    // Only top-level windows hear of new system colours; the system's controls among the
    // children keep brushes of their own and learn of it from their parent.
    for (const auto& entry : windows_) SendMessageW(entry.first, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

COLORREF Control::BackColour() const {
    const bool own = def_.back != kDefaultColor &&
                     (!form_.highContrast_ || IsPicture(def_.kind) || FollowsSystem(def_.back));
    if (own) return kit::Resolve(def_.back);
    if (!StandsOnItsContainer(def_.kind)) return GetSysColor(kit::TraitsOf(def_.kind).backSysColor);
    if (def_.container) {
        auto it = form_.byName_.find(def_.container);
        if (it != form_.byName_.end()) return it->second->BackColour();
    }
    return form_.BackColour();
}

COLORREF Control::WantedTextColour() const {
    if (def_.fore != kDefaultColor && (!form_.highContrast_ || FollowsSystem(def_.fore)))
        return kit::Resolve(def_.fore);
    return GetSysColor(kit::TraitsOf(def_.kind).textSysColor);
}

Colours Control::DrawnColours() const {
    const COLORREF back = BackColour();
    double under = contrast::Luminance(AsRgb(back));
    if ((def_.flags & kTransparent) && pictureLuminance_ && OverPicture(form_.dpi_))
        under = *pictureLuminance_;
    return {back, kit::ReadableOn(WantedTextColour(), under)};
}

bool Control::OverPicture(int dpi) const {
    const HWND container = Container();
    if (container == form_.hwnd_ && form_.picture_) return true;
    const RECT r = PixelRect(dpi);
    for (const auto& c : form_.controls_) {
        if (c.get() == this) break;  // only what is drawn before it lies under it
        if (c->def_.kind != Kind::Image || !c->visible_ || (!c->bitmap_ && !c->icon_)) continue;
        if (c->Container() != container) continue;
        RECT under = c->PixelRect(dpi), overlap;
        if (IntersectRect(&overlap, &r, &under)) return true;
    }
    return false;
}

}  // namespace ui
