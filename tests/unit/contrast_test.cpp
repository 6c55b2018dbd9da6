// Tests for the contrast rule: luminance and ratios against the reference values that WCAG's
// own examples and checkers give, and the text colour chosen on backgrounds of every kind.
#include "ui/contrast.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

namespace {

using namespace ui::contrast;

std::string Hex(Rgb c) {
    std::ostringstream s;
    s << "#" << std::hex << std::setfill('0') << std::setw(2) << (c & 0xFF) << std::setw(2)
      << ((c >> 8) & 0xFF) << std::setw(2) << ((c >> 16) & 0xFF);
    return s.str();
}

const Rgb kLilac = MakeRgb(192, 192, 255);
const Rgb kFormGrey = MakeRgb(224, 224, 224);
const Rgb kNavy = MakeRgb(10, 30, 90);
const Rgb kGrayText = MakeRgb(109, 109, 109);

TEST(Contrast, LuminanceAndRatioMatchTheReferenceValues) {
    struct Case {
        Rgb a, b;
        double luminanceA, ratio;
    } cases[] = {
        {kBlack, kWhite, 0.0, 21.0},
        {kWhite, kWhite, 1.0, 1.0},
        {MakeRgb(255, 0, 0), kWhite, 0.2126, 4.0},  // the channels' weights
        {MakeRgb(0, 255, 0), kBlack, 0.7152, 15.3},
        {MakeRgb(0, 0, 255), kWhite, 0.0722, 8.59},
        {MakeRgb(0x76, 0x76, 0x76), kWhite, 0.1812, 4.54},  // the lightest grey that passes
        {MakeRgb(0x77, 0x77, 0x77), kWhite, 0.1845, 4.48},  // one step lighter fails
        {MakeRgb(0x59, 0x59, 0x59), kWhite, 0.0999, 7.0},
        {MakeRgb(128, 128, 128), kBlack, 0.2159, 5.32},
        {MakeRgb(255, 255, 0), kBlack, 0.9278, 19.56},
        {kLilac, kWhite, 0.5613, 1.72},  // the transcript in a dark high-contrast scheme
        {kLilac, kBlack, 0.5613, 12.23},
        {kFormGrey, kWhite, 0.7454, 1.32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex(c.a) + " against " + Hex(c.b));
        EXPECT_NEAR(Luminance(c.a), c.luminanceA, 0.0005);
        EXPECT_NEAR(Ratio(c.a, c.b), c.ratio, 0.006);
        EXPECT_DOUBLE_EQ(Ratio(c.a, c.b), Ratio(c.b, c.a)) << "the order does not matter";
    }
}

TEST(Contrast, ATextThatReadsIsKeptAndOneThatDoesNotBecomesBlackOrWhite) {
    struct Case {
        Rgb text, back, drawn;
    } cases[] = {
        {kWhite, kLilac, kBlack},  // High Contrast Black's text on the fixed boxes
        {kWhite, kFormGrey, kBlack},
        {kBlack, kLilac, kBlack},  // the ordinary scheme, kept
        {kWhite, kNavy, kWhite},   // white on the dark title strip, kept
        {kBlack, kNavy, kWhite},   // High Contrast White's text on it
        {MakeRgb(0x76, 0x76, 0x76), kWhite, MakeRgb(0x76, 0x76, 0x76)},
        {MakeRgb(0x77, 0x77, 0x77), kWhite, kBlack},
        {MakeRgb(255, 255, 0), kWhite, kBlack},
        {MakeRgb(0, 0, 255), kBlack, kWhite},
        // A mid grey: black contrasts a little more (4.69) than white (4.48).
        {kWhite, MakeRgb(0x77, 0x77, 0x77), kBlack},
        {MakeRgb(0x3F, 0xF2, 0x3F), kBlack, MakeRgb(0x3F, 0xF2, 0x3F)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex(c.text) + " on " + Hex(c.back));
        EXPECT_EQ(Hex(Readable(c.text, c.back)), Hex(c.drawn));
        EXPECT_GE(Ratio(Readable(c.text, c.back), c.back), kMinimumRatio);
    }
}

TEST(Contrast, BlackOrWhiteReadsOnEveryBackground) {
    for (unsigned v = 0; v < 256; ++v) {
        for (Rgb back : {MakeRgb(v, v, v), MakeRgb(v, 0, 0), MakeRgb(0, v, 0), MakeRgb(0, 0, v),
                         MakeRgb(v, v, 255 - v)}) {
            SCOPED_TRACE(Hex(back));
            for (Rgb text : {kBlack, kWhite, MakeRgb(255 - v, v, v), kGrayText}) {
                ASSERT_GE(Ratio(Readable(text, back), back), kMinimumRatio);
                ASSERT_GE(Ratio(ReadableDimmed(text, back), back), kMinimumRatio);
            }
        }
    }
}

TEST(Contrast, DimmedTextMovesOnlyAsFarAsItMust) {
    struct Case {
        Rgb text, back;
        bool kept;    // reads as it is
        Rgb extreme;  // where it goes otherwise
    } cases[] = {
        {kGrayText, kLilac, false, kBlack},  // the system's gray text on a coloured button
        {kGrayText, kFormGrey, false, kBlack},
        {kGrayText, kWhite, true, kBlack},
        {MakeRgb(0x3F, 0xF2, 0x3F), kBlack, true, kWhite},  // High Contrast Black's own
        {MakeRgb(160, 160, 160), kBlack, true, kWhite},
        {MakeRgb(90, 90, 90), kBlack, false, kWhite},
        {MakeRgb(200, 200, 200), kLilac, false, kBlack},  // lighter than the back: to black
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex(c.text) + " on " + Hex(c.back));
        Rgb drawn = ReadableDimmed(c.text, c.back);
        EXPECT_GE(Ratio(drawn, c.back), kMinimumRatio);
        if (c.kept) {
            EXPECT_EQ(Hex(drawn), Hex(c.text));
            continue;
        }
        bool crossesTheBack = (Luminance(c.text) < Luminance(c.back)) != (c.extreme == kBlack);
        if (crossesTheBack) {
            EXPECT_EQ(Hex(drawn), Hex(c.extreme));
            continue;
        }
        EXPECT_NE(Hex(drawn), Hex(c.extreme)) << "still dimmed, not the full colour";
        EXPECT_LT(Ratio(drawn, c.back), kMinimumRatio + 0.15) << "no further than it must";
    }
}

}  // namespace
