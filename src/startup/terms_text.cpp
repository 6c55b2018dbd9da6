// The end user license agreement shown on the first start. Each entry below is one line of
// the text box; a paragraph is one long line that the box wraps.
#include "startup/terms_text.h"

#include "startup/maker.h"

namespace startup {
namespace {

const wchar_t kRule[] = L"==================================";  // 34 characters

std::wstring BuildTermsText() {
    const std::wstring lines[] = {
        L"END USER LICENSE AGREEMENT",
        L"",
        L"This End User License Agreement (the \"Agreement\") covers Dorvane, a set of system "
        L"tools for Windows, together with its screens, pictures and notes, and any update or "
        L"addition to it that Moravelt may supply.",
        L"",
        L"This Agreement is a legal agreement between you, either a single person or a single "
        L"entity (\"You\"), and Moravelt, the maker of the Software (\"Moravelt\", \"We\" or "
        L"\"Us\"). If You accept it on behalf of an organisation, You declare that You have "
        L"the authority to bind that organisation to its terms.",
        L"",
        L"The Software is the property of Moravelt and is protected by copyright laws and "
        L"international treaties. Moravelt keeps every right, title and interest in the "
        L"Software that this Agreement does not expressly grant to You. The Software is "
        L"licensed, not sold. Nothing in this Agreement gives You any trademark, name or logo "
        L"of Moravelt.",
        L"",
        L"Please read this Agreement carefully, to the end, before you install, copy or use the "
        L"Software. Any question about it may be sent to Moravelt at the addresses given at its "
        L"end.",
        L"",
        L"BY INSTALLING, COPYING OR OTHERWISE USING THE SOFTWARE, YOU AGREE TO BE BOUND BY THE "
        L"TERMS OF THIS AGREEMENT.",
        L"",
        L"IF YOU DO NOT AGREE TO THE TERMS OF THIS AGREEMENT, DO NOT INSTALL OR USE THE "
        L"SOFTWARE, AND DELETE ALL COPIES OF IT IN YOUR POSSESSION.",
        L"",
        L"DEFINITIONS",
        L"",
        L"\"Software\" means and includes:",
        L"(I) the program Dorvane in machine-readable form;",
        L"(II) its start-up, terms and about screens, and the pictures and icons shown in them;",
        L"(III) any printed or electronic notes that come with it;",
        L"(IV) any update, fix or addition to it that Moravelt supplies;",
        L"(V) any copy of the above, whole or in part;",
        L"(VI) any file the program makes on your computer while it runs.",
        L"",
        L"\"Use\" means to load the Software into the memory of a computer, to run it or to "
        L"display it. \"Computer\" means one personal computer in your possession. "
        L"\"Developer\" means Moravelt and the persons who wrote the Software for it. "
        L"\"Documentation\" means any explanatory material, printed or electronic, that "
        L"Moravelt supplies with the Software. \"Update\" means any later version, fix or "
        L"addition that Moravelt chooses to supply; an Update is part of the Software and is "
        L"governed by this Agreement unless it comes with terms of its own.",
        L"",
        L"GRANT OF LICENSE",
        L"",
        L"Moravelt grants You a personal, non-transferable, non-exclusive and revocable right "
        L"to Use the Software on one Computer at a time, for non-commercial use only. You may "
        L"not rent, lease, lend, sell, sublicense or otherwise pass on the Software or any copy "
        L"of it, nor use it to provide services to others for a fee. You may not reverse "
        L"engineer, decompile or disassemble the Software, except where the law expressly "
        L"allows it. You may make one copy of the Software for backup purposes only, provided "
        L"that the copy carries every notice of ownership found on the original. Moravelt may end "
        L"this license at any time if You break any of its terms; "
        L"You must then stop using the Software and destroy every copy of it.",
        L"",
        L"DISCLAIMER OF WARRANTY. THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY "
        L"KIND, EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF "
        L"MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND NON-INFRINGEMENT. THE WHOLE "
        L"RISK AS TO THE QUALITY AND PERFORMANCE OF THE SOFTWARE IS WITH YOU. MORAVELT DOES "
        L"NOT WARRANT THAT THE SOFTWARE WILL MEET YOUR NEEDS OR THAT IT WILL RUN WITHOUT "
        L"INTERRUPTION OR ERROR.",
        L"",
        L"LIMITATION OF LIABILITY. IN NO EVENT SHALL MORAVELT OR THE DEVELOPER BE LIABLE FOR "
        L"ANY DAMAGES WHATSOEVER, INCLUDING WITHOUT LIMITATION DAMAGES FOR LOSS OF DATA, LOSS "
        L"OF PROFITS, BUSINESS INTERRUPTION OR ANY OTHER LOSS, ARISING OUT OF THE USE OF OR "
        L"INABILITY TO USE THE SOFTWARE, EVEN IF MORAVELT HAS BEEN ADVISED OF THE POSSIBILITY "
        L"OF SUCH DAMAGES. THE SOFTWARE CAN END PROCESSES AND CHANGE THE WINDOWS OF OTHER "
        L"PROGRAMS; YOU USE THOSE TOOLS AT YOUR OWN RISK.",
        L"",
        kRule,
        L"Noted by:",
        L"",
        kDeveloperCredit,
        L"(The Developer)",
        L"Moravelt 2nd Generation",
        kMakerWeb,
        kMakerSocial,
        kRule,
        L"",
        L"",
        kAcceptSentence,
    };
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

}  // namespace

const std::wstring& TermsText() {
    static const std::wstring text = BuildTermsText();
    return text;
}

}  // namespace startup
