// The agreement text: its shape as the terms box shows it and the record's companion lines.
#include "startup/terms_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "startup/first_run_record.h"
#include "startup/maker.h"

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t pos = 0;
    for (size_t end; (end = text.find(L"\r\n", pos)) != std::wstring::npos; pos = end + 2)
        lines.push_back(text.substr(pos, end - pos));
    EXPECT_EQ(pos, text.size()) << "the text ends with CR LF";
    return lines;
}

size_t IndexOf(const std::vector<std::wstring>& lines, const std::wstring& line, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i] == line) return i;
    return std::wstring::npos;
}

TEST(TermsText, PlainAsciiWithCrLfLineBreaksOfAboutFourThousandCharacters) {
    const std::wstring& text = startup::TermsText();
    EXPECT_GT(text.size(), 3900u);
    EXPECT_LT(text.size(), 4500u);
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        ASSERT_TRUE((c >= 0x20 && c < 0x7F) || c == L'\r' || c == L'\n') << "at " << i;
        if (c == L'\r') {
            ASSERT_EQ(text[i + 1], L'\n') << "lone CR at " << i;
        }
        if (c == L'\n') {
            ASSERT_EQ(text[i - 1], L'\r') << "lone LF at " << i;
        }
    }
}

TEST(TermsText, SectionsInOrder) {
    std::vector<std::wstring> lines = Lines(startup::TermsText());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), L"END USER LICENSE AGREEMENT");
    size_t definitions = IndexOf(lines, L"DEFINITIONS");
    size_t grant = IndexOf(lines, L"GRANT OF LICENSE");
    ASSERT_NE(definitions, std::wstring::npos);
    ASSERT_NE(grant, std::wstring::npos);
    EXPECT_LT(definitions, grant);

    // "Software" is defined by items (I) to (VI), in order, between the two headings.
    size_t at = definitions;
    for (const wchar_t* item : {L"(I) ", L"(II) ", L"(III) ", L"(IV) ", L"(V) ", L"(VI) "}) {
        size_t found = std::wstring::npos;
        for (size_t i = at + 1; i < grant && found == std::wstring::npos; ++i) {
            if (lines[i].rfind(item, 0) == 0) found = i;
        }
        ASSERT_NE(found, std::wstring::npos) << "item " << item;
        at = found;
    }

    // The signature block sits between two rules of 34 "=".
    const std::wstring rule(34, L'=');
    size_t open = IndexOf(lines, rule, grant);
    ASSERT_NE(open, std::wstring::npos);
    size_t close = IndexOf(lines, rule, open + 1);
    ASSERT_NE(close, std::wstring::npos);
    std::vector<std::wstring> block(lines.begin() + open + 1, lines.begin() + close);
    EXPECT_EQ(block.front(), L"Noted by:");
    EXPECT_NE(IndexOf(block, L"(The Developer)"), std::wstring::npos);
    EXPECT_NE(IndexOf(block, L"Moravelt 2nd Generation"), std::wstring::npos);
    EXPECT_EQ(block[block.size() - 2], startup::kMakerWeb);
    EXPECT_EQ(block.back(), startup::kMakerSocial);

    // Two empty lines, then the sentence shown under the box, ending the text.
    ASSERT_EQ(close + 4, lines.size());
    EXPECT_EQ(lines[close + 1], L"");
    EXPECT_EQ(lines[close + 2], L"");
    EXPECT_EQ(lines[close + 3], std::wstring(L"BY USING THE SOFTWARE, YOU ACCEPT THESE TERMS.  IF "
                                             L"YOU DO NOT ACCEPT THEM, DO NOT USE THE SOFTWARE."));
}

TEST(TermsText, NamesTheMakerAndShoutsWhereItMatters) {
    const std::wstring& text = startup::TermsText();
    EXPECT_NE(text.find(L"Moravelt"), std::wstring::npos);
    EXPECT_NE(text.find(L"MORAVELT"), std::wstring::npos);
    EXPECT_NE(text.find(L"personal, non-transferable, non-exclusive and revocable"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"non-commercial use only"), std::wstring::npos);
    EXPECT_NE(text.find(L"DELETE ALL COPIES"), std::wstring::npos);
}

TEST(FirstRunRecordLines, FiveLinesWithTheProductFourth) {
    auto lines = startup::FirstRunRecordLines(L"12/8/2026 2:05:09 PM");
    EXPECT_EQ(lines[0], L"www.moravelt.example");
    EXPECT_EQ(lines[1].rfind(L"Developer: ", 0), 0u);
    EXPECT_GT(lines[1].size(), 11u);
    EXPECT_EQ(lines[2], L"www.social.example/moravelt");
    EXPECT_EQ(lines[3], L"Dorvane");
    EXPECT_EQ(lines[4], L"12/8/2026 2:05:09 PM");

    // Written and read back, each line is one item and the date is the fifth.
    std::wstring text = startup::FirstRunRecordText(lines);
    std::string bytes(text.begin(), text.end());  // plain ASCII
    auto items = startup::ReadRecordItems(bytes);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[startup::kFirstStartItem], "12/8/2026 2:05:09 PM");
    EXPECT_EQ(items[3], "Dorvane");
    for (const std::wstring& line : lines) EXPECT_EQ(line.find(L','), std::wstring::npos);
}

}  // namespace
