// What the splash screen shows as its progress bar advances.
#pragma once

namespace startup {

// The bar starts at kSplashStart and advances kSplashStep every timer tick.
constexpr int kSplashStart = -2800, kSplashStep = 5;

enum class SplashAction { None, LoadingResources, StartingProgram, Ready };

// Caption shown before the first action.
inline constexpr const wchar_t* kSplashInitialCaption = L"Loading Program..";

// The action due when the bar reaches `position`; None for positions without one.
SplashAction SplashActionAt(int position);

// Caption for an action; nullptr for None.
const wchar_t* SplashCaption(SplashAction action);

}  // namespace startup
