// Reading a child's output as text: ANSI output read by read, exactly as the platform converts
// each read; UTF-16 output recognised from its first bytes and kept whole across reads.
#include "console/output_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using console::OutputDecoder;

// A stand-in for the platform's ANSI conversion that records what it was given.
struct Recorder {
    std::vector<std::string> calls;
    OutputDecoder::AnsiConverter Converter() {
        return [this](std::string_view b) {
            calls.emplace_back(b);
            std::wstring text;
            for (char c : b) text.push_back(static_cast<unsigned char>(c));  // Latin-1
            return text;
        };
    }
};

std::string Utf16Bytes(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

TEST(OutputDecoder, AnsiOutputIsConvertedReadByReadAsItCame) {
    Recorder rec;
    OutputDecoder d(rec.Converter());
    EXPECT_EQ(d.Feed("Volume in drive C"), L"Volume in drive C");
    EXPECT_EQ(d.Feed(std::string("caf\xE9", 4)), std::wstring(L"caf\xE9"));
    EXPECT_EQ(d.Feed(""), L"");
    EXPECT_EQ(d.Finish(), L"");
    EXPECT_EQ(d.GetEncoding(), OutputDecoder::Encoding::Ansi);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"Volume in drive C", "caf\xE9"}));
}

TEST(OutputDecoder, TellsUtf16FromItsFirstBytes) {
    EXPECT_TRUE(OutputDecoder::LooksLikeUtf16("\xFF\xFE"));
    EXPECT_TRUE(OutputDecoder::LooksLikeUtf16(Utf16Bytes(u"dir\r\n")));
    EXPECT_FALSE(OutputDecoder::LooksLikeUtf16("dir\r\n"));
    EXPECT_TRUE(OutputDecoder::LooksLikeUtf16(std::string("a\0", 2)));
    EXPECT_FALSE(OutputDecoder::LooksLikeUtf16("a")) << "too little to tell: read as ANSI";
    EXPECT_FALSE(OutputDecoder::LooksLikeUtf16(std::string(8, '\0'))) << "zeros are no text";
    EXPECT_FALSE(OutputDecoder::LooksLikeUtf16(std::string("ab\0c", 4)));
}

TEST(OutputDecoder, Utf16SplitAnywhereAcrossReadsComesOutWhole) {
    // A mark, Cyrillic, and a character outside the basic plane (a surrogate pair).
    const std::u16string text = u"\u043E\u0442\u0447\u0451\u0442 \U0001F600 ok\r\n";
    const std::string bytes = "\xFF\xFE" + Utf16Bytes(text);
    const std::wstring want(text.begin(), text.end());
    // Every way of cutting the bytes into three reads gives the same text.
    for (size_t a = 1; a < bytes.size(); ++a) {
        for (size_t b = a; b < bytes.size(); b += 3) {
            Recorder rec;
            OutputDecoder d(rec.Converter());
            std::wstring got = d.Feed(bytes.substr(0, a));
            got += d.Feed(bytes.substr(a, b - a));
            got += d.Feed(bytes.substr(b));
            got += d.Finish();
            ASSERT_EQ(got, want) << "cut at " << a << " and " << b;
            ASSERT_TRUE(rec.calls.empty());
        }
    }
}

TEST(OutputDecoder, AnOddByteLeftAtTheEndShowsAsAReplacementCharacter) {
    Recorder rec;
    OutputDecoder d(rec.Converter());
    EXPECT_EQ(d.Feed(Utf16Bytes(u"ab") + "c"), L"ab");
    EXPECT_EQ(d.Finish(), std::wstring(1, static_cast<wchar_t>(0xFFFD)));
}

}  // namespace
