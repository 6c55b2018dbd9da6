// The first-run record file: writing its text and reading its items back.
#include "startup/first_run_record.h"

#include <cstddef>

#include "startup/maker.h"

namespace startup {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Steps past the separator at `pos` (if any); CR LF counts as one.
std::size_t SkipSeparator(std::string_view bytes, std::size_t pos) {
    if (pos >= bytes.size()) {
        return pos;
    }
    if (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') {
        return pos + 2;
    }
    return pos + 1;
}

std::size_t FindSeparator(std::string_view bytes, std::size_t pos) {
    while (pos < bytes.size() && bytes[pos] != ',' && !IsLineEnd(bytes[pos])) {
        ++pos;
    }
    return pos;
}

}  // namespace

std::wstring FirstRunRecordText(const std::array<std::wstring, 5>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

std::array<std::wstring, 5> FirstRunRecordLines(const std::wstring& firstStart) {
    return {kMakerWeb, std::wstring(L"Developer: ") + kDeveloperCredit, kMakerSocial, kProductName,
            firstStart};
}

std::vector<std::string> ReadRecordItems(std::string_view bytes) {
    std::vector<std::string> items;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        while (pos < bytes.size() && IsBlank(bytes[pos])) {
            ++pos;
        }
        if (pos == bytes.size()) {
            break;  // only blanks after the last separator
        }

        if (bytes[pos] == '"') {
            const std::size_t start = pos + 1;
            std::size_t close = bytes.find('"', start);
            if (close == std::string_view::npos) {
                close = bytes.size();
            }
            items.emplace_back(bytes.substr(start, close - start));
            pos = SkipSeparator(bytes, FindSeparator(bytes, close));
            continue;
        }

        const std::size_t end = FindSeparator(bytes, pos);
        std::size_t trimmed = end;
        while (trimmed > pos && IsBlank(bytes[trimmed - 1])) {
            --trimmed;
        }
        items.emplace_back(bytes.substr(pos, trimmed - pos));
        pos = SkipSeparator(bytes, end);
    }
    return items;
}

}  // namespace startup
