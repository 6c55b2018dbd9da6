#include "console/utf8_encoder.h"

#include <cwchar>

#if (defined(__SSE2__) || defined(_M_X64)) && WCHAR_MAX <= 0xFFFF
#include <emmintrin.h>
#endif

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

// Console output is mostly ASCII: the run of ASCII units at the start of s, copied to o as
// they are, sixteen units at a time with SSE2 where the build has it, else four; returns
// how many it took (it may leave the last few units of a run to the caller).
size_t AsciiRun(const wchar_t* s, size_t n, char* o) {
    size_t i = 0;
#if (defined(__SSE2__) || defined(_M_X64)) && WCHAR_MAX <= 0xFFFF
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
        const __m128i beyond = _mm_and_si128(_mm_or_si128(a, b), high);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(beyond, zero)) != 0xFFFF) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i + 4 <= n; i += 4) {
        if ((UnitOf(s[i]) | UnitOf(s[i + 1]) | UnitOf(s[i + 2]) | UnitOf(s[i + 3])) & ~0x7Fu) break;
        o[i] = static_cast<char>(s[i]);
        o[i + 1] = static_cast<char>(s[i + 1]);
        o[i + 2] = static_cast<char>(s[i + 2]);
        o[i + 3] = static_cast<char>(s[i + 3]);
    }
    return i;
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
        const size_t run = AsciiRun(s + i, n - i, o);
        i += run;
        o += run;
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
