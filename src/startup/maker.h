// Who made Dorvane and where to find them: the addresses the start-up screens show, open and
// record.
#pragma once

namespace startup {

inline constexpr const wchar_t* kMakerWeb = L"www.moravelt.example";
inline constexpr const wchar_t* kMakerSocial = L"www.social.example/moravelt";
// Opened when the terms are accepted.
inline constexpr const wchar_t* kMakerPhotos = L"www.social.example/moravelt/photos";
inline constexpr const wchar_t* kDeveloperCredit = L"Moravelt Development Team";
inline constexpr const wchar_t* kProductName = L"Dorvane";

// The sentence under the terms, repeated as the terms text's last line.
inline constexpr const wchar_t* kAcceptSentence =
    L"BY USING THE SOFTWARE, YOU ACCEPT THESE TERMS.  IF YOU DO NOT ACCEPT THEM, DO NOT USE THE "
    L"SOFTWARE.";

}  // namespace startup
