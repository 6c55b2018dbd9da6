// mvLoad: the start-up screen.
// Its handlers skip a step that fails, silently, and go on with the next (resume next): a
// start-up screen must never stand between the user and the program with an error box.
#include "startup/splash_form.h"

#include "startup/splash_steps.h"
#include "ui/error_modes.h"
#include "ui/runtime.h"

namespace startup {
namespace {

using ui::Kind;

const COLORREF kNone = ui::kDefaultColor;
const ui::FontSpec kDefault = {};

// clang-format off
// name, kind, caption, left, top, width, height, tab, frame, flags, font, back, fore, picture
const std::vector<ui::ControlDef> kLayout = {
    {L"Picture1", Kind::PictureBox, L"", 3120, 2280, 3735, 255, -1, nullptr, 0, kDefault, RGB(0x40, 0x40, 0x40), kNone, 0},
    {L"Picture2", Kind::PictureBox, L"", kSplashStart, 0, 2175, 255, -1, L"Picture1", 0, kDefault, RGB(0, 0, 0), kNone, 0},
    {L"Label3", Kind::Label, kSplashInitialCaption, 3480, 1920, 2415, 375, -1, nullptr, ui::kTransparent, {L"Tahoma", 9.75, false}, kNone, RGB(255, 255, 255), 0},
};
// clang-format on

ui::FormDef Definition(const Artwork& art) {
    return {L"mvLoad", 5685, 3660, ui::Border::None, RGB(0, 0, 0), kDefault, art.picture, art.icon};
}

}  // namespace

SplashForm::SplashForm(ui::Form& next, bool previousInstance, const Artwork& art)
    : form_(Definition(art), kLayout), next_(next), previousInstance_(previousInstance) {
    form_.AddTimer(L"Timer1", 1, true);
    form_.Load = [this] { Form_Load(); };
    form_.GetTimer(L"Timer1").Tick = [this] { Timer1_Timer(); };
}

void SplashForm::Form_Load() {
    if (previousInstance_) {
        // The timer already runs; without this the bar would go on behind the message box
        // and open the terms screen of the copy that is about to end.
        ui::ResumeNext([&] { form_.SetTimerEnabled(L"Timer1", false); });
        ui::ResumeNext([&] {
            ui::Rt().MsgBox(L"This application is already running!", MB_OK | MB_ICONWARNING,
                            std::wstring(L"Moravelt"));
        });
        ui::Rt().End();
    }

    // The corners are pixels of a 96 dpi display; the picture grows with the display's DPI,
    // and so does its outline.
    auto px = [&](int v) { return static_cast<LONG>(MulDiv(v, form_.Dpi(), 96)); };
    points_[0] = {px(300), px(200)};
    points_[1] = {px(0), px(0)};
    points_[2] = {px(500), px(0)};
    HRGN region = nullptr;
    ui::ResumeNext([&] { region = CreatePolygonRgn(points_.data(), 3, ALTERNATE); });
    // Once applied the region belongs to the window; one that was refused is ours to free.
    ui::ResumeNext([&] { regionResult_ = SetWindowRgn(form_.Hwnd(), region, TRUE); });
    if (region && !regionResult_) DeleteObject(region);

    ui::ResumeNext([&] {
        std::wstring folder = ui::ProgramFolder();
        if (!folder.empty()) CreateDirectoryW((folder + L"\\Logs").c_str(), nullptr);
    });

    // Without its timer the bar would never move and the screen would stay for ever: the
    // start goes on at once instead.
    if (!form_.GetTimer(L"Timer1").Running()) {
        ui::ResumeNext([&] { next_.Show(); });
        ui::ResumeNext([&] { form_.Unload(); });
    }
}

void SplashForm::Timer1_Timer() {
    ui::Control& bar = form_[L"Picture2"];
    int position = bar.Left() + kSplashStep;
    ui::ResumeNext([&] { bar.SetLeft(position); });
    SplashAction action = SplashActionAt(position);
    if (action == SplashAction::None) return;
    ui::ResumeNext([&] { form_[L"Label3"].SetText(SplashCaption(action)); });
    if (action != SplashAction::Ready) return;
    // The terms screen may hand over to the main window and unload itself inside this call.
    ui::ResumeNext([&] { next_.Show(); });
    ui::ResumeNext([&] { form_.Unload(); });
}

}  // namespace startup
