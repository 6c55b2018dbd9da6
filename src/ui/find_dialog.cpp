#include "ui/find_dialog.h"

#include <dlgs.h>

#include <algorithm>

#include "ui/busy_pump.h"
#include "ui/form.h"
#include "ui/kit.h"

namespace ui {

FindDialog::~FindDialog() {
    // Its requests no longer come here, whatever the dialog sends on its way out.
    fr_.lCustData = 0;
    if (HWND h = Hwnd()) {
        kit::RemoveModeless(h);
        DestroyWindow(h);
    }
}

UINT FindDialog::Message() {
    static const UINT message = RegisterWindowMessageW(FINDMSGSTRINGW);
    return message;
}

HWND FindDialog::Hwnd() const { return hwnd_ && IsWindow(hwnd_) ? hwnd_ : nullptr; }

FindDialog::Request FindDialog::Current() const {
    return {what_, (flags_ & FR_MATCHCASE) != 0, (flags_ & FR_DOWN) != 0};
}

bool FindDialog::Show(HWND owner, const std::wstring* what) {
    if (what) {
        const size_t n = std::min(what->size(), kLongest);
        std::copy_n(what->data(), n, what_);
        what_[n] = L'\0';
    }
    if (HWND open = Hwnd()) {
        if (what) {
            SetDlgItemTextW(open, edt1, what_);
            SendDlgItemMessageW(open, edt1, EM_SETSEL, 0, -1);
        }
        ShowWindow(open, SW_SHOW);
        SetActiveWindow(open);
        SetFocus(GetDlgItem(open, edt1));
        return true;
    }
    fr_ = {};
    fr_.lStructSize = sizeof fr_;
    fr_.hwndOwner = owner;
    fr_.Flags = (flags_ & (FR_DOWN | FR_MATCHCASE)) | FR_HIDEWHOLEWORD;
    fr_.lpstrFindWhat = what_;
    fr_.wFindWhatLen = static_cast<WORD>(kLongest + 1);
    fr_.lCustData = reinterpret_cast<LPARAM>(this);
    hwnd_ = FindTextW(&fr_);
    if (!hwnd_) return false;
    kit::AddModeless(hwnd_);
    return true;
}

LRESULT FindDialog::Dispatch(LPARAM lp) {
    auto* fr = reinterpret_cast<FINDREPLACEW*>(lp);
    if (!fr || fr->lStructSize != sizeof(FINDREPLACEW) || !fr->lCustData) return 0;
    reinterpret_cast<FindDialog*>(fr->lCustData)->OnMessage();
    return 0;
}

void FindDialog::OnMessage() {
    if (fr_.Flags & FR_DIALOGTERM) {
        kit::RemoveModeless(hwnd_);
        hwnd_ = nullptr;
        return;
    }
    if (!(fr_.Flags & FR_FINDNEXT)) return;
    flags_ = fr_.Flags;
    // A run holds every handler of the program, and this one too.
    if (BusyPump::Current() || !FindNext) return;
    const Request request = Current();
    Guarded([&] { FindNext(request); });
}

}  // namespace ui
