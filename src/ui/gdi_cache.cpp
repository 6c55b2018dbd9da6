// Fonts and brushes, made once per form and shared by its controls; they go with the form.
#include <cmath>

#include "ui/form.h"

namespace ui {

HBRUSH Form::BrushFor(COLORREF c) {
    auto it = brushes_.find(c);
    if (it != brushes_.end()) return it->second.Get();
    HBRUSH b = CreateSolidBrush(c);
    brushes_[c].Reset(b);
    return b;
}

HFONT Form::FontFor(const FontSpec& font) {
    const wchar_t* face = font.face ? font.face : L"MS Sans Serif";
    double points = font.face ? font.points : 8.25;
    std::wstring key =
        std::wstring(face) + L"/" + std::to_wstring(points) + (font.bold ? L"b" : L"");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.Get();
    HFONT f =
        CreateFontW(-static_cast<int>(std::lround(points * dpi_ / 72.0)), 0, 0, 0,
                    font.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    fonts_[key].Reset(f);
    return f;
}

}  // namespace ui
