// Turns what a child writes into text, read by read. Most programs write in a code page of
// one or two bytes a character (console programs in their console's, which the runner knows
// and converts from); some write UTF-16 LE (cmd /u, many administration tools). Which one a
// run writes is told by its first read: a byte-order mark, or a zero byte at every odd position.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace console {

class OutputDecoder {
public:
    enum class Encoding { Undecided, Ansi, Utf16 };
    // Converts bytes of the run's code page to text (the platform's conversion).
    using AnsiConverter = std::function<std::wstring(std::string_view)>;

    explicit OutputDecoder(AnsiConverter ansi) : ansi_(std::move(ansi)) {}

    // The text of one read. ANSI output is converted read by read, exactly as it came; UTF-16
    // output keeps a byte or a high surrogate that the read split off for the next one, so a
    // character split over two reads stays whole (and a read may then give no text).
    std::wstring Feed(std::string_view bytes);
    // The end of the output: what is still held back, as text (U+FFFD for a lone byte).
    std::wstring Finish();

    Encoding GetEncoding() const { return encoding_; }

    // Whether a run's first bytes are UTF-16 LE: a byte-order mark, or zero at every odd
    // position (of the first character at least) and not at every even one.
    static bool LooksLikeUtf16(std::string_view first);

private:
    std::wstring Utf16(std::string_view bytes);

    AnsiConverter ansi_;
    Encoding encoding_ = Encoding::Undecided;
    std::string pendingByte_;  // a byte carried to the next read
    wchar_t pendingHigh_ = 0;  // a high surrogate waiting for its low half
};

}  // namespace console
