// Runtime errors as handlers report them, and the kit's own catch around every event.
#include "ui/error_modes.h"

#include <windows.h>

#include <new>
#include <stdexcept>

#include "ui/form.h"
#include "ui/runtime.h"
#include "win/text.h"

namespace ui {
namespace {

// The error's source when it names none: the program's name, as the runtime reports it.
std::wstring ModuleBaseName() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s = path;
    size_t slash = s.find_last_of(L"\\/");
    if (slash != std::wstring::npos) s = s.substr(slash + 1);
    size_t dot = s.find_last_of(L'.');
    if (dot != std::wstring::npos) s = s.substr(0, dot);
    return s;
}

}  // namespace

RuntimeError::RuntimeError(long n, std::wstring d, std::wstring s)
    : std::runtime_error(win::ToAnsi(d)),
      number(n),
      description(std::move(d)),
      source(std::move(s)) {}

std::wstring ErrorReportText(const std::exception& e) {
    std::wstring source = ModuleBaseName();
    if (auto* re = dynamic_cast<const RuntimeError*>(&e)) {
        return re->description + L" - " + (re->source.empty() ? source : re->source) + L" - " +
               std::to_wstring(re->number);
    }
    // A string or vector asked to grow past its largest size is out of memory as well
    // (in a 32-bit build that comes well before the allocator fails).
    if (dynamic_cast<const std::bad_alloc*>(&e) || dynamic_cast<const std::length_error*>(&e))
        return L"Out of memory - " + source + L" - 7";
    return win::FromAnsi(e.what()) + L" - " + source + L" - 5";
}

void ReportError(const std::exception& e) noexcept {
    ResumeNext([&] { Rt().MsgBox(ErrorReportText(e), MB_OK, std::nullopt); });
}

void ReportUnknownError() noexcept { ReportError(RuntimeError(51, L"Internal error")); }

void Guarded(const std::function<void()>& fn) {
    if (!fn) return;
    try {
        fn();
    } catch (const std::exception& e) {
        ResumeNext([&] { Rt().MsgBox(ErrorReportText(e), MB_OK | MB_ICONERROR, std::nullopt); });
    } catch (...) {
    }
}

}  // namespace ui
