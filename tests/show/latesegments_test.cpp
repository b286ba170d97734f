// The four later segments driven frame by frame: music positions scripted (on the virtual clock
// for the timeline, directly for single segments) and small scenes filled in memory.
#include <platform/musicclock.h>

#include <cmath>
#include <cstring>

#include "alien.h"
#include "director.h"
#include "globals.h"
#include "king.h"
#include "roki.h"
#include "segments.h"
#include "setupchoices.h"
#include "showfixture.h"
#include "swarm.h"

namespace {

// Bytes of music that make frameDelta exactly 0.1.
constexpr DWORD TenthStep = 17380;
constexpr double Pi = 3.1415927f;

// Gives a light set n device lights, record i in slot i, each with the given diffuse red.
void GiveLights(LightSet& lights, int n, float red) {
    lights.deviceLightCount = static_cast<uint8_t>(n);
    lights.lightCount = static_cast<uint8_t>(n);
    for (int i = 0; i < n; ++i) {
        lights.slotToLight[i] = static_cast<uint8_t>(i);
        lights.lightToSlot[i] = static_cast<uint8_t>(i);
        lights.kinds[i] = 'L';
        lights.lights[i].dcvDiffuse.r = red;
        lights.lights[i].dcvDiffuse.g = red;
        lights.lights[i].dcvDiffuse.b = red;
    }
}

// The scale of a billboard drawn with an identity view: the length of its first row.
float BillboardScale(const RecordedDraw& draw) {
    return std::sqrt(draw.world.m[0][0] * draw.world.m[0][0] + draw.world.m[0][1] * draw.world.m[0][1] +
                     draw.world.m[0][2] * draw.world.m[0][2]);
}

class LateSegments : public ShowTest {
protected:
    void SetUp() override {
        ShowTest::SetUp();
        etestLights.view = IdentityMatrix();
        etest4Lights.view = IdentityMatrix();
        kingLights.view = IdentityMatrix();
    }

    // Billboards and flat meshes; panels and other indexed draws have no vertices of their own.
    std::vector<RecordedDraw> BillboardDraws() const { return DrawsOfFormat(DrawVertexFormat); }
    std::vector<RecordedDraw> IndexedDraws() const { return DrawsOfFormat(0); }
    std::vector<RecordedDraw> DrawsOfFormat(DWORD vertexFormat) const {
        std::vector<RecordedDraw> found;
        for (const RecordedDraw& draw : recorder.Draws())
            if ((draw.call->call == "DrawPrimitive" ? draw.VertexFormat() : 0) == vertexFormat) found.push_back(draw);
        return found;
    }
    // The diffuse red, green and blue of every light sent.
    std::vector<std::vector<double>> LightsSent() const {
        std::vector<std::vector<double>> lights;
        for (const platform::TraceRecord* call : recorder.Matching("SetLight"))
            lights.push_back(call->Find("light.diffuse")->numbers);
        return lights;
    }
};

// --- The timeline: which of the later segments runs at the exact window boundaries ------------

class LateTimeline : public LateSegments {
protected:
    void SetUp() override {
        LateSegments::SetUp();
        // Only the counters are watched: the end's thousands of scratches need not be recorded.
        platform::SetTraceSink(nullptr);
    }

    // Plays the frame at p after one a tenth of a unit earlier; reports which segments moved.
    std::vector<int> RunningAt(DWORD p) {
        platform::SetVirtualMusicPosition(p - TenthStep);
        DirectorFrame();
        const DWORD swarm = segment4Ticks, roki = segment5Ticks, king = segment6Ticks;
        const float glow = alienGlow;
        platform::SetVirtualMusicPosition(p);
        DirectorFrame();
        std::vector<int> running;
        if (segment4Ticks != swarm) running.push_back(4);
        if (segment5Ticks != roki) running.push_back(5);
        if (segment6Ticks != king) running.push_back(6);
        if (alienGlow != glow) running.push_back(7);
        return running;
    }
};

}  // namespace

