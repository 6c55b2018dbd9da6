// The main form: its layout table, its load sequence and the always-on-top setting.
#include "mainwin/main_form.h"

#include <windows.h>

#include "app/resource.h"
#include "console/console_pane.h"
#include "console/run_box.h"
#include "console/shelvoxs.h"
#include "inspector/inspector.h"
#include "mainwin/welcome_text.h"
#include "processes/process_list.h"
#include "ui/runtime.h"

namespace mainwin {
namespace {

using ui::Kind;

const COLORREF kFormGrey = RGB(224, 224, 224);
const COLORREF kLilac = RGB(192, 192, 255);
const COLORREF kTitleGrey = RGB(192, 192, 192);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kNone = ui::kDefaultColor;

const ui::FontSpec kDefault = {};
const ui::FontSpec kTahoma975 = {L"Tahoma", 9.75, false};
const ui::FontSpec kTahoma975Bold = {L"Tahoma", 9.75, true};
const ui::FontSpec kTahoma12 = {L"Tahoma", 12, false};
const ui::FontSpec kTahoma9 = {L"Tahoma", 9, false};

const unsigned kColoured = ui::kGraphical;
const unsigned kSeeThrough = ui::kTransparent;
const unsigned kReadOnly = ui::kReadOnly;
const unsigned kHidden = ui::kHidden;

// clang-format off
// name, kind, caption, left, top, width, height, tab, frame, flags, font, back, fore, picture
const std::vector<ui::ControlDef> kLayout = {
    // In the visible client area.
    {L"Image1", Kind::Image, L"", -5880, 0, 18765, 300, -1, nullptr, 0, kDefault, kNone, kNone, IDB_TITLE_STRIP},
    {L"Label11", Kind::Label, L"DORVANE V.2.1.1", 120, 0, 2265, 240, -1, nullptr, kSeeThrough, kTahoma975Bold, kNone, kWhite, 0},
    {L"Label4", Kind::Label, L"", 11400, 0, 255, 255, -1, nullptr, kSeeThrough, kDefault, kNone, kNone, 0},
    {L"Label3", Kind::Label, L"", 12120, -240, 735, 495, -1, nullptr, kSeeThrough, kDefault, kNone, kNone, 0},
    {L"Label2", Kind::Label, L"Command Window", 120, 360, 1620, 240, -1, nullptr, kSeeThrough, kTahoma975, kNone, kNone, 0},
    {L"txtOutputs", Kind::TextBox, L"", 120, 720, 8115, 4695, 2, nullptr, ui::kMultiLine | ui::kVScroll, kTahoma975, kLilac, kNone, 0},
    {L"Label1", Kind::Label, L"Command:", 120, 5520, 945, 240, -1, nullptr, kSeeThrough, kTahoma975, kNone, kNone, 0},
    {L"txtCommand", Kind::TextBox, L"", 120, 5880, 3615, 645, 0, nullptr, 0, kTahoma12, kLilac, kNone, 0},
    {L"cmdExecute", Kind::Button, L"Run Command", 3840, 5880, 1515, 615, 1, nullptr, kColoured, kTahoma975, kLilac, kNone, 0},
    {L"Command2", Kind::Button, L"About", 5400, 5880, 1275, 615, 55, nullptr, kColoured, kTahoma975, kLilac, kNone, 0},
    {L"Command3", Kind::Button, L"Exit", 6720, 5880, 1275, 615, 56, nullptr, kColoured, kTahoma975, kLilac, kNone, 0},
    {L"Frame1", Kind::Frame, L"Run", 120, 6600, 7935, 1215, -1, nullptr, 0, kTahoma975, kFormGrey, kNone, 0},
    {L"Text1", Kind::TextBox, L"", 120, 360, 6735, 645, 8, L"Frame1", 0, kTahoma12, kLilac, kNone, 0},
    {L"Command1", Kind::Button, L"Go", 6960, 360, 795, 615, 9, L"Frame1", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"Label8", Kind::Label, L"Running Process:", 8400, 360, 1515, 255, -1, nullptr, kSeeThrough, kTahoma975, kNone, kNone, 0},
    {L"lstProcess", Kind::ListBox, L"", 8400, 720, 4335, 3300, 33, nullptr, 0, kTahoma9, kNone, kNone, 0},
    {L"picCrossHair", Kind::PictureBox, L"", 8760, 4080, 855, 735, 10, nullptr, ui::kBorder, kDefault, kFormGrey, kNone, IDB_GLOBE},
    {L"Label6", Kind::Label, L"Drag the ICON on top of an Open Window or Application", 9960, 4200, 2595, 675, -1, nullptr, kSeeThrough, kTahoma975, kNone, kNone, 0},
    {L"lblCordi", Kind::Label, L"X: 1043  Y: 0032", 10320, 4680, 1515, 255, -1, nullptr, kSeeThrough, kTahoma9, kNone, kNone, 0},
    {L"txtTitle", Kind::TextBox, L"", 8400, 4920, 4275, 405, 12, nullptr, kReadOnly, kDefault, kTitleGrey, kNone, 0},
    {L"Frame2", Kind::Frame, L"Manage Window", 8400, 5400, 4395, 2355, -1, nullptr, 0, kTahoma975, kFormGrey, kNone, 0},
    {L"cmdMaximize", Kind::Button, L"Maximize", 120, 360, 2115, 315, 20, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"cmdMinimize", Kind::Button, L"Minimize", 120, 720, 2115, 315, 19, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"cmdNormal", Kind::Button, L"Normal", 120, 1080, 2115, 315, 18, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"cmdDisable", Kind::Button, L"Disable", 120, 1440, 2115, 315, 23, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"cmdEnable", Kind::Button, L"Enable", 120, 1800, 2115, 315, 22, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"cmdOnTop", Kind::Button, L"Always OnTop", 2160, 360, 2115, 315, 25, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"cmdNotOnTop", Kind::Button, L"Not OnTop", 2160, 720, 2115, 315, 26, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"cmdShow", Kind::Button, L"Show", 2160, 1080, 2115, 315, 28, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"cmdHide", Kind::Button, L"Hide", 2160, 1440, 2115, 315, 27, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},
    {L"cmdTerminate", Kind::Button, L"Terminate", 2160, 1800, 2115, 315, 29, L"Frame2", kColoured, kTahoma975, kLilac, kNone, 0},

    // Beyond the right edge of the client area or of Frame2: unseen, but in the tab order.
    {L"cmdCopy", Kind::Button, L"Copy to Clipboard", 15480, 1320, 1515, 315, 42, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"cmdRefresh", Kind::Button, L"Refresh", 16380, 7560, 1155, 315, 35, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"cmdTerminateProcess", Kind::Button, L"Terminate", 17580, 7560, 1155, 315, 34, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"txthWnd", Kind::TextBox, L"", 16980, 1020, 2115, 285, 11, nullptr, kReadOnly, kDefault, kNone, kNone, 0},
    {L"txtClass", Kind::TextBox, L"", 16980, 1740, 2115, 285, 13, nullptr, kReadOnly, kDefault, kNone, kNone, 0},
    {L"txtStyle", Kind::TextBox, L"", 16980, 2100, 2115, 285, 15, nullptr, kReadOnly, kDefault, kNone, kNone, 0},
    {L"txtRect", Kind::TextBox, L"", 16980, 2460, 2115, 285, 41, nullptr, kReadOnly, kDefault, kNone, kNone, 0},
    {L"txtParent", Kind::TextBox, L"", 16980, 2820, 2115, 285, 14, nullptr, kReadOnly, kDefault, kNone, kNone, 0},
    {L"txtParentText", Kind::TextBox, L"", 16980, 3180, 2115, 285, 37, nullptr, kReadOnly, kDefault, kNone, kNone, 0},
    {L"txtParentClass", Kind::TextBox, L"", 16980, 3540, 2115, 285, 40, nullptr, kReadOnly, kDefault, kNone, kNone, 0},
    {L"imgCursor", Kind::Image, L"", 13800, 2160, 240, 240, -1, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"cmdSetTitle", Kind::Button, L"Set Title", 4920, 1080, 1155, 315, 24, L"Frame2", 0, kDefault, kNone, kNone, 0},
    {L"cmdFlash", Kind::Button, L"Flash", 5160, 1680, 1155, 315, 21, L"Frame2", 0, kDefault, kNone, kNone, 0},
    {L"lblHwnd", Kind::Label, L"hWnd:", 14220, 3240, 1215, 195, -1, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"lblTitle", Kind::Label, L"Title:", 14220, 3600, 1215, 195, -1, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"lblClass", Kind::Label, L"Class:", 14220, 3960, 1215, 195, -1, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"Label7", Kind::Label, L"Style:", 14220, 4320, 1215, 195, -1, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"Label10", Kind::Label, L"Rectangle:", 14220, 4680, 1215, 195, -1, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"lblParent", Kind::Label, L"Parent:", 14220, 5040, 1215, 195, -1, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"lblParentText", Kind::Label, L"Parent Text:", 14220, 5400, 1215, 195, -1, nullptr, 0, kDefault, kNone, kNone, 0},
    {L"Label9", Kind::Label, L"Parent Class:", 14220, 5760, 1215, 195, -1, nullptr, 0, kDefault, kNone, kNone, 0},

    // Never visible.
    {L"mvIns", Kind::TextBox, L"", 2520, 360, 1335, 285, -1, nullptr, kHidden, kDefault, kNone, kNone, 0},
    {L"txtMhWnd", Kind::TextBox, L"", 5280, 120, 2115, 285, -1, L"Frame2", kHidden, kDefault, kNone, kNone, 0},
    {L"chkOnTop", Kind::CheckBox, L"Always On Top", 13320, 4800, 1395, 195, -1, nullptr, kHidden, kDefault, kNone, kNone, 0},
    {L"cmdClose", Kind::Button, L"Close", 14280, 2640, 1155, 315, -1, nullptr, kHidden | ui::kCancel, kDefault, kNone, kNone, 0},

    // Shown only while a command runs, in the free strip above the transcript.
    {L"cmdCancel", Kind::Button, L"Cancel (Esc)", 6840, 300, 1395, 375, -1, nullptr, kHidden | kColoured, kTahoma975, kLilac, kNone, 0},
};

// The inspector's boxes and the labels that stand for them: the labels' column lies apart
// from the boxes' (and txtTitle was moved into view), so the layout alone does not pair them.
const wchar_t* const kLabelledBy[][2] = {
    {L"txthWnd", L"lblHwnd"},         {L"txtTitle", L"lblTitle"},
    {L"txtClass", L"lblClass"},       {L"txtStyle", L"Label7"},
    {L"txtRect", L"Label10"},         {L"txtParent", L"lblParent"},
    {L"txtParentText", L"lblParentText"}, {L"txtParentClass", L"Label9"}};

const ui::FormDef kForm = {L"frmShelvox", 12855, 7935, ui::Border::FixedSingle, kFormGrey, kDefault, 0, IDI_APP};
// clang-format on

// The nine inspector boxes, in the order their borders are flattened.
const wchar_t* const kFlatBoxes[] = {L"txthWnd",        L"txtTitle",  L"txtClass",
                                     L"txtRect",        L"txtParent", L"txtParentText",
                                     L"txtParentClass", L"txtStyle",  L"txtMhWnd"};

HWND AsHwnd(int32_t h) { return reinterpret_cast<HWND>(static_cast<intptr_t>(h)); }
int32_t AsInt(HWND h) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(h)); }

}  // namespace

