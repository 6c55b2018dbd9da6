// UTF-16 text, handed over a part at a time, as UTF-8. A surrogate pair that the parts split
// is joined again; a surrogate without its partner becomes U+FFFD, as the system's own
// conversion writes it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace console {

class Utf8Encoder {
public:
    // The most bytes Encode writes for n units (Finish: for 0).
    static constexpr size_t MaxBytes(size_t n) { return (sizeof(wchar_t) == 2 ? 3 : 4) * n + 3; }

    // Writes the UTF-8 of s[0, n) to out, which has room for MaxBytes(n); a high surrogate at
    // the end waits for the next part. Returns the number of bytes written.
    size_t Encode(const wchar_t* s, size_t n, char* out);
    // The text has ended: a high surrogate still waiting is written as U+FFFD.
    size_t Finish(char* out);

private:
    uint32_t pending_ = 0;
};

}  // namespace console
