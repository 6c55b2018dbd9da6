// mvTerms: the terms screen. On the first start it writes the first-run record and shows the
// agreement; on every later start it works out the usage line from the record and hands over
// to the main window before it is ever drawn.
#pragma once

#include <string>

#include "startup/artwork.h"
#include "startup/record_file.h"
#include "ui/form.h"

namespace startup {

class TermsForm {
public:
    // main: the main window, which the terms screen hands over to (its usage line in mvIns).
    // recordFolder: the folder of the first-run record (tests point it elsewhere).
    TermsForm(ui::Form& main, const Artwork& art, std::wstring recordFolder = kRecordFolder);
    TermsForm(const TermsForm&) = delete;
    TermsForm& operator=(const TermsForm&) = delete;

    ui::Form& Form() { return form_; }
    const std::wstring& RecordPath() const { return recordPath_; }

    void Form_Load();
    void Check1_Click();
    void Command1_Click();
    void Text1_GotFocus();
    void Text1_KeyPress(int& keyAscii);
    // Hands the usage line to the main window, shows it and closes the terms screen.
    void mora();

private:
    void WriteRecord();
    void ReadRecord();

    ui::Form form_;
    ui::Form& main_;
    std::wstring recordFolder_, recordPath_;
    std::wstring employee_;  // the item last read from the record
};

}  // namespace startup
