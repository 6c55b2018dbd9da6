// The text the console transcript starts with.
#pragma once
#include <string>

namespace mainwin {

// The welcome block, given the current date and time already formatted as text.
std::wstring WelcomeBlock(const std::wstring& nowText);

}  // namespace mainwin
