// Up and Down through the lines run so far, as a console walks them.
#include "console/command_history.h"

#include <gtest/gtest.h>

namespace {

using console::CommandHistory;

TEST(CommandHistory, UpGoesToOlderLinesDownBackAndPastTheNewestToAnEmptyLine) {
    CommandHistory h;
    std::wstring line = L"typed";
    EXPECT_FALSE(h.Older(line));
    EXPECT_EQ(line, L"typed") << "nothing run yet: the box keeps its text";
    h.Add(L"dir");
    h.Add(L"ver");
    h.Add(L"ver");  // twice in a row: kept once
    h.Add(L"dir");
    EXPECT_EQ(h.Size(), 3u);
    EXPECT_TRUE(h.Older(line));
    EXPECT_EQ(line, L"dir");
    h.Older(line);
    EXPECT_EQ(line, L"ver");
    h.Older(line);
    h.Older(line);
    EXPECT_EQ(line, L"dir") << "the oldest stays";
    EXPECT_TRUE(h.Newer(line));
    EXPECT_EQ(line, L"ver");
    h.Newer(line);
    EXPECT_TRUE(h.Newer(line));
    EXPECT_EQ(line, L"");
    EXPECT_FALSE(h.Newer(line));

    // Running a line starts the walk again from the newest.
    h.Older(line);
    h.Older(line);
    h.Add(L"echo");
    h.Older(line);
    EXPECT_EQ(line, L"echo");
}

TEST(CommandHistory, KeepsTheNewestHundredLines) {
    CommandHistory h;
    for (int i = 0; i < 150; ++i) h.Add(std::to_wstring(i));
    EXPECT_EQ(h.Size(), CommandHistory::kMaxLines);
    std::wstring line;
    for (int i = 0; i < 200; ++i) h.Older(line);
    EXPECT_EQ(line, L"50") << "the oldest kept";
}

}  // namespace
