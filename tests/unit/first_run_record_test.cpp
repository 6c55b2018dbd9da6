// Tests for the first-run record text and reading its items back.
#include "startup/first_run_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;
using startup::FirstRunRecordText;
using startup::ReadRecordItems;
using Items = std::vector<std::string>;

TEST(FirstRunRecordText, JoinsLinesWithCrLf) {
    EXPECT_EQ(FirstRunRecordText({L"a", L"b", L"c", L"d", L"e"}), L"a\r\nb\r\nc\r\nd\r\ne\r\n");
    EXPECT_EQ(FirstRunRecordText({}), L"\r\n\r\n\r\n\r\n\r\n");
}

TEST(ReadRecordItems, FiveLineRecord) {
    const std::string file = "Dorvane\r\n1.0\r\n45000.5\r\nJohn Smith\r\n2023-03-15\r\n";
    EXPECT_EQ(ReadRecordItems(file),
              (Items{"Dorvane", "1.0", "45000.5", "John Smith", "2023-03-15"}));
    // Missing final line end, lone LF and lone CR line ends read the same.
    EXPECT_EQ(ReadRecordItems("a\nb\rc\r\nd\r\ne"), (Items{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(ReadRecordItems("a\r\nb\r\n"), (Items{"a", "b"}));
    EXPECT_EQ(ReadRecordItems(""), Items{});
}

TEST(ReadRecordItems, BlanksAroundUnquotedItems) {
    EXPECT_EQ(ReadRecordItems("  \tJohn Smith \t \r\n"), (Items{"John Smith"}));
    EXPECT_EQ(ReadRecordItems(" a , b ,c"), (Items{"a", "b", "c"}));
    // Blanks after the last separator are not an item.
    EXPECT_EQ(ReadRecordItems("a\r\n  \t"), (Items{"a"}));
    EXPECT_EQ(ReadRecordItems("   "), Items{});
}

TEST(ReadRecordItems, CommasSplitItems) {
    EXPECT_EQ(ReadRecordItems("a,b,c\r\nd\r\n"), (Items{"a", "b", "c", "d"}));
    EXPECT_EQ(ReadRecordItems("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(ReadRecordItems(",a"), (Items{"", "a"}));
    EXPECT_EQ(ReadRecordItems("a,"), (Items{"a"}));
    // The comma promises another item; the line end then ends it empty.
    EXPECT_EQ(ReadRecordItems("a,\r\nb"), (Items{"a", "", "b"}));
}

TEST(ReadRecordItems, QuotedItems) {
    EXPECT_EQ(ReadRecordItems("\"Smith, John\"\r\n\"x\"\r\n"), (Items{"Smith, John", "x"}));
    EXPECT_EQ(ReadRecordItems("\"  padded  \",b"), (Items{"  padded  ", "b"}));
    EXPECT_EQ(ReadRecordItems("  \"q\"  ,b"), (Items{"q", "b"}));
    EXPECT_EQ(ReadRecordItems("\"\"\r\nb"), (Items{"", "b"}));
    // Text after the closing quote is dropped up to the separator.
    EXPECT_EQ(ReadRecordItems("\"ab\"cd,e\r\nf"), (Items{"ab", "e", "f"}));
    EXPECT_EQ(ReadRecordItems("\"ab\"cd\r\nf"), (Items{"ab", "f"}));
    // A quote inside an unquoted item is ordinary text.
    EXPECT_EQ(ReadRecordItems("a\"b\"c,d"), (Items{"a\"b\"c", "d"}));
    // A quoted item may span a line end.
    EXPECT_EQ(ReadRecordItems("\"one\r\ntwo\"\r\nthree"), (Items{"one\r\ntwo", "three"}));
    // An unclosed quote takes everything that is left.
    EXPECT_EQ(ReadRecordItems("a\r\n\"open, still\r\nopen"), (Items{"a", "open, still\r\nopen"}));
    EXPECT_EQ(ReadRecordItems("\""), (Items{""}));
}

TEST(ReadRecordItems, BlankLinesGiveEmptyItems) {
    EXPECT_EQ(ReadRecordItems("a\r\n\r\nb\r\n"), (Items{"a", "", "b"}));
    EXPECT_EQ(ReadRecordItems("\r\n"), (Items{""}));
    EXPECT_EQ(ReadRecordItems("\r\n\r\n"), (Items{"", ""}));
    EXPECT_EQ(ReadRecordItems("a\r\n   \r\nb"), (Items{"a", "", "b"}));
    // LF CR is two line ends, unlike CR LF.
    EXPECT_EQ(ReadRecordItems("a\n\rb"), (Items{"a", "", "b"}));
    // A short record just has fewer items.
    EXPECT_EQ(ReadRecordItems("Dorvane\r\n1.0\r\n").size(), 2u);
}

TEST(ReadRecordItems, AnyBytesAreData) {
    const std::string bytes = "a\0b\r\n\xFF\xFE\x1A\r\n\x80,\x7F"s;
    EXPECT_EQ(ReadRecordItems(bytes), (Items{"a\0b"s, "\xFF\xFE\x1A", "\x80", "\x7F"}));

    // Every single byte value, alone and between items, reads without trouble.
    for (int c = 0; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        const Items alone = ReadRecordItems(one);
        EXPECT_LE(alone.size(), 1u);
        const Items between = ReadRecordItems("x" + one + "y");
        EXPECT_GE(between.size(), 1u);
    }
}

TEST(ReadRecordItems, VeryLongLine) {
    const std::string line(1 << 20, 'x');
    const Items items = ReadRecordItems(line + "\r\n" + "tail \r\n");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], line);
    EXPECT_EQ(items[1], "tail");

    const std::string blanks(1 << 20, ' ');
    EXPECT_EQ(ReadRecordItems("v" + blanks + ",w" + blanks), (Items{"v", "w"}));
}
