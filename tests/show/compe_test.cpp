// The compe and figure segment: its sub-windows, levels and the fading credits.
#include <cmath>

#include "director.h"
#include "echocredits.h"
#include "globals.h"
#include "showfixture.h"

namespace {

using CompeAndFigure = FilledShowTest;

int Count(const std::vector<std::string>& names, const std::string& name) {
    int n = 0;
    for (const std::string& s : names) n += s == name;
    return n;
}

}  // namespace

TEST_F(CompeAndFigure, PassOrderBeforeMarkFour) {
    Prime(6000000, 0.0f);
    FrameAt(6000000);
    std::vector<std::string> expected = {"compe", "compe", "humanus", "compe", "binary", "etest4", "etest4", "etest4"};
    for (int i = 0; i < 11; ++i) expected.push_back("etest");
    ASSERT_EQ(DrawnScenes(), expected);
    const std::vector<RecordedDraw> draws = recorder.Draws();
    EXPECT_EQ(draws[0].alphaBlend, 0u);
    EXPECT_EQ(draws[1].alphaBlend, 1u);
    EXPECT_EQ(draws[1].destBlend, static_cast<DWORD>(D3DBLEND_INVSRCCOLOR));
    for (int i : {5, 6, 7}) EXPECT_EQ(draws[i].texture, "tessik2.jpg");
    EXPECT_EQ(draws[8].texture, "code.jpg");
    // A depth clear before the blended pass and before the camera 3 view.
    EXPECT_EQ(recorder.Matching("Clear rectCount=0 flags=2 ").size(), 2u);
}

TEST_F(CompeAndFigure, SubWindowBoundaries) {
    FrameAt(6099999);
    EXPECT_EQ(echoTexture, tessik2Texture);
    EXPECT_EQ(compePulse, 0.0f);
    FrameAt(6100000);
    EXPECT_EQ(echoTexture, visionTexture);
    EXPECT_EQ(recorder.Draws()[5].texture, "vision.jpg");

    FrameAt(6640000);
    EXPECT_EQ(Count(DrawnScenes(), "etest4"), 3);
    FrameAt(6640001);
    EXPECT_EQ(Count(DrawnScenes(), "etest4"), 0);

    FrameAt(6900000);
    EXPECT_EQ(Count(DrawnScenes(), "compe"), 3);
    FrameAt(6900001);
    EXPECT_EQ(Count(DrawnScenes(), "compe"), 2);

    FrameAt(7350000);
    EXPECT_EQ(Count(DrawnScenes(), "etest"), 11);  // the vision overlay needs p > mark 6
    FrameAt(7350001);
    const std::vector<RecordedDraw> draws = recorder.Draws();
    ASSERT_EQ(Count(DrawnScenes(), "etest"), 12);
    const RecordedDraw& vision = draws[draws.size() - 12];
    EXPECT_EQ(vision.texture, "vision.jpg");
    EXPECT_NEAR(vision.KeyLight(), 2.0 * (1.0 - compeRise), 1e-5);

    FrameAt(7800000);
    EXPECT_EQ(segment2Ticks, 0u);
}

TEST_F(CompeAndFigure, LevelsFromTheSegmentClock) {
    // B / 6 = 41: the inner cosine is cos(pi / 4), the outer cos(0.7071 pi) = -0.6057.
    segment2Ticks = 246;
    Prime(6200000, 0.0f);
    FrameAt(6200000);
    const double swell = std::cos(std::cos(M_PI / 4.0) * M_PI);
    const double pulse = -(swell * 0.8 + 0.8);
    EXPECT_NEAR(compeGlow, swell * 0.15 + 0.15, 1e-5);
    EXPECT_NEAR(compePulse, pulse, 1e-5);
    EXPECT_EQ(compeRise, -1.0f);  // no frameDelta yet
    const std::vector<RecordedDraw> draws = recorder.Draws();
    // Sent unchanged though negative.
    EXPECT_NEAR(draws[0].KeyLight(), pulse - 1.0, 1e-5);
    EXPECT_NEAR(draws[1].KeyLight(), (pulse - 1.0) / 1.75, 1e-5);
    EXPECT_NEAR(draws[3].KeyLight(), compeGlow, 1e-6);
    EXPECT_NEAR(draws[4].KeyLight(), overlayLevel, 1e-6);
    // The credits fade out without a clamp: pulse base 0.4 at clock 0.
    EXPECT_NEAR(draws.back().KeyLight(), 0.4 + 0.2 - 246.0 / 200.0, 1e-5);
}

TEST_F(CompeAndFigure, RiseTurnsToFallAtMarkSix) {
    const DWORD tenth = 17380;
    compeRise = 1.0f;
    Prime(7349999 - tenth, 0.0f);
    FrameAt(7349999);
    EXPECT_EQ(compeRise, 1.0f);  // rose by 0.2 and was held
    overlayLevel = 0.5f;
    Prime(7350000 - tenth, 0.0f);
    FrameAt(7350000);
    EXPECT_NEAR(compeRise, 0.98, 1e-6);
    EXPECT_NEAR(overlayLevel, 0.502, 1e-6);
}

TEST_F(CompeAndFigure, SecondProjectionComesFromBinary) {
    binaryLights.projection = Scaling(2.0f);
    Prime(6000000, 0.0f);
    FrameAt(6000000);
    // The projection of the third compe draw.
    std::vector<Matrix> projections;
    for (const RecordedDraw& draw : recorder.Draws())
        if (SceneName(draw) == "compe") projections.push_back(draw.projection);
    ASSERT_EQ(projections.size(), 3u);
    EXPECT_EQ(projections[2](0, 0), 2.0f);
}