TEST_F(LateTimeline, EachBoundaryBelongsToExactlyTheRightSegment) {
    using V = std::vector<int>;
    EXPECT_EQ(RunningAt(11750000), V{});
    EXPECT_EQ(RunningAt(11750001), V{4});
    EXPECT_EQ(RunningAt(15680000), V{4});
    EXPECT_EQ(RunningAt(15680001), V{5});
    EXPECT_EQ(RunningAt(19599999), V{5});
    EXPECT_EQ(RunningAt(19600000), V{6});
    EXPECT_EQ(RunningAt(31349999), V{6});
    EXPECT_EQ(RunningAt(31350000), V{7});
    EXPECT_EQ(RunningAt(43000000), V{7});
    EXPECT_EQ(showFinished, 1);
    EXPECT_EQ(RunningAt(43000001), V{});
}

TEST_F(LateTimeline, EverySegmentSurvivesEmptyScenesAndMissingTextures) {
    ClearScenesAndTextures();
    setupChoices.screenWidth = 0;
    for (DWORD p : {11760000u, 14800000u, 16500000u, 17650000u, 18200000u, 19200000u, 27600000u, 30100000u,
                    33400000u, 35400000u, 37300000u, 38300000u, 39300000u, 42999999u, 43000000u})
        RunningAt(p);
    SUCCEED();
}

// --- Flare swarm ---------------------------------------------------------------------------

TEST_F(LateSegments, SwarmFlaresRangeFromTwoToTwelveHundredthsWithoutPulseOrFade) {
    musicPosition = 12000000;  // t stays 0, so the pulse is 0
    RunFlareSwarm();
    EXPECT_NEAR(segment4Pulse, 0.0f, 1e-12);
    const auto flares = BillboardDraws();
    ASSERT_EQ(flares.size(), 600u);
    float smallest = 1.0f, largest = 0.0f;
    for (const RecordedDraw& flare : flares) {
        smallest = std::min(smallest, BillboardScale(flare));
        largest = std::max(largest, BillboardScale(flare));
    }
    EXPECT_NEAR(smallest, 0.02f, 1e-4);
    EXPECT_NEAR(largest, 0.12f, 1e-4);
}

TEST_F(LateSegments, SwarmFadeShrinksFlaresToNothingButNeverBelow) {
    musicPosition = 15000000;  // past mark 15: the fade grows by frameDelta / 4
    segment4Fade = 0.15f;
    frameDelta = 0.0f;
    RunFlareSwarm();
    const auto flares = BillboardDraws();
    ASSERT_EQ(flares.size(), 600u);
    int vanished = 0;
    for (size_t i = 0; i < flares.size(); ++i) {
        const double base = std::sin((i / 6.0 * 20.0) * Pi / 160.0) * 0.05 + 0.07;
        const float scale = BillboardScale(flares[i]);
        EXPECT_NEAR(scale, std::max(0.0, base - 0.05), 1e-5) << "flare " << i;
        if (scale == 0.0f) ++vanished;
    }
    EXPECT_GT(vanished, 0);
}

