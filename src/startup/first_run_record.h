// The first-run record file: writing its text and reading its items back.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace startup {

// The five record lines, each followed by CR LF.
std::wstring FirstRunRecordText(const std::array<std::wstring, 5>& lines);

// What a first start records: the maker's web address, the developer credit, the maker's
// social page, the product name and the first start's date and time as given.
std::array<std::wstring, 5> FirstRunRecordLines(const std::wstring& firstStart);

// Where the first start's date sits among the record's items.
constexpr int kFirstStartItem = 4;

// Splits the record file's raw bytes into items the way a classic BASIC "Input #" read does:
//  - Items are ended by a comma or a line end (CR LF, lone CR or lone LF). Each separator
//    ends exactly one item, so an empty line and the gap in "a,,b" each give an empty item.
//  - Blanks and tabs before an item are skipped.
//  - An unquoted item runs to its separator, with trailing blanks and tabs trimmed.
//  - A quoted item is the text between its double quotes, commas and line ends included;
//    anything after the closing quote up to and including the next separator is dropped.
//    A quote left open takes the rest of the input.
//  - When nothing but blanks and tabs is left after the last separator no further item is
//    produced, so the final CR LF does not add an empty item.
// Every byte value is ordinary data. Items come back as raw bytes for the caller to convert
// from the ANSI code page.
std::vector<std::string> ReadRecordItems(std::string_view bytes);

}  // namespace startup
