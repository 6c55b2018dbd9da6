// Names of the WS_ window style flags carried by a style value.
#include "inspector/style_names.h"

namespace inspector {
namespace {

struct StyleRow {
    const wchar_t* text;  // already ends with the separating blank
    uint32_t mask;
};

// Order matters: it is the order shown to the user. Some values share a bit
// (WS_GROUP/WS_MINIMIZEBOX, WS_TABSTOP/WS_MAXIMIZEBOX) because their meaning depends on
// whether the window is a dialog control; we cannot tell, so both names are shown.
constexpr StyleRow kStyleRows[] = {
    {L"WS_BORDER ", 0x00800000u},       {L"WS_CAPTION ", 0x00C00000u},
    {L"WS_CHILD ", 0x40000000u},        {L"WS_CLIPCHILDREN ", 0x02000000u},
    {L"WS_CLIPSIBLINGS ", 0x04000000u}, {L"WS_DLGFRAME ", 0x00400000u},
    {L"WS_GROUP ", 0x00020000u},        {L"WS_HSCROLL ", 0x00100000u},
    {L"WS_MAXIMIZEBOX ", 0x00010000u},  {L"WS_MINIMIZEBOX ", 0x00020000u},
    {L"WS_SYSMENU ", 0x00080000u},      {L"WS_POPUPWINDOW ", 0x80880000u},
    {L"WS_TABSTOP ", 0x00010000u},      {L"WS_THICKFRAME ", 0x00040000u},
    {L"WS_VISIBLE ", 0x10000000u},      {L"WS_VSCROLL ", 0x00200000u},
};

}  // namespace

std::wstring DescribeStyleBits(uint32_t style) {
    std::wstring text;
    for (const StyleRow& row : kStyleRows) {
        // For a one-bit mask this is "bit set"; for a combined mask it requires every bit.
        if ((style & row.mask) == row.mask) {
            text += row.text;
        }
    }
    return text;
}

}  // namespace inspector
