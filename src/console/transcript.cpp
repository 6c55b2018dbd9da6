#include "console/transcript.h"

#include <windows.h>
#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "console/text_file.h"
#include "console/text_search.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "ui/modal.h"
#include "ui/runtime.h"
#include "ui/text/text_view.h"

namespace console {
namespace {

// The system's upper case of every UTF-16 unit, locale-independent, as its ordinal comparison
// that ignores case has it. Surrogate halves stay as they are.
const CaseFold& SystemFold() {
    static const CaseFold fold = [] {
        std::vector<wchar_t> table(0x10000);
        for (size_t c = 0; c < table.size(); ++c) table[c] = static_cast<wchar_t>(c);
        for (const auto& span : {std::make_pair(0x0000, 0xD800), std::make_pair(0xE000, 0x10000)}) {
            wchar_t* from = table.data() + span.first;
            const int n = span.second - span.first;
            std::vector<wchar_t> upper(static_cast<size_t>(n));
            if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, from, n, upper.data(), n,
                              nullptr, nullptr, 0) == n)
                std::copy(upper.begin(), upper.end(), from);
            else
                CharUpperBuffW(from, static_cast<DWORD>(n));
        }
        return CaseFold(std::move(table));
    }();
    return fold;
}

ReadText ReaderOf(HWND box) {
    return [box](size_t a, size_t n, wchar_t* out) {
        if (!ui::ReadTextView(box, a, n, out)) std::fill_n(out, n, L'\0');
    };
}

size_t TextLength(HWND box) {
    return static_cast<size_t>(SendMessageW(box, WM_GETTEXTLENGTH, 0, 0));
}

std::pair<size_t, size_t> Selection(HWND box) {
    DWORD a = 0, b = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {a, b};
}

// The selection, when it is a part of one line that the dialog can take.
std::wstring SelectedLine(HWND box) {
    const auto sel = Selection(box);
    const size_t n = sel.second - sel.first;
    if (sel.second <= sel.first || n > ui::FindDialog::kLongest) return std::wstring();
    std::wstring s(n, L'\0');
    if (!ui::ReadTextView(box, sel.first, n, &s[0])) return std::wstring();
    return s.find_first_of(L"\r\n") == std::wstring::npos ? s : std::wstring();
}

std::wstring DocumentsFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path))) folder = path;
    CoTaskMemFree(path);
    return folder;
}

// The file the user names in the system's Save As dialog, or nothing when cancelled.
std::optional<std::wstring> AskSaveName() {
    const std::wstring folder = DocumentsFolder();
    std::vector<wchar_t> file(32768, L'\0');
    const wchar_t suggested[] = L"transcript.txt";
    std::copy(std::begin(suggested), std::end(suggested), file.begin());
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ui::ModalOwner();
    ofn.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = L"txt";
    // The program's current folder is where commands run: the dialog leaves it as it was.
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                OFN_NOCHANGEDIR | OFN_ENABLESIZING;
    // Modal to the whole program, as its boxes are: the Find dialog waits too.
    ui::DisabledWindows others(ofn.hwndOwner);
    const BOOL chosen = GetSaveFileNameW(&ofn);
    others.Restore();
    if (!chosen) {
        if (const DWORD error = CommDlgExtendedError())
            throw ui::RuntimeError(static_cast<long>(error), L"Cannot show the Save As dialog");
        return std::nullopt;
    }
    return std::wstring(file.data());
}

}  // namespace

Transcript::Transcript(ui::Form& form, ui::Control& outputs) : form_(form), outputs_(outputs) {
    dialog_.FindNext = [this](const ui::FindDialog::Request& r) {
        ui::ReportErrors([&] { FindNext(r); });
    };
}

bool Transcript::Key(int keyCode, int shift) {
    const int kShift = 1, kCtrl = 2;
    if (shift == kCtrl && keyCode == 'F') {
        Find();
    } else if (shift == kCtrl && keyCode == 'S') {
        SaveAs();
    } else if (keyCode == VK_F3 && (shift == 0 || shift == kShift)) {
        FindAgain(shift == kShift);
    } else {
        return false;
    }
    return true;
}

void Transcript::Find() {
    HWND box = outputs_.Hwnd();
    if (!box || !form_.Loaded()) return;
    const std::wstring line = SelectedLine(box);
    if (!dialog_.Show(form_.Hwnd(), line.empty() ? nullptr : &line))
        throw ui::RuntimeError(static_cast<long>(CommDlgExtendedError()),
                               L"Cannot show the Find dialog");
}

void Transcript::FindAgain(bool previous) {
    ui::FindDialog::Request request = dialog_.Current();
    if (request.what.empty()) {
        Find();
        return;
    }
    request.down = !previous;
    FindNext(request);
}

bool Transcript::FindNext(const ui::FindDialog::Request& request) {
    HWND box = outputs_.Hwnd();
    if (!box || request.what.empty()) return false;
    const auto sel = Selection(box);
    TextFinder finder(request.what, request.matchCase ? nullptr : &SystemFold());
    const size_t at = FindAround(finder, ReaderOf(box), TextLength(box),
                                 request.down ? sel.second : sel.first, request.down);
    if (at == TextFinder::npos) {
        ui::Rt().MsgBox(L"Cannot find \"" + request.what + L"\"", MB_OK | MB_ICONINFORMATION,
                        std::nullopt);
        return false;
    }
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(at),
                 static_cast<LPARAM>(at + finder.Length()));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
    return true;
}

void Transcript::SaveAs() {
    if (!outputs_.Hwnd()) return;
    if (std::optional<std::wstring> path = AskSaveName()) SaveTo(*path);
}

bool Transcript::SaveTo(const std::wstring& path) {
    HWND box = outputs_.Hwnd();
    if (!box) return false;
    HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const DWORD error = TextFile::WriteUtf8(
        path, TextLength(box), [box](size_t a, size_t n, const TextFile::Piece& piece) {
            return ui::VisitTextView(box, a, n, piece);
        });
    SetCursor(before);
    if (error == ERROR_SUCCESS) return true;
    ui::Rt().MsgBox(L"Cannot save " + path + L"\r\n\r\n" + TextFile::Reason(error),
                    MB_OK | MB_ICONERROR, std::nullopt);
    return false;
}

}  // namespace console
