// Tests for handle, rectangle and pointer text, and handle parsing.
#include "inspector/handle_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

using inspector::HandleText;
using inspector::ParseHandleText;

namespace {
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
}  // namespace

TEST(HandleText, PlainDecimal) {
    EXPECT_EQ(HandleText(0), L"0");
    EXPECT_EQ(HandleText(7), L"7");
    EXPECT_EQ(HandleText(1234567), L"1234567");
    EXPECT_EQ(HandleText(-42), L"-42");
    EXPECT_EQ(HandleText(kMax), L"2147483647");
    EXPECT_EQ(HandleText(kMin), L"-2147483648");
}

TEST(ParseHandleText, AcceptsSignsBlanksAndLeadingZeros) {
    EXPECT_EQ(ParseHandleText(L"0"), 0);
    EXPECT_EQ(ParseHandleText(L"131532"), 131532);
    EXPECT_EQ(ParseHandleText(L"+5"), 5);
    EXPECT_EQ(ParseHandleText(L"-5"), -5);
    EXPECT_EQ(ParseHandleText(L"-0"), 0);
    EXPECT_EQ(ParseHandleText(L"007"), 7);
    EXPECT_EQ(ParseHandleText(L"   12"), 12);
    EXPECT_EQ(ParseHandleText(L"12   "), 12);
    EXPECT_EQ(ParseHandleText(L"  -12  "), -12);
    EXPECT_EQ(ParseHandleText(std::wstring(10000, L'0') + L"99"), 99);
}

TEST(ParseHandleText, RangeLimits) {
    EXPECT_EQ(ParseHandleText(L"2147483647"), kMax);
    EXPECT_EQ(ParseHandleText(L"-2147483648"), kMin);
    EXPECT_EQ(ParseHandleText(L"+0002147483647"), kMax);
    EXPECT_EQ(ParseHandleText(L"2147483648"), std::nullopt);
    EXPECT_EQ(ParseHandleText(L"-2147483649"), std::nullopt);
    EXPECT_EQ(ParseHandleText(L"4294967296"), std::nullopt);
    EXPECT_EQ(ParseHandleText(L"99999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseHandleText(std::wstring(10000, L'9')), std::nullopt);
    EXPECT_EQ(ParseHandleText(L"-" + std::wstring(10000, L'9')), std::nullopt);
}

TEST(ParseHandleText, RejectsMalformedText) {
    const wchar_t* bad[] = {
        L"",    L" ",    L"   ", L"+",   L"-",     L"- 1", L"--1", L"+-1", L"12a",
        L"a12", L"0x10", L"1.5", L"1 2", L"1,000", L"\t5", L"5\t", L"5\n",
    };
    for (const wchar_t* text : bad) {
        EXPECT_EQ(ParseHandleText(text), std::nullopt)
            << "input: " << testing::PrintToString(std::wstring(text));
    }
    // Other scripts' digits and full-width digits are not ASCII digits.
    EXPECT_EQ(ParseHandleText(L"\u0661\u0662"), std::nullopt);
    EXPECT_EQ(ParseHandleText(L"\uFF11"), std::nullopt);
    EXPECT_EQ(ParseHandleText(std::wstring(L"1\0", 2)), std::nullopt);
}

TEST(ParseHandleText, RoundTripsEdgeValues) {
    const int32_t values[] = {kMin, kMin + 1, -1000000, -10,   -1,       0,
                              1,    9,        10,       65536, kMax - 1, kMax};
    for (int32_t value : values) {
        EXPECT_EQ(ParseHandleText(HandleText(value)), value);
    }
}

TEST(RectText, Formats) {
    EXPECT_EQ(inspector::RectText(0, 0, 1280, 1024), L"(0, 0) - (1280, 1024)");
    EXPECT_EQ(inspector::RectText(-8, -8, 1288, 1008), L"(-8, -8) - (1288, 1008)");
    EXPECT_EQ(inspector::RectText(kMin, kMax, 0, -1), L"(-2147483648, 2147483647) - (0, -1)");
}

TEST(PointerCaption, Formats) {
    EXPECT_EQ(inspector::PointerCaption(1043, 32), L"X: 1043  Y: 32");
    EXPECT_EQ(inspector::PointerCaption(-300, 200), L"X: -300  Y: 200");
    EXPECT_EQ(inspector::PointerCaption(0, -5), L"X: 0  Y: -5");
}

TEST(PickedWindowLine, TellsHandleClassAndTitleInOneLine) {
    struct Case {
        int32_t handle;
        const wchar_t* cls;
        const wchar_t* title;
        const wchar_t* line;
    };
    const Case cases[] = {
        {65798, L"Notepad", L"Untitled - Notepad",
         L"hWnd 65798, class Notepad, title Untitled - Notepad"},
        {-2147418112, L"Button", L"OK", L"hWnd -2147418112, class Button, title OK"},
        {131844, L"Edit", L"", L"hWnd 131844, class Edit, no title"},
        // A window that has closed, or handle 0, has no class to read.
        {131844, L"", L"", L"hWnd 131844, no window"},
        {0, L"", L"", L"hWnd 0, no window"},
        // A title is read as it is, commas and all.
        {7, L"#32770", L"Save, or not?", L"hWnd 7, class #32770, title Save, or not?"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(inspector::PickedWindowLine(c.handle, c.cls, c.title), c.line) << c.handle;
}
