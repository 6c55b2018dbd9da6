// Tests for the copied window report.
#include "inspector/window_report.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using inspector::BuildWindowReport;

TEST(WindowReport, EmptyValuesGiveLabelsOnly) {
    const std::wstring report = BuildWindowReport({});
    EXPECT_EQ(report.size(), 144u);
    EXPECT_EQ(report,
              L"Window Handle:  \r\nWindow Caption: \r\nWindow Class:   \r\nWindow Style:   \r\n"
              L"Rectangle:      \r\nParent Handle:  \r\nParent Caption: \r\nParent Class:   \r\n");
}

TEST(WindowReport, FilledReportLineByLine) {
    const std::array<std::wstring, 8> values = {
        L"1312934",
        L"Untitled - Notepad",
        L"Notepad",
        L"WS_BORDER WS_CAPTION WS_VISIBLE ",
        L"(-8, -8) - (1288, 1008)",
        L"0",
        L"",
        L"",
    };
    EXPECT_EQ(BuildWindowReport(values),
              L"Window Handle:  1312934\r\n"
              L"Window Caption: Untitled - Notepad\r\n"
              L"Window Class:   Notepad\r\n"
              L"Window Style:   WS_BORDER WS_CAPTION WS_VISIBLE \r\n"
              L"Rectangle:      (-8, -8) - (1288, 1008)\r\n"
              L"Parent Handle:  0\r\n"
              L"Parent Caption: \r\n"
              L"Parent Class:   \r\n");
}

TEST(WindowReport, ValuesAreCopiedUnchanged) {
    std::array<std::wstring, 8> values;
    values[1] = L"two\r\nlines";
    values[2] = L"  padded  ";
    values[3] = std::wstring(L"nul\0inside", 10);
    const std::wstring report = BuildWindowReport(values);
    EXPECT_NE(report.find(L"Window Caption: two\r\nlines\r\nWindow Class:   "), std::wstring::npos);
    EXPECT_NE(report.find(L"Window Class:     padded  \r\n"), std::wstring::npos);
    EXPECT_NE(report.find(std::wstring(L"Window Style:   nul\0inside\r\n", 28)),
              std::wstring::npos);
    EXPECT_EQ(report.size(), 144u + 3 * 10u);
}
