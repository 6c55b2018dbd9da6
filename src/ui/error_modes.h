// The three ways a handler treats a runtime error, each spelled once, and the catch that
// stands at every place where the system calls into the program.
#pragma once
#include <exception>
#include <utility>

namespace ui {

// Shows the report of a caught error: "description - source - number", OK only (style 0).
void ReportError(const std::exception& e) noexcept;
// The same for something thrown that is not a std::exception.
void ReportUnknownError() noexcept;

// Resume next: a step that fails is skipped without a word, and the next one runs.
template <typename Step>
void ResumeNext(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
    } catch (...) {
    }
}

// Catch and report: the handler stops at the failing step and reports the error in a box.
template <typename Body>
void ReportErrors(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception& e) {
        ReportError(e);
    } catch (...) {
        ReportUnknownError();
    }
}

// The edge of a callback from the system (window, dialog, enumeration, thread, timer and hook
// procedures): nothing thrown crosses it; a failure answers `fallback`. The 32-bit build cannot
// unwind through a frame of the system at all (an exception there ends the program), so this
// is the house rule, checked by scripts/check_boundaries.sh: the whole body of every such
// procedure is one call of AtBoundary.
template <typename R, typename Body>
R AtBoundary(R fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}

// The same for a procedure that answers nothing (a thread's body).
template <typename Body>
void AtBoundary(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

}  // namespace ui
