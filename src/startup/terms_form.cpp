// mvTerms: the terms screen and the first-run record.
// Its handlers skip a step that fails, silently, and go on with the next (resume next): a
// start-up screen must never stand between the user and the program with an error box.
#include "startup/terms_form.h"

#include <optional>

#include "startup/first_run_record.h"
#include "startup/maker.h"
#include "startup/terms_text.h"
#include "startup/usage_line.h"
#include "ui/error_modes.h"
#include "ui/runtime.h"
#include "win/text.h"

namespace startup {
namespace {

using ui::Kind;

const COLORREF kNone = ui::kDefaultColor;
const COLORREF kLilac = RGB(192, 192, 255);
const COLORREF kWhite = RGB(255, 255, 255);
const ui::FontSpec kDefault = {};

const wchar_t kExit[] = L"E&xit";
const wchar_t kAccept[] = L"Ac&cept";

// Our record is five short lines; anything much larger was never written by us.
const size_t kLargestRecord = 64 * 1024;

std::vector<ui::ControlDef> Layout() {
    // The check box takes the system's window colours, and follows them when they change.
    const COLORREF window = ui::SysColor(COLOR_WINDOW);
    const COLORREF windowText = ui::SysColor(COLOR_WINDOWTEXT);
    // clang-format off
    // name, kind, caption, left, top, width, height, tab, frame, flags, font, back, fore, picture
    return {
        {L"Label2", Kind::Label, L"First Time Use Pop-up Menu", 4080, 120, 5535, 375, -1, nullptr, ui::kTransparent, {L"Tahoma", 14.25, false}, kNone, kWhite, 0},
        // Read-only as well as guarded by its handlers, so that not even a paste from its
        // context menu can change the terms.
        {L"Text1", Kind::TextBox, L"", 3000, 3600, 5415, 5535, 2, nullptr, ui::kMultiLine | ui::kVScroll | ui::kReadOnly, {L"Palatino Linotype", 9.75, false}, kLilac, kNone, 0},
        {L"Label1", Kind::Label, kAcceptSentence, 2520, 9360, 6255, 735, -1, nullptr, ui::kTransparent, {L"Tahoma", 9, true}, kNone, kNone, 0},
        {L"Check1", Kind::CheckBox, L"I Accept the End User License Agreement", 2640, 9840, 4575, 375, 1, nullptr, 0, kDefault, window, windowText, 0},
        {L"Command1", Kind::Button, kExit, 7320, 9720, 1335, 615, 0, nullptr, ui::kGraphical, kDefault, kLilac, kNone, 0},
        {L"Text2", Kind::TextBox, L"", 1080, 360, 3735, 495, -1, nullptr, ui::kHidden, kDefault, kNone, kNone, 0},
        {L"Text3", Kind::TextBox, L"", 1080, 960, 3735, 495, -1, nullptr, ui::kHidden, kDefault, kNone, kNone, 0},
        {L"lstEmployee", Kind::ListBox, L"", 0, 0, 735, 870, -1, nullptr, ui::kHidden, kDefault, kNone, kNone, 0},
    };
    // clang-format on
}

ui::FormDef Definition(const Artwork& art) {
    return {L"mvTerms",
            8985,
            10485,
            ui::Border::None,
            RGB(236, 236, 232),
            {L"Tahoma", 11.25, false},
            art.picture,
            art.icon};
}

}  // namespace

TermsForm::TermsForm(ui::Form& main, const Artwork& art, std::wstring recordFolder)
    : form_(Definition(art), Layout()),
      main_(main),
      recordFolder_(std::move(recordFolder)),
      recordPath_(recordFolder_ + L"\\" + kRecordName) {
    form_.Load = [this] { Form_Load(); };
    form_.Design(L"Check1").Click = [this] { Check1_Click(); };
    form_.Design(L"Command1").Click = [this] { Command1_Click(); };
    form_.Design(L"Text1").GotFocus = [this] { Text1_GotFocus(); };
    form_.Design(L"Text1").KeyPress = [this](int& key) { Text1_KeyPress(key); };
    // The terms under the screen's title: no label of their own stands near them.
    form_.Design(L"Text1").SetLabelledBy(L"Label2");
}

void TermsForm::Form_Load() {
    // The box holds the terms from the start, as a design-time text would.
    ui::ResumeNext([&] { form_[L"Text1"].SetText(TermsText()); });
    bool recorded = false;
    ui::ResumeNext([&] { recorded = FileExists(recordPath_); });
    if (!recorded) {
        // The first start: note it, and let the user read the terms.
        WriteRecord();
        return;
    }
    ReadRecord();
    ui::Control& list = form_[L"lstEmployee"];
    ui::ResumeNext([&] { list.SetListIndex(kFirstStartItem); });
    ui::ResumeNext([&] {
        form_[L"Text2"].SetText(list.ListIndex() < 0 ? std::wstring()
                                                     : list.List(list.ListIndex()));
    });
    std::optional<long long> total;
    ui::ResumeNext([&] { total = DaysSinceRecorded(form_[L"Text2"].Text(), ui::Rt().Now()); });
    ui::ResumeNext([&] { form_[L"Text3"].SetText(UsageLine(total)); });
    mora();
}

void TermsForm::WriteRecord() {
    // Only the last level is made: without C:\SAVE nothing is written, and the next start is
    // a first start again.
    ui::ResumeNext([&] { CreateDirectoryW(recordFolder_.c_str(), nullptr); });
    ui::ResumeNext([&] {
        WriteAnsiFile(recordPath_,
                      FirstRunRecordText(FirstRunRecordLines(ui::GeneralDateText(ui::Rt().Now()))));
    });
}

void TermsForm::ReadRecord() {
    std::optional<std::string> bytes;
    ui::ResumeNext([&] { bytes = ReadSmallFile(recordPath_, kLargestRecord); });
    if (!bytes) return;  // cannot be opened or read: no items
    ui::Control& list = form_[L"lstEmployee"];
    for (const std::string& item : ReadRecordItems(*bytes)) {
        ui::ResumeNext([&] {
            employee_ = win::FromAnsi(item);
            list.AddItem(employee_);
        });
    }
}

void TermsForm::mora() {
    ui::ResumeNext([&] { main_[L"mvIns"].SetText(form_[L"Text3"].Text()); });
    ui::ResumeNext([&] { main_.Show(); });
    ui::ResumeNext([&] { form_.Unload(); });
}

void TermsForm::Check1_Click() {
    form_[L"Command1"].SetText(form_[L"Check1"].Value() == 1 ? kAccept : kExit);
}

void TermsForm::Command1_Click() {
    std::wstring caption;
    ui::ResumeNext([&] { caption = form_[L"Command1"].Text(); });
    if (caption == kExit) {
        // Declined: forget this start, so that the next one shows the terms again.
        ui::ResumeNext([&] { DeleteFileW(recordPath_.c_str()); });
        ui::Rt().End();
    }
    ui::ResumeNext([&] {
        ui::Rt().ShellOpen(form_.Hwnd(), L"Open", kMakerPhotos, L"", ui::ProgramFolder(),
                           SW_SHOWNORMAL);
    });
    mora();
}

void TermsForm::Text1_GotFocus() { form_[L"Command1"].SetFocus(); }

void TermsForm::Text1_KeyPress(int& keyAscii) { keyAscii = 0; }

}  // namespace startup