const wchar_t* const MainForm::kSettingsApp = L"Ozmiscope+";
const wchar_t* const MainForm::kSettingsSection = L"Settings";
const wchar_t* const MainForm::kSettingsKey = L"AlwaysOnTop";

MainForm::MainForm() : form_(kForm, kLayout) {
    form_.AddTimer(L"Timer1", 10, true);
    form_.AddTimer(L"Timer11", 3000, true);
    form_.Load = [this] { Form_Load(); };
    form_.Design(L"chkOnTop").Click = [this] { chkOnTop_Click(); };
    form_.Design(L"cmdClose").Click = [this] { cmdClose_Click(); };
    for (const auto& pair : kLabelledBy) form_.Design(pair[0]).SetLabelledBy(pair[1]);
    // The runner is made on each load, so the pane asks for it each time it needs it.
    console_ = std::make_unique<console::ConsolePane>(form_, [this] { return objDOS_.get(); });
    runBox_ = std::make_unique<console::RunBox>(form_);
    processes_ = std::make_unique<processes::ProcessList>(form_);
    inspector_ = std::make_unique<inspector::Inspector>(form_, IDC_CROSSHAIR);
}

MainForm::~MainForm() = default;

void MainForm::Form_Load() {
    objDOS_ = std::make_unique<console::Shelvoxs>();
    console_->AttachRunner(*objDOS_);

    form_[L"txtOutputs"].SetText(WelcomeBlock(ui::GeneralDateText(ui::Rt().Now())));

    for (const wchar_t* box : kFlatBoxes) FlattenControl(AsInt(form_[box].Hwnd()));

    std::wstring pinned = ui::Rt().GetSetting(kSettingsApp, kSettingsSection, kSettingsKey, L"0");
    if (pinned == L"1") {
        PinWindow(true);
        form_[L"chkOnTop"].SetValue(1);
    }

    processes_->RefreshProcessList(L"");
}

void MainForm::PinWindow(bool topmost) {
    SetWindowPos(form_.Hwnd(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

void MainForm::chkOnTop_Click() {
    bool on = form_[L"chkOnTop"].Value() == 1;
    PinWindow(on);
    ui::Rt().SaveSetting(kSettingsApp, kSettingsSection, kSettingsKey, on ? L"1" : L"0");
}

void MainForm::cmdClose_Click() {
    form_.Unload();
    // A runner that is still running (the unload then waits for its end) is not freed
    // from under its run.
    if (objDOS_ && !objDOS_->Running()) objDOS_.reset();
}

void MainForm::FlattenControl(int32_t h) {
    HWND hwnd = AsHwnd(h);
    LONG ex = GetWindowLongA(hwnd, GWL_EXSTYLE);
    SetWindowLongA(hwnd, GWL_EXSTYLE, (ex & ~WS_EX_CLIENTEDGE) | WS_EX_STATICEDGE);
    StripFrame(h);
}

void MainForm::StripFrame(int32_t h) {
    HWND hwnd = AsHwnd(h);
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(static_cast<DWORD>(style) & 0xFF3BFFFFu));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace mainwin
