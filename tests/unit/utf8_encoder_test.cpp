// UTF-16 to UTF-8 a part at a time: the bytes do not depend on where the parts end, even
// between the halves of a surrogate pair, and a lone surrogate becomes U+FFFD.
#include "console/utf8_encoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using console::Utf8Encoder;

// The text in parts of the given lengths (the rest as the last part), as bytes.
std::string Encode(const std::wstring& text, const std::vector<size_t>& cuts) {
    Utf8Encoder enc;
    std::string out;
    size_t at = 0;
    auto part = [&](size_t n) {
        std::vector<char> buf(Utf8Encoder::MaxBytes(n));
        size_t got = enc.Encode(text.data() + at, n, buf.data());
        EXPECT_LE(got, buf.size());
        out.append(buf.data(), got);
        at += n;
    };
    for (size_t n : cuts) part(n);
    part(text.size() - at);
    char tail[3];
    out.append(tail, enc.Finish(tail));
    return out;
}

struct Case {
    std::wstring text;
    std::string bytes;
};

const Case kCases[] = {
    {L"dir\r\n", "dir\r\n"},
    {L"caf\xE9", "caf\xC3\xA9"},
    {L"\x43E\x442\x447\x451\x442", "\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82"},
    {L"\x20AC 5", "\xE2\x82\xAC 5"},
    {L"a\xD83D\xDE00z", "a\xF0\x9F\x98\x80z"},
    {L"\xD83D\xDE00\xD83D\xDE01", "\xF0\x9F\x98\x80\xF0\x9F\x98\x81"},
    // Lone halves, wherever they stand.
    {L"a\xD83Dz", "a\xEF\xBF\xBDz"},
    {L"a\xDE00z", "a\xEF\xBF\xBDz"},
    {L"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    {L"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    {L"abcdefgh\x7F\x80", "abcdefgh\x7F\xC2\x80"},
    {L"abcdefghijklmnopqrstuvwxyz\xE9!", "abcdefghijklmnopqrstuvwxyz\xC3\xA9!"},
};

TEST(Utf8Encoder, EveryTextAsAWholeAndCutAtEveryPlace) {
    for (const Case& c : kCases) {
        const std::wstring& t = c.text;
        EXPECT_EQ(Encode(t, {}), c.bytes) << "whole, case #" << (&c - kCases);
        for (size_t cut = 0; cut <= t.size(); ++cut)
            EXPECT_EQ(Encode(t, {cut}), c.bytes) << "cut at " << cut << ", case #" << (&c - kCases);
        EXPECT_EQ(Encode(t, std::vector<size_t>(t.size(), 1)), c.bytes)
            << "a unit at a time, case #" << (&c - kCases);
    }
}

TEST(Utf8Encoder, AHighHalfWaitsOverEmptyPartsForItsLowHalf) {
    const std::wstring t = L"x\xD83D\xDE00";
    EXPECT_EQ(Encode(t, {2, 0, 0}), "x\xF0\x9F\x98\x80");
    Utf8Encoder enc;
    char buf[16];
    EXPECT_EQ(enc.Encode(t.data(), 2, buf), 1u);
    EXPECT_EQ(enc.Finish(buf), 3u) << "the text ended after the high half";
    EXPECT_EQ(std::string(buf, 3), "\xEF\xBF\xBD");
    EXPECT_EQ(enc.Finish(buf), 0u);
}

}  // namespace
