// The opening: the wobbling etest2.3d light, the key image fading in, and mark 0.
#include <cmath>

#include "director.h"
#include "echocredits.h"
#include "globals.h"
#include "showfixture.h"

namespace {

// The etest2.3d level before its fade and clamps, at a frame clock.
double Wobble(double clock) { return std::cos(std::sin(clock * M_PI / 158.0) * 540.0 * M_PI / 170.0) * 0.4 + 0.6; }

using Opening = FilledShowTest;

}  // namespace

TEST_F(Opening, TwoPassesAnimatedSceneThenAdditiveKeyImage) {
    Prime(100000, 79.0f);
    FrameAt(100000);
    const std::vector<RecordedDraw> draws = recorder.Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(SceneName(draws[0]), "etest2");
    EXPECT_EQ(draws[0].texture, "");
    EXPECT_EQ(draws[0].alphaBlend, 0u);
    EXPECT_EQ(draws[0].zEnable, 0u);
    EXPECT_EQ(draws[0].zWriteEnable, 0u);
    // At clock 79 the inner sine is at its peak.
    EXPECT_NEAR(draws[0].KeyLight(), 0.6 + 0.4 * std::cos(540.0 * M_PI / 170.0), 1e-5);
    EXPECT_NEAR(draws[0].KeyLight(), 0.2599, 1e-4);

    EXPECT_EQ(SceneName(draws[1]), "etest");
    EXPECT_EQ(draws[1].texture, "key.jpg");
    EXPECT_EQ(draws[1].alphaBlend, 1u);
    EXPECT_EQ(draws[1].destBlend, static_cast<DWORD>(D3DBLEND_SRCCOLOR));
    EXPECT_NEAR(draws[1].KeyLight(), 79.0 / 3000.0, 1e-6);
    // The stored key light keeps the level it was sent with.
    EXPECT_NEAR(etestLights.lights[0].dcvDiffuse.g, 79.0 / 3000.0, 1e-6);
}

TEST_F(Opening, FadesSwitchOnJustAfterMarkZero) {
    Prime(2842000, 1000.0f);
    FrameAt(3000000);  // frameDelta 158,000 / 173,800, but the position is not past mark 0
    EXPECT_EQ(introFade, 0.0f);
    EXPECT_NEAR(overlayLevel, 1000.0 / 3000.0, 1e-6);

    FrameAt(3158000);  // frameClock 1100
    const double delta = 158000.0 / 173800.0;
    // The level is taken before the fade grows in the same frame.
    const double expected = std::fmax(0.0, std::fmin(1.0, Wobble(1100.0)));
    EXPECT_NEAR(introLevel, expected, 1e-4);
    EXPECT_NEAR(introFade, delta / 2.0, 1e-5);
    EXPECT_NEAR(overlayLevel, 1000.0 / 3000.0 + delta / 15.0, 1e-5);
}

TEST_F(Opening, OverlayHeldAtPointEightPlusOneStepAndIntroSinksToZero) {
    Prime(3000000, 3000.0f);
    FrameAt(3000000);
    EXPECT_NEAR(overlayLevel, 0.8, 1e-6);
    FrameAt(3173800);  // frameDelta 1
    EXPECT_NEAR(overlayLevel, 0.8 + 1.0 / 15.0, 1e-5);
    FrameAt(3347600);
    EXPECT_NEAR(overlayLevel, 0.8 + 1.0 / 15.0, 1e-5);
    FrameAt(3521400);
    EXPECT_NEAR(introFade, 1.5, 1e-5);
    // Wobble is at most 1, the fade already 1 when the level is taken: clamped at 0, not below.
    EXPECT_EQ(introLevel, 0.0f);
    EXPECT_EQ(recorder.Draws()[0].KeyLight(), 0.0f);
}

TEST_F(Opening, EmptyFrameAtMarkOne) {
    FrameAt(3899999);
    EXPECT_EQ(DrawnScenes().size(), 2u);
    FrameAt(3900000);
    EXPECT_TRUE(DrawnScenes().empty());
}
