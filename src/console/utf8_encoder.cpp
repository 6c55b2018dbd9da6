#include "console/utf8_encoder.h"

namespace console {
namespace {

uint32_t UnitOf(wchar_t c) { return static_cast<uint32_t>(c); }
bool IsHigh(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

char* Put(uint32_t cp, char* o) {
    if (cp < 0x80) {
        *o++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *o++ = static_cast<char>(0xC0 | (cp >> 6));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *o++ = static_cast<char>(0xE0 | (cp >> 12));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *o++ = static_cast<char>(0xF0 | (cp >> 18));
        *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return o;
}

constexpr uint32_t kReplacement = 0xFFFD;

uint32_t Pair(uint32_t high, uint32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace

size_t Utf8Encoder::Encode(const wchar_t* s, size_t n, char* out) {
    char* o = out;
    size_t i = 0;
    if (pending_ && n > 0) {
        const uint32_t u = UnitOf(s[0]);
        if (IsLow(u)) {
            o = Put(Pair(pending_, u), o);
            i = 1;
        } else {
            o = Put(kReplacement, o);
        }
        pending_ = 0;
    }
    while (i < n) {
        // Console output is mostly ASCII: four units at a time while they are.
        while (i + 4 <= n &&
               ((UnitOf(s[i]) | UnitOf(s[i + 1]) | UnitOf(s[i + 2]) | UnitOf(s[i + 3])) & ~0x7Fu) ==
                   0) {
            o[0] = static_cast<char>(s[i]);
            o[1] = static_cast<char>(s[i + 1]);
            o[2] = static_cast<char>(s[i + 2]);
            o[3] = static_cast<char>(s[i + 3]);
            o += 4;
            i += 4;
        }
        if (i == n) break;
        const uint32_t u = UnitOf(s[i++]);
        if (IsHigh(u)) {
            if (i == n) {
                pending_ = u;
            } else if (IsLow(UnitOf(s[i]))) {
                o = Put(Pair(u, UnitOf(s[i++])), o);
            } else {
                o = Put(kReplacement, o);
            }
        } else if (IsLow(u) || u > 0x10FFFF) {
            o = Put(kReplacement, o);
        } else {
            o = Put(u, o);
        }
    }
    return static_cast<size_t>(o - out);
}

size_t Utf8Encoder::Finish(char* out) {
    if (!pending_) return 0;
    pending_ = 0;
    return static_cast<size_t>(Put(kReplacement, out) - out);
}

}  // namespace console
