// How well text reads on what lies behind it, by the WCAG 2 measure (relative luminance and the
// contrast ratio of two colours), and the text colour to draw where the wanted one would not
// reach the ratio that body text needs. Plain values: no window system.
#pragma once
#include <cstdint>

namespace ui::contrast {

// A colour laid out as the system's colour references are: 0x00BBGGRR.
using Rgb = std::uint32_t;
constexpr Rgb kBlack = 0x000000;
constexpr Rgb kWhite = 0xFFFFFF;
// What text of ordinary size needs against its background.
constexpr double kMinimumRatio = 4.5;

constexpr Rgb MakeRgb(unsigned r, unsigned g, unsigned b) {
    return static_cast<Rgb>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// 0 for black to 1 for white, in linear light.
double Luminance(Rgb c);
// From 1 (no contrast) to 21 (black on white), whichever of the two is lighter.
double LuminanceRatio(double luminanceA, double luminanceB);
double Ratio(Rgb a, Rgb b);

// The wanted text colour where it reads on a background of that luminance; otherwise black or
// white, whichever contrasts more.
Rgb ReadableOnLuminance(Rgb text, double backLuminance);
Rgb Readable(Rgb text, Rgb back);

// For dimmed text (a disabled control's caption), which must still look dimmed: the wanted
// colour where it reads; otherwise the colour nearest to it, on its way to black or white
// (whichever contrasts more), that does; that extreme itself where the way there from the
// wanted colour would cross the background's own shade.
Rgb ReadableDimmed(Rgb text, Rgb back);

}  // namespace ui::contrast
