// Tests for the splash screen's progress steps.
#include "startup/splash_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using startup::kSplashInitialCaption;
using startup::kSplashStart;
using startup::kSplashStep;
using startup::SplashAction;
using startup::SplashActionAt;
using startup::SplashCaption;

TEST(SplashSteps, ActionsAndCaptions) {
    EXPECT_EQ(SplashActionAt(-400), SplashAction::LoadingResources);
    EXPECT_EQ(SplashActionAt(-300), SplashAction::StartingProgram);
    EXPECT_EQ(SplashActionAt(0), SplashAction::Ready);
    for (int position : {-2800, -401, -399, -305, -301, -299, -5, -1, 1, 5, 400}) {
        EXPECT_EQ(SplashActionAt(position), SplashAction::None) << position;
    }
    EXPECT_EQ(std::wstring(SplashCaption(SplashAction::LoadingResources)), L"Loading Resources...");
    EXPECT_EQ(std::wstring(SplashCaption(SplashAction::StartingProgram)), L"Starting Program...");
    EXPECT_EQ(std::wstring(SplashCaption(SplashAction::Ready)), L"System Ready..");
    EXPECT_EQ(SplashCaption(SplashAction::None), nullptr);
    EXPECT_EQ(std::wstring(kSplashInitialCaption), L"Loading Program..");
}

TEST(SplashSteps, CaptionChangesAlongTheTicks) {
    std::wstring caption = kSplashInitialCaption;
    std::vector<int> changedAt;
    std::vector<std::wstring> captions;
    int position = kSplashStart;
    for (int tick = 1; tick <= 560; ++tick) {
        position += kSplashStep;
        if (tick == 1) {
            EXPECT_EQ(position, -2795);
        }
        const SplashAction action = SplashActionAt(position);
        if (action != SplashAction::None) {
            const std::wstring next = SplashCaption(action);
            if (next != caption) {
                changedAt.push_back(tick);
                captions.push_back(next);
            }
            caption = next;
        }
    }
    EXPECT_EQ(position, 0);
    EXPECT_EQ(changedAt, (std::vector<int>{480, 500, 560}));
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"Loading Resources...", L"Starting Program...",
                                                   L"System Ready.."}));
    EXPECT_EQ(caption, L"System Ready..");
}
