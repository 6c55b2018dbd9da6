// The first-run record on disk and its date.
#include "startup/record_file.h"

#include <oleauto.h>

#include "startup/usage_line.h"
#include "win/handles.h"
#include "win/text.h"

namespace startup {

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteAnsiFile(const std::wstring& path, const std::wstring& text) {
    win::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string bytes = win::ToAnsi(text);
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

std::optional<std::string> ReadSmallFile(const std::wstring& path, size_t maxBytes) {
    win::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        if (!ReadFile(file.Get(), &bytes[got], static_cast<DWORD>(bytes.size() - got), &n, nullptr))
            return std::nullopt;
        if (n == 0) break;  // shrank while we read: keep what is there
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

std::optional<long long> DaysSinceRecorded(const std::wstring& recorded, const SYSTEMTIME& today) {
    if (recorded.empty()) return std::nullopt;
    // The system's own reading of a date in the user's locale, as the record was written.
    // (A copy: some headers declare the text argument without const.)
    std::wstring text = recorded;
    DATE from = 0;
    if (FAILED(VarDateFromStr(&text[0], LOCALE_USER_DEFAULT, 0, &from))) return std::nullopt;
    SYSTEMTIME day = today;
    day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
    DATE to = 0;
    if (!SystemTimeToVariantTime(&day, &to)) return std::nullopt;
    return CalendarDaysBetween(from, to);
}

}  // namespace startup
