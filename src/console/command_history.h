// The command lines run in this session, walked with Up and Down in the command box as a
// console does: Up goes to older lines, Down back to newer ones and, past the newest, to an
// empty line. A line run twice in a row is kept once; the oldest go beyond 100 lines.
#pragma once
#include <deque>
#include <string>

namespace console {

class CommandHistory {
public:
    static constexpr size_t kMaxLines = 100;

    // A line that was run; the walk starts again from the newest.
    void Add(const std::wstring& line);
    // The line one older than the one shown (the oldest stays); false when there is none.
    bool Older(std::wstring& line);
    // The line one newer, or an empty line past the newest; false when not walking.
    bool Newer(std::wstring& line);
    size_t Size() const { return lines_.size(); }

private:
    std::deque<std::wstring> lines_;  // oldest first
    size_t at_ = 0;                   // the line shown, counted from the oldest; Size(): none
};

}  // namespace console
