// mvAbout: the about box. Its handlers skip a step that fails, silently, as the start-up
// screens' do.
#include "startup/about_form.h"

#include "startup/maker.h"
#include "ui/error_modes.h"
#include "ui/runtime.h"

namespace startup {
namespace {

using ui::Kind;

const COLORREF kNone = ui::kDefaultColor;
const ui::FontSpec kDefault = {};
const ui::FontSpec kTahoma975 = {L"Tahoma", 9.75, false};

// clang-format off
// name, kind, caption, left, top, width, height, tab, frame, flags, font, back, fore, picture
const std::vector<ui::ControlDef> kLayout = {
    {L"Command1", Kind::Button, L"Close", 10680, 5520, 1095, 375, 0, nullptr, ui::kGraphical, kTahoma975, RGB(128, 128, 128), kNone, 0},
    // An underline laid over the web address that the picture draws: the link.
    {L"Label2", Kind::Label, L"____________________________________", 360, 4920, 3255, 375, -1, nullptr, ui::kTransparent, {L"MS Sans Serif", 13.5, false}, kNone, kNone, 0},
    {L"Label1", Kind::Label, L"", 120, 5520, 9855, 375, -1, nullptr, ui::kTransparent, {L"Tahoma", 9.75, true}, kNone, RGB(255, 255, 255), 0},
};
// clang-format on

ui::FormDef Definition(const Artwork& art) {
    return {L"mvAbout",   11865,    5970,        ui::Border::None,
            RGB(0, 0, 0), kDefault, art.picture, art.icon};
}

}  // namespace

AboutForm::AboutForm(ui::Form& main, const Artwork& art)
    : form_(Definition(art), kLayout), main_(main) {
    form_.Load = [this] { Form_Load(); };
    form_.Design(L"Label2").Click = [this] { Label2_Click(); };
    form_.Design(L"Command1").Click = [this] { Command1_Click(); };
    main_.Design(L"Command2").Click = [this] { Command2_Click(); };
}

void AboutForm::Command2_Click() {
    // One box at a time: a press while it is open brings that box forward; after "Close" the
    // next press loads it afresh.
    form_.Show();
}

void AboutForm::Form_Load() {
    ui::ResumeNext([&] { form_[L"Label1"].SetText(main_[L"mvIns"].Text()); });
}

void AboutForm::Label2_Click() {
    ui::ResumeNext([&] {
        ui::Rt().ShellOpen(form_.Hwnd(), L"Open", kMakerWeb, L"", ui::ProgramFolder(),
                           SW_SHOWNORMAL);
    });
}

void AboutForm::Command1_Click() { form_.Unload(); }

}  // namespace startup
