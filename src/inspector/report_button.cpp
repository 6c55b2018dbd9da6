// The report button: the boxes' texts behind their labels, onto the clipboard.
#include "inspector/report_button.h"

#include <array>
#include <string>

#include "inspector/window_report.h"
#include "mainwin/main_form.h"
#include "ui/clipboard.h"

namespace inspector {

ReportButton::ReportButton(mainwin::MainForm& main) : main_(main) {
    main_.Form().Design(L"cmdCopy").Click = [this] { cmdCopy_Click(); };
}

void ReportButton::cmdCopy_Click() {
    try {
        ui::Form& f = main_.Form();
        if (!f.Loaded()) return;
        static const wchar_t* const kBoxes[] = {L"txthWnd",       L"txtTitle",      L"txtClass",
                                                L"txtStyle",      L"txtRect",       L"txtParent",
                                                L"txtParentText", L"txtParentClass"};
        std::array<std::wstring, 8> values;
        for (size_t i = 0; i < values.size(); ++i) values[i] = f[kBoxes[i]].Text();
        ui::SetClipboardText(f.Hwnd(), BuildWindowReport(values));
    } catch (...) {
    }
}

}  // namespace inspector
