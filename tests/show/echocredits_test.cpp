// The echo and credits segment: pass order, mirrored echoes, the credits grid and the levels
// around mark 2.
#include <cmath>

#include "director.h"
#include "echocredits.h"
#include "globals.h"
#include "showfixture.h"

namespace {

using EchoAndCredits = FilledShowTest;

struct Panel {
    float s, x, y;
    const char* texture;
};

const Panel panels[11] = {
    {0.4f, 14, 12, "code.jpg"},     {0.3f, 12, 8, "ravmoor.jpg"},  {0.4f, -14, 8, "art2d.jpg"},
    {0.3f, -12, 4, "pellin.jpg"},   {0.3f, -12, 1, "mendrow.jpg"}, {0.3f, -12, -2, "tessik.jpg"},
    {0.4f, 14, -1, "art3d.jpg"},    {0.3f, 12, -2, "skell.jpg"},   {0.3f, 12, -8, "mendrow.jpg"},
    {0.4f, -12, -8, "music.jpg"},   {0.3f, -12, -14, "quorvel.jpg"},
};

std::vector<Matrix> Views(const CallRecorder& recorder) {
    std::vector<Matrix> views;
    for (const platform::TraceRecord* call : recorder.Matching("SetTransform type=2 ")) views.push_back(MatrixOf(*call));
    return views;
}

}  // namespace

TEST_F(EchoAndCredits, TenPassesInOrderWithTheirTexturesAndStates) {
    Prime(4000000, 0.0f);
    FrameAt(4000000);
    const std::vector<std::string> expected = {"etest4", "etest4", "etest4", "etest4", "bboxy",
                                               "etest4", "etest4", "etest4", "dacode", "etest",
                                               "etest",  "etest",  "etest",  "etest",  "etest",
                                               "etest",  "etest",  "etest",  "etest",  "etest"};
    ASSERT_EQ(DrawnScenes(), expected);
    const std::vector<RecordedDraw> draws = recorder.Draws();
    for (int i : {0, 1, 2, 3, 4, 8}) EXPECT_EQ(draws[i].texture, "") << "pass " << i + 1;
    for (int i : {5, 6, 7}) EXPECT_EQ(draws[i].texture, "tessik2.jpg") << "pass " << i + 1;
    // The first echo is opaque and leaves the loaded DESTBLEND; the others add.
    EXPECT_EQ(draws[0].alphaBlend, 0u);
    EXPECT_EQ(draws[0].destBlend, 1u);
    for (int i : {1, 2, 3, 5, 6, 7, 8}) {
        EXPECT_EQ(draws[i].alphaBlend, 1u) << "pass " << i + 1;
        EXPECT_EQ(draws[i].destBlend, static_cast<DWORD>(D3DBLEND_INVSRCCOLOR)) << "pass " << i + 1;
        EXPECT_EQ(draws[i].zEnable, 0u) << "pass " << i + 1;
    }
    EXPECT_EQ(draws[4].zEnable, 1u);
    EXPECT_EQ(draws[4].zWriteEnable, 1u);
    EXPECT_EQ(draws[4].alphaBlend, 0u);
}

TEST_F(EchoAndCredits, ReversedEchoesLookFromTheMirroredEye) {
    Prime(4000000, 0.0f);
    FrameAt(4000000);
    const std::vector<Matrix> views = Views(recorder);
    ASSERT_GE(views.size(), 5u);
    // The stored camera sits at z = -10; passes 2 and 4 see from z = +10, both towards the origin.
    for (int pass : {0, 2}) {
        const Vector eye = TransformPoint(Vector(0, 0, -10), views[pass]);
        EXPECT_NEAR(Length(eye), 0.0f, 1e-5) << "pass " << pass + 1;
    }
    for (int pass : {1, 3}) {
        const Vector eye = TransformPoint(Vector(0, 0, 10), views[pass]);
        EXPECT_NEAR(Length(eye), 0.0f, 1e-5) << "pass " << pass + 1;
        const Vector ahead = TransformPoint(Vector(0, 0, 0), views[pass]);
        EXPECT_NEAR(ahead.z, 10.0f, 1e-5);
        // Seen from behind, what was on the right is on the left.
        EXPECT_LT(TransformPoint(Vector(1, 0, 0), views[pass]).x * TransformPoint(Vector(1, 0, 0), views[0]).x,
                  0.0f);
    }
}

