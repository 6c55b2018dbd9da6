// Handlers of the start-up screens skip a step that fails, silently, and go on with the next:
// a start-up screen must never stand between the user and the program with an error box.
#pragma once

namespace startup {

template <typename Step>
void ResumeNext(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace startup