TEST_F(LateSegments, SwarmLitePanelsAndWrap) {
    GiveLights(liteLights, 2, 0.4f);
    GiveLights(etestLights, 1, 0.9f);
    liteScene.frameCount = 20;
    liteTicks = 19;
    musicPosition = 12000000;
    frameDelta = 0.1f;  // lite advances 16 ticks: past its 20 frames, so back to 0
    RunFlareSwarm();
    EXPECT_EQ(liteTicks, 0u);
    EXPECT_EQ(segment4Ticks, 11u);
    // Without fade the lite lights are all at 1 and the first panels at 1/6.
    EXPECT_FLOAT_EQ(liteLights.lights[0].dcvDiffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(liteLights.lights[1].dcvDiffuse.b, 1.0f);
    bool sawSixth = false;
    for (const std::vector<double>& light : LightsSent()) sawSixth |= std::fabs(light[0] - 1.0f / 6.0f) < 1e-7f;
    EXPECT_TRUE(sawSixth);
}

TEST_F(LateSegments, SwarmFirstPanelsSitStillOnceFadingWhileTheSecondStackMoves) {
    static uint16_t indices[3];
    etestScene.objectCount = 1;
    etestScene.vertexBuffer = vertexBuffer;
    etestScene.indices[0] = indices;
    auto panelWorlds = [&] {
        std::vector<Matrix> worlds;
        for (const RecordedDraw& draw : IndexedDraws()) worlds.push_back(draw.world);
        return worlds;
    };
    auto isIdentity = [](const Matrix& m) {
        const Matrix identity = IdentityMatrix();
        return std::memcmp(&m, &identity, sizeof m) == 0;
    };
    segment4Ticks = 40;
    musicPosition = 14000000;
    RunFlareSwarm();
    std::vector<Matrix> worlds = panelWorlds();
    ASSERT_EQ(worlds.size(), 12u);
    EXPECT_TRUE(isIdentity(worlds[0]));
    EXPECT_FALSE(isIdentity(worlds[5]));  // before the fade the first stack breathes

    recorder.calls.clear();
    musicPosition = 15000000;
    RunFlareSwarm();
    worlds = panelWorlds();
    ASSERT_EQ(worlds.size(), 12u);
    for (int k = 0; k < 6; ++k) EXPECT_TRUE(isIdentity(worlds[k])) << "layer " << k;
    // The second stack: scaled to 0.3 about the origin, moved out by its layer, then by (10, 10).
    const double t = segment4Ticks;
    EXPECT_NEAR(worlds[11].m[3][0], 10.0 + std::sin(t * Pi / 130.0) * segment4Pulse * 6 * 5, 1e-4);
    EXPECT_NEAR(worlds[11].m[3][1], 10.0 + std::cos(t * Pi / 160.0) * segment4Pulse * 6 * 5, 1e-4);
    EXPECT_NEAR(worlds[11].m[0][0], (5 * segment4Pulse + 1) * 0.3, 1e-6);
}

// --- Roki ----------------------------------------------------------------------------------

TEST_F(LateSegments, RokiCameraWindowsShareTheirCounters) {
    frameDelta = 0.1f;
    musicPosition = 17000000;
    RunRoki();
    EXPECT_EQ(rokiFrame, segment5Ticks);
    musicPosition = 17700000;
    RunRoki();
    EXPECT_EQ(rokiCamera1Ticks, 18u);
    EXPECT_EQ(rokiFrame, 18u);
    musicPosition = 18200000;
    RunRoki();
    RunRoki();
    EXPECT_EQ(rokiCamera2Ticks, 140u);
    EXPECT_EQ(rokiFrame, 140u);
    musicPosition = 18700000;
    RunRoki();
    EXPECT_EQ(rokiCamera1Ticks, 30u);  // the second camera 1 window goes on from 18 at rate 120
    EXPECT_EQ(rokiFrame, 410u);
    rokiCamera2Ticks = 2000;
    musicPosition = 19100000;
    RunRoki();
    EXPECT_EQ(rokiFrame, 2070u - 1700u);
}

TEST_F(LateSegments, RokiWrappedFrameHoldsTheLastSample) {
    Vector eyes[3] = {Vector(1, 2, 3), Vector(4, 5, 6), Vector(7, 8, 9)};
    rokiScene.eyeSamples[2] = eyes;
    rokiScene.eyeSampleLengths[2] = 3;
    frameDelta = 0.1f;
    musicPosition = 19300000;  // a short first camera 2 window: 70 - 1700 wraps
    RunRoki();
    EXPECT_EQ(rokiFrame, static_cast<DWORD>(70u - 1700u));
    Matrix expected;
    BuildViewMatrix(expected, eyes[2], Vector(0, 0, 0), Vector(0, 1, 0));
    EXPECT_EQ(std::memcmp(&rokiLights.view, &expected, sizeof expected), 0);
}

TEST_F(LateSegments, RokiFieldOfViewSwingsOnlyAfterItsStartWithTheFirstCamera) {
    Matrix expected;
    frameDelta = 0.1f;
    zoomTicks = 258;  // + 12: a third of 270 is 90 degrees, so 130 - 40 cos = 130
    musicPosition = 16400000;
    RunRoki();
    BuildProjectionMatrix(expected, static_cast<float>(90.0 * Pi / 180.0), 1.0f, 1.0f, 1000.0f);
    EXPECT_EQ(zoomTicks, 258u);
    EXPECT_EQ(std::memcmp(&rokiLights.projection, &expected, sizeof expected), 0);

    musicPosition = 16400001;
    RunRoki();
    EXPECT_EQ(zoomTicks, 270u);
    BuildProjectionMatrix(expected, static_cast<float>(130.0 * Pi / 180.0), 1.0f, 1.0f, 1000.0f);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(rokiLights.projection.m[i][j], expected.m[i][j], 1e-5);

    musicPosition = 17700000;  // camera 1: back to 90, the swing does not advance
    RunRoki();
    EXPECT_EQ(zoomTicks, 270u);
    BuildProjectionMatrix(expected, static_cast<float>(90.0 * Pi / 180.0), 1.0f, 1.0f, 1000.0f);
    EXPECT_EQ(std::memcmp(&rokiLights.projection, &expected, sizeof expected), 0);
}

TEST_F(LateSegments, RokiParticleIsDrawnWhereItWasBeforeItMoved) {
    // Seen from 10 in front with a 90 degree view: only the first column is on screen, and of it
    // only the particle at height 1; the rest wait higher up, out of the picture.
    rokiLights.cameras[0].eye = Vector(0, 0, -10);
    for (int object = 28; object <= 55; ++object) rokiScene.bounds[object].centre = Vector(100, 0, 0);
    rokiScene.bounds[28].centre = Vector(0, 0, 0);
    rokiScene.bounds[28].maximum.y = 50.0f;
    rokiScene.bounds[55].maximum.y = 50.0f;
    for (int j = 1; j < 20; ++j) particleField[j] = {1.0f, 40.0f, 0.0f};
    particleField[0] = {1.0f, 1.0f, 10.0f};  // moves 100 up in a frame: out of its column
    frameDelta = 0.1f;
    musicPosition = 17000000;
    RunRoki();
    const auto flares = BillboardDraws();
    ASSERT_EQ(flares.size(), 1u);
    EXPECT_FLOAT_EQ(flares[0].world.m[3][1], 1.0f);
    EXPECT_FLOAT_EQ(BillboardScale(flares[0]), particleField[0].size);  // the size after the reset
    EXPECT_TRUE(particleField[0].height == 0.0f || particleField[0].height == 50.0f);  // reset
    EXPECT_FLOAT_EQ(particleField[1].height, 40.0f);
}

TEST_F(LateSegments, RokiOverlaysAroundMark17) {
    GiveLights(etestLights, 1, 1.0f);
    GiveLights(tribesLights, 1, 1.0f);
    auto zClears = [&] { return recorder.Matching("Clear rectCount=0 flags=2 ").size(); };
    musicPosition = 17649999;
    RunRoki();
    EXPECT_EQ(zClears(), 6u);  // the six tribes layers
    recorder.calls.clear();
    musicPosition = 17650000;
    RunRoki();
    EXPECT_EQ(zClears(), 0u);
    EXPECT_TRUE(LightsSent().empty());  // neither the bars nor the tribes set a light
    musicPosition = 17650001;
    RunRoki();
    EXPECT_EQ(LightsSent().size(), 1u + 10u);  // applied once, then one level per bar layer
}

// --- King and cube swarm -------------------------------------------------------------------

TEST_F(LateSegments, KingStatesInTheirOrderAndOpaqueBeforeBlended) {
    kingScene.objectCount = 140;
    for (int i = 0; i < 140; ++i) {
        kingScene.renderStates[i] = {7, 7, 1, 5, 9, 1, 1, 3};
        kingScene.world[i] = Translation(static_cast<float>(i), 0, 0);
    }
    static uint16_t indices[3];
    kingScene.vertexBuffer = vertexBuffer;
    for (int i = 0; i < 140; ++i) kingScene.indices[i] = indices;
    musicPosition = 20000000;
    RunKingAndCubeSwarm();

    const ObjectRenderState* s = kingScene.renderStates;
    EXPECT_EQ(s[1].alphaBlendEnable, 1u);
    EXPECT_EQ(s[1].destBlend, 4u);
    EXPECT_EQ(s[0].alphaBlendEnable, 0u);
    EXPECT_EQ(s[0].cullMode, 1u);
    EXPECT_EQ(s[0].destBlend, 9u);
    EXPECT_EQ(s[122].zWriteEnable, 0u);
    EXPECT_EQ(s[122].cullMode, 1u);
    for (int i : {120, 121, 134, 139}) {
        EXPECT_EQ(s[i].alphaBlendEnable, 0u) << i;
        EXPECT_EQ(s[i].zEnable, 7u) << i;
        EXPECT_EQ(s[i].cullMode, 3u) << i;
    }

    std::vector<int> order;
    for (const RecordedDraw& draw : IndexedDraws()) order.push_back(static_cast<int>(draw.world.m[3][0]));
    ASSERT_EQ(order.size(), 140u);
    // 0, 2, ... 118, 120, 121, 134 ... 139 opaque; then 1, 3, ... 119 and 122 ... 133 blended.
    EXPECT_EQ(order[0], 0);
    EXPECT_EQ(order[59], 118);
    EXPECT_EQ(order[60], 120);
    EXPECT_EQ(order[61], 121);
    EXPECT_EQ(order[62], 134);
    EXPECT_EQ(order[68], 1);
    EXPECT_EQ(order[127], 119);
    EXPECT_EQ(order[128], 122);
    EXPECT_EQ(order[139], 133);
}

TEST_F(LateSegments, CubeAtEveryCubikiVertex) {
    DrawVertex corners[3] = {};
    corners[0].x = 1.0f;
    corners[1].y = 1.0f;
    corners[2].z = 1.0f;
    cubikiScene.vertexSource = corners;
    cubikiScene.vertexCount = 3;
    cubikiScene.objectCount = 2;
    cubikiScene.objects[0].firstVertex = 0;
    cubikiScene.objects[0].endVertex = 2;
    cubikiScene.objects[1].firstVertex = 2;
    cubikiScene.objects[1].endVertex = 3;
    cubikScene.objectCount = 1;
    static DrawVertex flat[3];
    cubikScene.flatMesh = 1;
    cubikScene.objects[0].endFace = 1;
    cubikScene.flatVertices[0] = flat;
    kingScene.bounds[136].centre = Vector(0, 4, 0);
    musicPosition = 20000000;  // t = 0: no rotation, the objects are doubled and raised by 4
    RunKingAndCubeSwarm();
    std::vector<Vector> cubes;
    for (const RecordedDraw& draw : BillboardDraws())
        if (draw.texture == "wire2.jpg" && draw.world.m[0][0] < 0.5f)
            cubes.push_back(Vector(draw.world.m[3][0], draw.world.m[3][1], draw.world.m[3][2]));
    ASSERT_EQ(cubes.size(), 3u);
    EXPECT_FLOAT_EQ(cubes[0].x, 2.0f);
    EXPECT_FLOAT_EQ(cubes[0].y, 4.0f);
    EXPECT_FLOAT_EQ(cubes[1].y, 6.0f);
    EXPECT_FLOAT_EQ(cubes[2].z, 2.0f);
    EXPECT_EQ(cubikScene.renderStates[0].cullMode, 1u);

    cubikiScene.vertexCount = 2;  // fewer source vertices than the objects claim: stops there
    recorder.calls.clear();
    RunKingAndCubeSwarm();
    int drawn = 0;
    for (const RecordedDraw& draw : BillboardDraws()) drawn += draw.world.m[0][0] < 0.5f;
    EXPECT_EQ(drawn, 2);
}

TEST_F(LateSegments, PanelLevelIsCappedBeforeTheFade) {
    GiveLights(etestLights, 1, 0.0f);
    segment6Swell = 0.5f;  // t = 0: the wave is the swell
    musicPosition = 25000000;
    RunKingAndCubeSwarm();
    EXPECT_FLOAT_EQ(segment6Wave, 0.5f);
    EXPECT_FLOAT_EQ(etestLights.lights[0].dcvDiffuse.r, 0.5f);

    segment6Swell = 0.5f;
    segment6Crossfade = 0.8f;
    musicPosition = 29500000;  // after mark 22 but before the fade
    RunKingAndCubeSwarm();
    EXPECT_FLOAT_EQ(etestLights.lights[0].dcvDiffuse.r, 1.0f);

    segment6Swell = 0.5f;
    segment6Fade = 0.1f;
    musicPosition = 30500000;  // the fade takes its share from the capped level
    RunKingAndCubeSwarm();
    EXPECT_FLOAT_EQ(etestLights.lights[0].dcvDiffuse.r, 0.75f);
}

TEST_F(LateSegments, RingGrowthIsCappedAfterTheFlareThatCrossesIt) {
    musicPosition = 28000000;
    ringGrowth = 0.95f;
    frameDelta = 0.0f;
    RunKingAndCubeSwarm();
    EXPECT_FLOAT_EQ(ringGrowth, 0.95f);  // not yet past the cap

    ringGrowth = 0.95f;
    frameDelta = 0.02f;
    segment6Ticks = 0;
    recorder.calls.clear();
    RunKingAndCubeSwarm();
    EXPECT_FLOAT_EQ(ringGrowth, 0.96f);
    const auto flares = BillboardDraws();
    ASSERT_EQ(flares.size(), 600u);
    const double t = segment6Ticks;
    auto base = [&](int i) { return std::sin((i / 6.0 * 20.0 + t / 1.5) * Pi / 160.0) * 0.1 + 0.07; };
    EXPECT_NEAR(BillboardScale(flares[0]), base(0) - 0.24 + 0.97 / 4, 1e-5);
    EXPECT_NEAR(BillboardScale(flares[1]), base(1) - 0.24 + 0.96 / 4, 1e-5);
}

TEST_F(LateSegments, KingAfterMark22IsDrawnUnderDimmedLightsAndItsFlaresShrinkToNothing) {
    GiveLights(kingLights, 2, 0.8f);
    kingLights.flareCount = 2;
    for (int f = 0; f < 2; ++f) {
        kingLights.flares[f] = static_cast<uint8_t>(f);
        kingLights.lights[f].dvPosition.z = -1.0f;  // behind the viewer counts as on screen
    }
    static uint16_t indices[3];
    kingScene.objectCount = 1;
    kingScene.vertexBuffer = vertexBuffer;
    kingScene.indices[0] = indices;
    segment6Crossfade = 0.9f;
    musicPosition = 28000000;  // between marks 22 and 23; t = 0
    RunKingAndCubeSwarm();

    int kingDraws = 0;
    for (const RecordedDraw& draw : IndexedDraws()) {
        ++kingDraws;
        EXPECT_FLOAT_EQ(draw.lightRed[0], 0.25f) << "1 - 0.9 / 1.2";
        EXPECT_FLOAT_EQ(draw.lightRed[1], 0.25f);
    }
    EXPECT_EQ(kingDraws, 1);
    EXPECT_FLOAT_EQ(kingLights.lights[1].dcvDiffuse.r, 0.8f) << "the stored light keeps its colour";
    // The king's flares come before the ring's: sin(0) + 2 - 2.7 stays at 0; sin(100°) + 2 - 2.7.
    const auto flares = BillboardDraws();
    ASSERT_EQ(flares.size(), 2u + 600u);
    EXPECT_EQ(BillboardScale(flares[0]), 0.0f);
    EXPECT_NEAR(BillboardScale(flares[1]), std::sin(100.0 * Pi / 180.0) - 0.7, 1e-5);
}

// --- Alien finale --------------------------------------------------------------------------

TEST_F(LateSegments, AlienWindowsAdvanceEveryHoldingCounterAndTheLaterOneIsSeen) {
    alienScene.frameCount = 1000000;
    for (int c = 0; c < 5; ++c) alienLights.cameras[c].eye = Vector(static_cast<float>(c + 1), 1, 4);
    frameDelta = 0.1f;
    musicPosition = 37240000;  // both the camera 4 window and the camera 2 narrow window hold
    RunAlienFinale();
    EXPECT_EQ(alienTicks3, 12u);
    EXPECT_EQ(alienTicks4, 12u);
    EXPECT_FLOAT_EQ(EYE.x, 3.0f);  // camera 2
    Matrix expected;
    BuildViewMatrix(expected, Vector(1.5f, 1, 2), TARGET * Vector(0.5f, 1, 0.5f), Vector(0, 1, 0));
    EXPECT_EQ(std::memcmp(&alienLights.view, &expected, sizeof expected), 0);

    musicPosition = 38220000;  // camera 3 narrow from here; alienTicks3 keeps going unseen
    RunAlienFinale();
    EXPECT_EQ(alienTicks3, 24u);
    EXPECT_EQ(alienTicks4, 12u);
    EXPECT_EQ(alienTicks5, 12u);
    EXPECT_EQ(alienFrame, 12u);
    EXPECT_FLOAT_EQ(EYE.x, 4.0f);
}

TEST_F(LateSegments, AlienFrameHoldsAtTheEndOfTheAnimation) {
    alienScene.frameCount = 100;
    alienTicks2 = 30;
    frameDelta = 0.0f;
    musicPosition = 35400000;  // factor 4: 120 is past 100 frames
    RunAlienFinale();
    EXPECT_EQ(alienFrame, 25u);
    EXPECT_EQ(alienTicks2, 30u);
}

TEST_F(LateSegments, AlienLightsNeverPassTheirOwnStoredRed) {
    GiveLights(alienLights, 2, 0.3f);
    alienGlow = 50.0f;
    musicPosition = 34000000;
    RunAlienFinale();
    ASSERT_GE(LightsSent().size(), 4u);
    for (const std::vector<double>& light : LightsSent()) {
        EXPECT_FLOAT_EQ(light[0], 0.3f);
        EXPECT_FLOAT_EQ(light[2], 0.3f);
    }
    recorder.calls.clear();
    musicPosition = 35300000;  // six stacked copies, each a quarter as bright
    RunAlienFinale();
    int quarter = 0;
    for (const std::vector<double>& light : LightsSent()) {
        EXPECT_LE(light[0], 0.3f);
        quarter += std::fabs(static_cast<float>(light[1]) - 0.075f) < 1e-7f;
    }
    EXPECT_EQ(quarter, 12);
    EXPECT_FLOAT_EQ(alienLights.lights[0].dcvDiffuse.r, 0.3f);  // the stored colour comes back
}

TEST_F(LateSegments, ScratchesGrowWithTheEndFadeAndAreOpaqueBlack) {
    setupChoices.screenWidth = 640;
    setupChoices.screenHeight = 480;
    frameDelta = 0.0f;
    musicPosition = 40000000;
    for (auto [fade, count] : {std::pair<float, int>{0.0f, 0}, {0.0002f, 1}, {0.01f, 5}, {0.0101f, 6}}) {
        endFade = fade;
        recorder.calls.clear();
        RunAlienFinale();
        int scratches = 0;
        // Screen quads: x, y, z, rhw, diffuse, specular, u, v for each of six vertices.
        for (const RecordedDraw& draw : DrawsOfFormat(D3DFVF_TLVERTEX)) {
            ++scratches;
            const std::vector<double>& v = draw.Vertices();
            ASSERT_EQ(v.size(), 48u);
            const double left = v[0], right = v[8];
            EXPECT_GE(left, 0.0);
            EXPECT_LT(left, 640.0);
            EXPECT_GE(right - left, 0.0);
            EXPECT_LE(right - left, 4.0);
            EXPECT_EQ(v[17], 480.0);
            for (int corner = 0; corner < 6; ++corner) EXPECT_EQ(v[8 * corner + 4], 0.0);
        }
        EXPECT_EQ(scratches, count) << "endFade " << fade;
    }
}