TEST_F(EchoAndCredits, ElevenPanelsScaledThenMovedAndMatricesResetAfter) {
    Prime(4000000, 0.0f);
    FrameAt(4000000);
    const std::vector<RecordedDraw> draws = recorder.Draws();
    ASSERT_EQ(draws.size(), 20u);
    for (int i = 0; i < 11; ++i) {
        const RecordedDraw& draw = draws[9 + i];
        const Panel& panel = panels[i];
        EXPECT_EQ(draw.texture, panel.texture) << "panel " << i + 1;
        const Vector corner = TransformPoint(Vector(1, 1, 0), draw.world);
        EXPECT_NEAR(corner.x, panel.s + panel.x, 1e-5) << "panel " << i + 1;
        EXPECT_NEAR(corner.y, panel.s + panel.y, 1e-5) << "panel " << i + 1;
        EXPECT_NEAR(corner.z, 0.0f, 1e-6);
        EXPECT_EQ(draw.alphaBlend, 1u);
        EXPECT_EQ(draw.destBlend, static_cast<DWORD>(D3DBLEND_INVSRCCOLOR));
        EXPECT_EQ(draw.zEnable, 0u);
        EXPECT_EQ(draw.zWriteEnable, 0u);
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(etestScene.world[0](r, c), r == c ? 1.0f : 0.0f);
}

TEST_F(EchoAndCredits, PulsingLevelsAndTheCreditsLevel) {
    // At clock 82 the inner cosine is 0, so w = 1: echoes dark, pulse and dacode at 0.6.
    Prime(4000000, 82.0f);
    FrameAt(4000000);
    std::vector<RecordedDraw> draws = recorder.Draws();
    EXPECT_NEAR(draws[0].KeyLight(), 0.0, 1e-5);
    EXPECT_NEAR(draws[5].KeyLight(), 0.6, 1e-5);
    EXPECT_NEAR(draws[8].KeyLight(), 0.6, 1e-5);
    EXPECT_NEAR(draws[9].KeyLight(), 0.0, 1e-5);  // 0.6 + 0.2 - 0.8 + 0 / 200

    // At clock 164, w = -1: echoes at 0.5, pulse 0, and the credits light below zero, sent as is.
    Prime(4000000, 164.0f);
    FrameAt(4000000);
    draws = recorder.Draws();
    EXPECT_NEAR(draws[0].KeyLight(), 0.5, 1e-5);
    EXPECT_NEAR(draws[5].KeyLight(), 0.0, 1e-5);
    EXPECT_NEAR(draws[9].KeyLight(), -0.6, 1e-5);

    // Four units of frameDelta: credits ticks +500, 2.5 on the level, held at 1.
    FrameAt(4000000 + 4 * 173800);
    EXPECT_EQ(creditsTicks, 500u);
    EXPECT_EQ(echoTicks, 840u);
    EXPECT_EQ(recorder.Draws()[9].KeyLight(), 1.0f);
}

TEST_F(EchoAndCredits, LevelsFadeFromMarkTwoOn) {
    const DWORD quarter = 173800 / 4;
    echoLevel = 0.3f;
    Prime(5699999 - quarter, 82.0f);
    FrameAt(5699999);
    EXPECT_NEAR(pulseLevel, 0.6, 1e-5);  // still the pulsing rule
    EXPECT_NEAR(boxLevel, 1.0, 1e-6);

    echoLevel = 0.3f;
    pulseLevel = 0.5f;
    dacodeLevel = 0.4f;
    Prime(5700000 - quarter, 82.0f);
    FrameAt(5700000);
    EXPECT_NEAR(echoLevel, 0.05, 1e-5);
    EXPECT_NEAR(boxLevel, 0.75, 1e-5);
    EXPECT_NEAR(pulseLevel, 0.75, 1e-5);
    EXPECT_NEAR(dacodeLevel, 0.15, 1e-5);

    // Two more units: echo, box and dacode stop at 0; pulse at 1.
    Prime(5847600 - 2 * 173800, 82.0f);
    FrameAt(5847600);
    EXPECT_EQ(echoLevel, 0.0f);
    EXPECT_EQ(boxLevel, 0.0f);
    EXPECT_EQ(dacodeLevel, 0.0f);
    EXPECT_EQ(pulseLevel, 1.0f);
}

TEST_F(EchoAndCredits, EveryEarlySegmentRunsOnEmptyScenesAndNullTextures) {
    ClearScenesAndTextures();
    for (DWORD p : {100000u, 4000000u, 6000000u, 7400000u, 8000000u, 9800000u, 11600000u, 11750000u}) {
        FrameAt(p);
        for (const RecordedDraw& draw : recorder.Draws()) EXPECT_EQ(SceneName(draw), "flare") << "at " << p;
    }
}
