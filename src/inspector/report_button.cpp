// The report button: the boxes' texts behind their labels, onto the clipboard.
#include "inspector/report_button.h"

#include <array>
#include <string>

#include "inspector/window_report.h"
#include "ui/clipboard.h"
#include "ui/error_modes.h"
#include "ui/form.h"

namespace inspector {

ReportButton::ReportButton(ui::Form& form) : form_(form) {
    form_.Design(L"cmdCopy").Click = [this] { cmdCopy_Click(); };
}

void ReportButton::cmdCopy_Click() {
    ui::ResumeNext([&] {
        if (!form_.Loaded()) return;
        static const wchar_t* const kBoxes[] = {L"txthWnd",       L"txtTitle",      L"txtClass",
                                                L"txtStyle",      L"txtRect",       L"txtParent",
                                                L"txtParentText", L"txtParentClass"};
        std::array<std::wstring, 8> values;
        for (size_t i = 0; i < values.size(); ++i) values[i] = form_[kBoxes[i]].Text();
        ui::SetClipboardText(form_.Hwnd(), BuildWindowReport(values));
    });
}

}  // namespace inspector
