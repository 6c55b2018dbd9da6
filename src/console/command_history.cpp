#include "console/command_history.h"

namespace console {

void CommandHistory::Add(const std::wstring& line) {
    if (lines_.empty() || lines_.back() != line) lines_.push_back(line);
    while (lines_.size() > kMaxLines) lines_.pop_front();
    at_ = lines_.size();
}

bool CommandHistory::Older(std::wstring& line) {
    if (lines_.empty()) return false;
    if (at_ > 0) --at_;
    line = lines_[at_];
    return true;
}

bool CommandHistory::Newer(std::wstring& line) {
    if (at_ >= lines_.size()) return false;
    ++at_;
    line = at_ < lines_.size() ? lines_[at_] : std::wstring();
    return true;
}

}  // namespace console
