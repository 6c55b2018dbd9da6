#include "console/output_decoder.h"

#include <algorithm>

namespace console {

bool OutputDecoder::LooksLikeUtf16(std::string_view first) {
    if (first.size() >= 2 && static_cast<unsigned char>(first[0]) == 0xFF &&
        static_cast<unsigned char>(first[1]) == 0xFE)
        return true;
    // Text of the ANSI code page has no zero bytes; UTF-16 of Latin text has one in every pair.
    size_t n = std::min<size_t>(first.size(), 64) & ~size_t{1};
    if (n < 2) return false;
    bool evenAllZero = true;
    for (size_t i = 0; i < n; i += 2) {
        if (first[i + 1] != '\0') return false;
        if (first[i] != '\0') evenAllZero = false;
    }
    return !evenAllZero;
}

std::wstring OutputDecoder::Feed(std::string_view bytes) {
    std::string held;
    if (encoding_ == Encoding::Undecided && !pendingByte_.empty()) {
        held = pendingByte_ + std::string(bytes);
        pendingByte_.clear();
        bytes = held;
    }
    // A first read of the mark's first byte alone cannot be told yet: it waits for the next.
    if (encoding_ == Encoding::Undecided && bytes.size() == 1 &&
        static_cast<unsigned char>(bytes[0]) == 0xFF) {
        pendingByte_.assign(bytes);
        return std::wstring();
    }
    if (encoding_ == Encoding::Undecided && !bytes.empty()) {
        encoding_ = LooksLikeUtf16(bytes) ? Encoding::Utf16 : Encoding::Ansi;
        if (encoding_ == Encoding::Utf16 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
            static_cast<unsigned char>(bytes[1]) == 0xFE)
            bytes.remove_prefix(2);  // the mark says how to read; it is not text
    }
    if (encoding_ == Encoding::Utf16) return Utf16(bytes);
    return bytes.empty() ? std::wstring() : ansi_(bytes);
}

std::wstring OutputDecoder::Utf16(std::string_view bytes) {
    std::string joined;
    if (!pendingByte_.empty()) {
        joined = pendingByte_ + std::string(bytes);
        pendingByte_.clear();
        bytes = joined;
    }
    std::wstring text;
    if (pendingHigh_) text.push_back(pendingHigh_);
    pendingHigh_ = 0;
    size_t whole = bytes.size() & ~size_t{1};
    text.reserve(text.size() + whole / 2);
    for (size_t i = 0; i < whole; i += 2) {
        auto lo = static_cast<unsigned char>(bytes[i]),
             hi = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(lo | (hi << 8)));
    }
    if (whole < bytes.size()) pendingByte_.assign(1, bytes[whole]);
    // A high surrogate at the end waits for the low half that the next read brings.
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) {
        pendingHigh_ = text.back();
        text.pop_back();
    }
    return text;
}

std::wstring OutputDecoder::Finish() {
    if (encoding_ == Encoding::Undecided && !pendingByte_.empty()) {
        encoding_ = Encoding::Ansi;
        std::wstring text = ansi_(pendingByte_);
        pendingByte_.clear();
        return text;
    }
    std::wstring text;
    if (pendingHigh_) text.push_back(pendingHigh_);
    if (!pendingByte_.empty()) text.push_back(static_cast<wchar_t>(0xFFFD));
    pendingHigh_ = 0;
    pendingByte_.clear();
    return text;
}

}  // namespace console
