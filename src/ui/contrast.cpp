#include "ui/contrast.h"

#include <array>
#include <cmath>

namespace ui::contrast {
namespace {

// Each sRGB channel value in linear light, computed once.
const std::array<double, 256>& LinearChannels() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i) {
            double c = i / 255.0;
            t[static_cast<size_t>(i)] =
                c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

unsigned Channel(Rgb c, int shift) { return (c >> shift) & 0xFF; }

// Part way (step of 255) from one colour to another, channel by channel.
Rgb Towards(Rgb from, Rgb to, unsigned step) {
    Rgb out = 0;
    for (int shift : {0, 8, 16}) {
        int a = static_cast<int>(Channel(from, shift)), b = static_cast<int>(Channel(to, shift));
        int v = a + (b - a) * static_cast<int>(step) / 255;
        out |= static_cast<Rgb>(v) << shift;
    }
    return out;
}

// Black or white, whichever contrasts more with that background: at least 4.58 (the square
// root of 21) on any background, so always enough.
Rgb BetterExtreme(double backLuminance) {
    return LuminanceRatio(0.0, backLuminance) >= LuminanceRatio(1.0, backLuminance) ? kBlack
                                                                                    : kWhite;
}

}  // namespace

double Luminance(Rgb c) {
    const auto& lin = LinearChannels();
    return 0.2126 * lin[Channel(c, 0)] + 0.7152 * lin[Channel(c, 8)] + 0.0722 * lin[Channel(c, 16)];
}

double LuminanceRatio(double luminanceA, double luminanceB) {
    double lighter = luminanceA > luminanceB ? luminanceA : luminanceB;
    double darker = luminanceA > luminanceB ? luminanceB : luminanceA;
    return (lighter + 0.05) / (darker + 0.05);
}

double Ratio(Rgb a, Rgb b) { return LuminanceRatio(Luminance(a), Luminance(b)); }

Rgb ReadableOnLuminance(Rgb text, double backLuminance) {
    if (LuminanceRatio(Luminance(text), backLuminance) >= kMinimumRatio) return text;
    return BetterExtreme(backLuminance);
}

Rgb Readable(Rgb text, Rgb back) { return ReadableOnLuminance(text, Luminance(back)); }

Rgb ReadableDimmed(Rgb text, Rgb back) {
    const double backLuminance = Luminance(back);
    if (LuminanceRatio(Luminance(text), backLuminance) >= kMinimumRatio) return text;
    Rgb extreme = BetterExtreme(backLuminance);
    // Only a text on the extreme's side of the background gains contrast all the way there;
    // one on the other side would pass through the background's own shade first.
    bool darkerText = Luminance(text) < backLuminance;
    if (darkerText != (extreme == kBlack)) return extreme;
    // The fewest steps that reach the ratio: contrast grows with every step of the way.
    unsigned lo = 0, hi = 255;
    while (lo < hi) {
        unsigned mid = (lo + hi) / 2;
        if (LuminanceRatio(Luminance(Towards(text, extreme, mid)), backLuminance) >= kMinimumRatio)
            hi = mid;
        else
            lo = mid + 1;
    }
    return Towards(text, extreme, lo);
}

}  // namespace ui::contrast
