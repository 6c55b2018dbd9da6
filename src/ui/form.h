// The form kit: top-level forms whose controls come from a layout table in twips, with the
// events, timers and runtime services a classic desktop form offers.
//
// The kit's files, one job each: form.cpp (a form's life, its window procedure and the message
// loop), control.cpp (a control's properties), control_window.cpp (a control's window: its
// creation from the kind table in kit.cpp, its teardown, the system controls' subclass),
// container.cpp (frames and picture boxes), paint.cpp (drawing: forms, windowless labels and
// images, graphical buttons, frames), keyboard.cpp (tab order, access keys, Enter and Esc),
// timers.cpp, gdi_cache.cpp (fonts and brushes shared per form), colours.cpp (the layout's
// colours or the system's, and text that reads on them), error_modes.cpp (errors), access.cpp
// and form_access.cpp (what screen readers get: accessible objects and names), find_dialog.cpp
// (the system's Find dialog, modeless).
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "win/handles.h"

namespace ui {
namespace kit {
struct AccessibleFace;
AccessibleFace FaceOf(HWND hwnd);
}  // namespace kit

enum class Kind { Label, Image, TextBox, Button, CheckBox, ListBox, PictureBox, Frame };

enum Flags : unsigned {
    kMultiLine = 1u << 0,
    kVScroll = 1u << 1,
    kReadOnly = 1u << 2,
    kHidden = 1u << 3,       // never shown unless code shows it
    kTransparent = 1u << 4,  // labels: the parent shows through
    kGraphical = 1u << 5,    // buttons: drawn in their own back colour
    kCancel = 1u << 6,       // the form's cancel button
    kFlatNone = 1u << 7,     // picture box or text box without a border
    kBorder = 1u << 8,       // picture box with a sunken border
};

constexpr COLORREF kDefaultColor = CLR_INVALID;
// A layout colour that follows one of the system's colours (a COLOR_* index): read whenever it
// is drawn, so it changes with the user's scheme.
constexpr COLORREF SysColor(int index) { return 0x80000000u | static_cast<COLORREF>(index & 0xFF); }

// The colours a surface is drawn with.
struct Colours {
    COLORREF back, text;
};

struct FontSpec {
    const wchar_t* face = nullptr;  // nullptr: the form's font
    double points = 0;
    bool bold = false;
};

// One row of a form's layout table. Positions are in twips, relative to the form's client
// area or to the enclosing frame; tab is the position in the tab order (-1: takes no focus).
struct ControlDef {
    const wchar_t* name;
    Kind kind;
    const wchar_t* caption;
    int left, top, width, height;
    int tab;
    const wchar_t* container;  // name of the enclosing frame, or nullptr
    unsigned flags;
    FontSpec font;
    COLORREF back;
    COLORREF fore;
    int picture;  // bitmap resource id, or 0
};

enum class Border { None, FixedSingle };

struct FormDef {
    const wchar_t* name;  // also the window class name
    int width, height;    // client area, twips
    Border border;
    COLORREF back;
    FontSpec font;
    int picture;  // background bitmap resource id, or 0
    int icon;     // the window class's icon resource id, or 0 for none
};

// A runtime error as a handler in catch-and-report mode reports it.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(long number, std::wstring description, std::wstring source = L"");
    long number;
    std::wstring description, source;
};
// "description - source - number" for any exception.
std::wstring ErrorReportText(const std::exception& e);

class Form;

class Control {
public:
    Control(Form& form, const ControlDef& def);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlDef& Def() const { return def_; }
    const wchar_t* Name() const { return def_.name; }
    Kind GetKind() const { return def_.kind; }
    HWND Hwnd() const { return hwnd_; }  // null for labels and images
    Form& Owner() const { return form_; }

    std::wstring Text() const;
    // Replaces the text; raises Change when it differs.
    void SetText(const std::wstring& text);
    // Appends at the end of a text box, costing in proportion to the appended text.
    void AppendText(const std::wstring& text);
    int TextLength() const;
    // What a screen reader reads as its value where the system's object has none to tell (a
    // picture box's, say); empty: the system's. A new value is announced to readers.
    void SetAccessibleValue(const std::wstring& value);
    const std::wstring& AccessibleValue() const { return accessibleValue_; }
    // What a screen reader calls it: a button's caption, or the caption of the label that
    // stands for it in the layout (above it or to its left), else its frame's, else the hint
    // just to its right.
    std::wstring AccessibleName() const;
    // Where the layout puts the label that stands for a control out of the rule's reach, the
    // form names it: that label's caption is then the control's name.
    void SetLabelledBy(const wchar_t* label) { labelledBy_ = label ? label : L""; }
    void SetSelStart(int pos);  // puts the caret there and scrolls it into view
    // What the kit draws it with now: the layout's colours in the ordinary scheme, the
    // system's while high contrast is on (pictures keep theirs), and always a text colour that
    // reads on the back. A transparent label over a picture reads on the picture as it was
    // last drawn there.
    Colours DrawnColours() const;

    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    void SetFocus();
    bool HasFocus() const;
    void SetLeft(int twips);
    int Left() const { return leftTwips_; }

