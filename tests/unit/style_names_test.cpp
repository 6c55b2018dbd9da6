// Tests for the window style name list.
#include "inspector/style_names.h"

#include <gtest/gtest.h>

using inspector::DescribeStyleBits;

TEST(StyleNames, TypicalWindowStyles) {
    EXPECT_EQ(DescribeStyleBits(0x16CF0000u),
              L"WS_BORDER WS_CAPTION WS_CLIPCHILDREN WS_CLIPSIBLINGS WS_DLGFRAME WS_GROUP "
              L"WS_MAXIMIZEBOX WS_MINIMIZEBOX WS_SYSMENU WS_TABSTOP WS_THICKFRAME WS_VISIBLE ");
    EXPECT_EQ(DescribeStyleBits(0x50010000u), L"WS_CHILD WS_MAXIMIZEBOX WS_TABSTOP WS_VISIBLE ");
    EXPECT_EQ(DescribeStyleBits(0x94C80000u),
              L"WS_BORDER WS_CAPTION WS_CLIPSIBLINGS WS_DLGFRAME WS_SYSMENU WS_POPUPWINDOW "
              L"WS_VISIBLE ");
}

TEST(StyleNames, CombinedStylesNeedEveryBit) {
    // WS_CAPTION is border + dialog frame; either alone must not name it.
    EXPECT_EQ(DescribeStyleBits(0x00800000u), L"WS_BORDER ");
    EXPECT_EQ(DescribeStyleBits(0x00400000u), L"WS_DLGFRAME ");
    EXPECT_EQ(DescribeStyleBits(0x80080000u), L"WS_SYSMENU ");
    EXPECT_EQ(DescribeStyleBits(0x80800000u), L"WS_BORDER ");
    EXPECT_EQ(DescribeStyleBits(0x80880000u), L"WS_BORDER WS_SYSMENU WS_POPUPWINDOW ");
}

TEST(StyleNames, UnnamedBitsAddNothing) {
    EXPECT_EQ(DescribeStyleBits(0), L"");
    EXPECT_EQ(DescribeStyleBits(0x80000000u), L"");
    EXPECT_EQ(DescribeStyleBits(0x20000000u), L"");
    EXPECT_EQ(DescribeStyleBits(0x08000000u), L"");
    EXPECT_EQ(DescribeStyleBits(0x01000000u), L"");
    EXPECT_EQ(DescribeStyleBits(0x0000FFFFu), L"");
    EXPECT_EQ(DescribeStyleBits(0x2900FFFFu | 0x00100000u), L"WS_HSCROLL ");
}

TEST(StyleNames, EveryBitSetListsEveryRowInTableOrder) {
    EXPECT_EQ(DescribeStyleBits(0xFFFFFFFFu),
              L"WS_BORDER WS_CAPTION WS_CHILD WS_CLIPCHILDREN WS_CLIPSIBLINGS WS_DLGFRAME "
              L"WS_GROUP WS_HSCROLL WS_MAXIMIZEBOX WS_MINIMIZEBOX WS_SYSMENU WS_POPUPWINDOW "
              L"WS_TABSTOP WS_THICKFRAME WS_VISIBLE WS_VSCROLL ");
}
