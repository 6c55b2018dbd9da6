// The Win32 side of the first-run record: the file itself and the recorded date as the
// system reads dates.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace startup {

// Where the record lives.
inline constexpr const wchar_t* kRecordFolder = L"C:\\SAVE\\MV";
inline constexpr const wchar_t* kRecordName = L"mv006.txt";

// A file (not a folder) of that path exists.
bool FileExists(const std::wstring& path);

// Creates or empties the file and writes the text in the ANSI code page. False on any failure.
bool WriteAnsiFile(const std::wstring& path, const std::wstring& text);

// The file's bytes; nothing when it cannot be opened or read whole, or is larger than
// maxBytes (then it is not a record of ours).
std::optional<std::string> ReadSmallFile(const std::wstring& path, size_t maxBytes);

// Calendar days from the date in `recorded` (read as the user's locale reads a date) to
// `today`; nothing when the text is no date.
std::optional<long long> DaysSinceRecorded(const std::wstring& recorded, const SYSTEMTIME& today);

}  // namespace startup
