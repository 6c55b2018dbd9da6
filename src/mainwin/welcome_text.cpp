#include "mainwin/welcome_text.h"

namespace mainwin {

std::wstring WelcomeBlock(const std::wstring& nowText) {
    return L"Welcome to Moravelt 2nd Generation Dorvane V2.1.1\r\n" + nowText +
           L"\r\n\r\nLoading Help Command.. Please Wait...\r\n\r\n";
}

}  // namespace mainwin