    // Check box value: 0 unchecked, 1 checked, 2 greyed. Setting a new value raises Click.
    int Value() const { return value_; }
    void SetValue(int value);

    // List box.
    void AddItem(const std::wstring& text);
    void Clear();
    int ListCount() const;
    int ListIndex() const;  // -1 when nothing is selected
    // Returns false (and selects nothing) when index is out of range.
    bool SetListIndex(int index);
    std::wstring List(int index) const;

    // Picture shown by a picture box or image; the control takes ownership.
    void SetPicture(HBITMAP bmp);
    void SetIcon(HICON icon);
    void ClearPicture();
    HICON MouseIcon() const { return mouseIcon_; }
    void SetMouseIcon(HICON icon) { mouseIcon_ = icon; }

    // Multi-line text boxes: commands of the program below the standard items of the box's
    // context menu, each label with its shortcut after a tab; the chosen one raises
    // MenuCommand with its index.
    void SetMenuCommands(std::vector<std::wstring> labels);

    // Events.
    std::function<void()> Click, Change, GotFocus;
    std::function<void(int index)> MenuCommand;
    std::function<void(int& keyAscii)> KeyPress;
    // Text boxes and picture boxes: a key goes down; keyCode is the virtual key, shift 1/2/4
    // for Shift, Ctrl, Alt. Setting keyCode to 0 keeps the key from the box.
    std::function<void(int& keyCode, int shift)> KeyDown;
    // Picture boxes: the focus left the box.
    std::function<void()> LostFocus;
    // button, shift, x, y (twips)
    std::function<void(int, int, int, int)> MouseDown, MouseMove, MouseUp;
    // Picture boxes: another window took the mouse while buttons were held on this one.
    std::function<void()> LostCapture;

private:
    friend class Form;
    void Create(HWND parent, int dpi);
    void Destroyed();
    void Paint(HDC dc, int dpi);  // windowless controls
    RECT PixelRect(int dpi) const;
    // The window that draws this control: its frame's, or the form's.
    HWND Container() const;
    // Has the container redraw where a windowless control is (or was).
    void InvalidateWindowless(const RECT& r) const;
    HFONT Font() const;
    // Its fill: its own colour, the system's for its kind, or what it stands on.
    COLORREF BackColour() const;
    // The text colour it asks for, before the contrast rule.
    COLORREF WantedTextColour() const;
    // Whether a picture lies under it, so that its back is known only once drawn.
    bool OverPicture(int dpi) const;
    void RaiseChange();
    void DrawButton(const DRAWITEMSTRUCT& di);
    void DrawPicture(HDC dc, int dpi) const;
    void PaintContainer(HWND hwnd);
    LRESULT ContainerMouse(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void ReleaseHeldButtons(HWND hwnd);
    LRESULT ContainerKey(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool ShowsFocusCue() const;
    LRESULT HandleSubclassed(UINT msg, WPARAM wp, LPARAM lp);
    friend kit::AccessibleFace kit::FaceOf(HWND hwnd);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ContainerProc(HWND, UINT, WPARAM, LPARAM);

    Form& form_;
    ControlDef def_;
    std::wstring caption_;  // windowless caption
    std::wstring labelledBy_;
    HWND hwnd_ = nullptr;
    WNDPROC baseProc_ = nullptr;
    int leftTwips_;
    bool visible_;
    bool enabled_ = true;
    int value_ = 0;
    int suppressChange_ = 0;
    win::Bitmap bitmap_;
    win::Icon icon_;
    HICON mouseIcon_ = nullptr;
    int heldButtons_ = 0;       // picture boxes: the mouse buttons pressed on it and not yet let go
    bool keyboardCue_ = false;  // picture boxes: the focus came, or a key went down, by keyboard
    std::wstring accessibleValue_;
    std::vector<std::wstring> menuCommands_;
    // Transparent labels over a picture: the mean luminance drawn under them last time.
    std::optional<double> pictureLuminance_;
};

struct Timer {
    std::wstring name;
    UINT interval = 0;
    bool enabled = false;
    UINT_PTR id = 0;
    bool ticking = false;  // inside Tick: a tick that comes meanwhile is dropped
    bool started = false;  // the system took the timer on
    std::function<void()> Tick;
    // Whether ticks come: enabled, on a loaded form, and the system did not refuse it.
    bool Running() const { return enabled && started; }
};

class Form {
public:
    Form(const FormDef& def, const std::vector<ControlDef>& controls);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const wchar_t* Name() const { return def_.name; }
    HWND Hwnd() const { return hwnd_; }
    bool Loaded() const { return hwnd_ != nullptr; }
    int Dpi() const { return dpi_; }

    // Creates the window and its controls and runs Load; the window stays hidden.
    void EnsureLoaded();
    // Loads when needed, then shows the window non-modally.
    void Show();
    // Runs Unload, destroys the window. The program's message loop ends after the last form.
    void Unload();
    void Minimize();
    bool IsTopmost() const;

    // The control of that name; loads the form first, as touching a control does.
    Control& operator[](const wchar_t* name);
    // The same control without loading the form: for binding handlers before the first load.
    Control& Design(const wchar_t* name);
    Control* Find(HWND hwnd);
    std::vector<Control*> Controls();

    Timer& AddTimer(const wchar_t* name, UINT interval, bool enabled);
    Timer& GetTimer(const wchar_t* name);
    // Raises error 7 when the system refuses to start the timer.
    void SetTimerEnabled(const wchar_t* name, bool enabled);

    // Whether a control's event may run now: not while a busy pump holds the thread, unless
    // it is the pump's cancel control.
    static bool MayRaise(const Control& c);

    // A custom pointer shown over the form and, while the mouse is captured, everywhere;
    // nullptr restores the default arrow.
    void SetMousePointer(HCURSOR cursor);

    // Moves the focus through the tab order; returns false when no control can take it.
    bool TabNext(bool backwards);
    // Gives the focus to the first control of the tab order.
    bool FocusFirst();
    // The controls that can take the focus now, in tab order.
    std::vector<Control*> TabOrder();
    // Handles the keys that a form handles for its controls (Tab, Esc, access keys, Enter on
    // buttons). Returns true when the message was consumed.
    bool PreTranslate(const MSG& msg);

    std::function<void()> Load, Unloaded;
    // The form stops being the active window (another window, of this program or another,
    // is being activated).
    std::function<void()> Deactivate;
    // Sees every key message for this form before its controls; true consumes it.
    std::function<bool(const MSG&)> KeyPreview;

    // Whether it draws in the system's high-contrast colours; follows the setting live.
    bool HighContrast() const { return highContrast_; }

    // Every form currently loaded, in load order.
    static const std::vector<Form*>& LoadedForms();
    static Form* FromWindow(HWND hwnd);
    // Whether one of this form's windows is the active one, as its activation last said.
    bool Active() const { return active_; }

private:
    friend class Control;
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    bool HandleChildMessage(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool OnCommand(WPARAM wp, LPARAM lp);
    bool OnControlColor(WPARAM wp, LPARAM lp, LRESULT& result);
    bool OnLabelMouse(HWND container, UINT msg, LPARAM lp);
    LRESULT OnActivate(WPARAM wp, LPARAM lp);
    // The colours or the high-contrast setting changed: new brushes, and everything redrawn.
    void OnSchemeChange(UINT msg);
    COLORREF BackColour() const;
    friend kit::AccessibleFace kit::FaceOf(HWND hwnd);
    void CreateControls();
    void PaintForm();
    void PaintWindowless(HWND container, HDC dc);
    Control* WindowlessAt(HWND container, POINT pt);
    bool StartTimer(Timer& t);
    void OnTimer(UINT_PTR id);
    HBRUSH BrushFor(COLORREF c);
    HFONT FontFor(const FontSpec& font);
    void ClickAccessKey(wchar_t ch, bool alt, bool& consumed);
    bool PressCancel();

    FormDef def_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::wstring, Control*> byName_;
    std::unordered_map<HWND, Control*> windows_;
    std::vector<std::unique_ptr<Timer>> timers_;
    HWND hwnd_ = nullptr;
    bool loading_ = false;
    int dpi_ = 96;
    bool highContrast_ = false;
    HWND savedFocus_ = nullptr;
    bool active_ = false;
    HCURSOR pointer_ = nullptr;
    win::Bitmap picture_;
    std::map<COLORREF, win::Brush> brushes_;
    std::map<std::wstring, win::Font> fonts_;
    Control* pressedLabel_ = nullptr;
};

// Runs the message loop until the last form is unloaded.
int RunMessageLoop();
// Calls fn, catching anything it throws: no exception crosses a window procedure.
void Guarded(const std::function<void()>& fn);

}  // namespace ui
