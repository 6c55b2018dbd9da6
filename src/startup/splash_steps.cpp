// What the splash screen shows as its progress bar advances.
#include "startup/splash_steps.h"

namespace startup {
namespace {

struct SplashStep {
    int position;
    SplashAction action;
    const wchar_t* caption;
};

constexpr SplashStep kSplashSteps[] = {
    {-400, SplashAction::LoadingResources, L"Loading Resources..."},
    {-300, SplashAction::StartingProgram, L"Starting Program..."},
    {0, SplashAction::Ready, L"System Ready.."},
};

// Each step must fall on a position the bar actually reaches.
constexpr bool StepsReachable() {
    for (const SplashStep& step : kSplashSteps) {
        if (step.position < kSplashStart || (step.position - kSplashStart) % kSplashStep != 0) {
            return false;
        }
    }
    return true;
}
static_assert(StepsReachable(), "splash step position is never reached by the bar");

}  // namespace

SplashAction SplashActionAt(int position) {
    for (const SplashStep& step : kSplashSteps) {
        if (step.position == position) {
            return step.action;
        }
    }
    return SplashAction::None;
}

const wchar_t* SplashCaption(SplashAction action) {
    for (const SplashStep& step : kSplashSteps) {
        if (step.action == action) {
            return step.caption;
        }
    }
    return nullptr;
}

}  // namespace startup
