// Finding in the transcript and keeping it in a file, with the system's own Find and Save As
// dialogs, as a text editor offers them. The transcript (the text of txtOutputs) is read where
// it lies, a part at a time, and never changed.
#pragma once
#include <string>

#include "ui/find_dialog.h"

namespace ui {
class Control;
class Form;
}  // namespace ui

namespace console {

class Transcript {
public:
    // outputs: the transcript box, on form (which owns the Find dialog).
    Transcript(ui::Form& form, ui::Control& outputs);

    // Ctrl+F, Ctrl+S, F3 and Shift+F3, pressed in a console box: carried out, and true.
    bool Key(int keyCode, int shift);
    // The Find dialog; its text to find is the transcript's selection when that is one line.
    void Find();
    // The next match (or the previous one) of the dialog's text, without the dialog; the
    // dialog itself while it has no text yet.
    void FindAgain(bool previous);
    // Selects the match that comes next from the selection, around the end once, and scrolls
    // it into view; a box says so when there is none. True when found.
    bool FindNext(const ui::FindDialog::Request& request);
    // The Save As dialog, then the file.
    void SaveAs();
    // Writes the transcript to path; a box gives the reason when that fails. True when saved.
    bool SaveTo(const std::wstring& path);

    ui::FindDialog& Dialog() { return dialog_; }

private:
    ui::Form& form_;
    ui::Control& outputs_;
    ui::FindDialog dialog_;
};

}  // namespace console
