// The frame prelude and the timeline: clocks, windows and the frame's outline, with the music
// position scripted on the virtual clock.
#include <cmath>
#include <set>

#include "director.h"
#include "globals.h"
#include "showfixture.h"

namespace {

using Director = ShowTest;

// Past the end of the show no segment draws: the prelude's own work can be watched there alone.
constexpr DWORD AfterShow = 43000001;

std::set<int> SegmentsAt(DWORD p) {
    std::set<int> running;
    for (int segment = 0; segment < 8; ++segment)
        if (SegmentWindowHolds(segment, p)) running.insert(segment);
    return running;
}

}  // namespace

TEST(Timeline, MarksAscendAndEndAt43Million) {
    for (int i = 1; i < TimelineMarkCount; ++i) EXPECT_LT(timelineMarks[i - 1], timelineMarks[i]) << "mark " << i;
    EXPECT_EQ(timelineMarks[0], 3000000u);
    EXPECT_EQ(timelineMarks[14], 11750000u);
    EXPECT_EQ(timelineMarks[25], 31350000u);
    EXPECT_EQ(timelineMarks[32], 43000000u);
}

TEST(Timeline, WindowsAtEveryBoundary) {
    struct Case {
        DWORD position;
        std::set<int> running;
    };
    const Case cases[] = {
        {0, {0}},
        {3899999, {0}},           {3900000, {}},      {3900001, {1}},
        {5849999, {1}},           {5850000, {2}},     {5850001, {2}},
        {7799999, {2}},           {7800000, {3}},     {7800001, {3}},
        {11749999, {3}},          {11750000, {3}},    {11750001, {4}},
        {15679999, {4}},          {15680000, {4}},    {15680001, {5}},
        {19599999, {5}},          {19600000, {6}},    {19600001, {6}},
        {31349999, {6}},          {31350000, {7}},    {31350001, {7}},
        {42999999, {7}},          {43000000, {7}},    {43000001, {}},
        {0xFFFFFFFFu, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SegmentsAt(c.position), c.running) << "at position " << c.position;
    EXPECT_EQ(SegmentWindowHolds(8, 1000), 0);
    EXPECT_EQ(SegmentWindowHolds(-1, 1000), 0);
}

TEST(Timeline, MarksInsideSegmentsOpenNoWindow) {
    // Marks that only matter inside a segment never split the top-level windows.
    for (int mark : {0, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13, 15, 17, 18, 19, 20, 22, 23, 24, 26, 27, 28, 29, 30, 31})
        for (DWORD delta : {0u, 1u})
            EXPECT_EQ(SegmentsAt(timelineMarks[mark] - delta), SegmentsAt(timelineMarks[mark] + 1)) << "mark " << mark;
}

TEST_F(Director, FrameIsClearedDrawnAndFlipped) {
    FrameAt(3900000);  // no window holds: an empty black frame
    const std::vector<std::string> expected = {"Clear", "BeginScene", "EndScene", "Present"};
    ASSERT_EQ(recorder.Names(), expected);
    EXPECT_EQ(recorder.Lines()[0], "Clear rectCount=0 flags=3 colour=0 z=1 stencil=0");
}

TEST_F(Director, FirstFrameLeavesTheClockAtZero) {
    FrameAt(3900000);
    EXPECT_EQ(musicPosition, 3900000u);
    EXPECT_EQ(positionDelta, 3900000u);
    EXPECT_EQ(frameClock, 0.0f);
    EXPECT_FLOAT_EQ(frameDelta, static_cast<float>(3900000.0 / 1580.0 / 110.0));
}

TEST_F(Director, ClockLagsTheMusicByOneFrame) {
    previousMusicPosition = AfterShow;
    // 17,380 bytes are 11 units of 1,580: a frame delta of 0.1.
    FrameAt(AfterShow + 17380);
    EXPECT_FLOAT_EQ(frameDelta, 0.1f);
    EXPECT_EQ(frameClock, 0.0f);
    FrameAt(AfterShow + 34760);
    EXPECT_FLOAT_EQ(frameClock, 11.0f);
    EXPECT_FLOAT_EQ(frameDelta, 0.1f);
    FrameAt(AfterShow + 34760);  // the same position twice: nothing moves from here on
    EXPECT_FLOAT_EQ(frameClock, 22.0f);
    EXPECT_EQ(frameDelta, 0.0f);
    FrameAt(AfterShow + 34760);
    EXPECT_FLOAT_EQ(frameClock, 22.0f);
    FrameAt(AfterShow + 69520);
    EXPECT_FLOAT_EQ(frameClock, 22.0f);
    EXPECT_FLOAT_EQ(frameDelta, 0.2f);
    EXPECT_EQ(previousMusicPosition, AfterShow + 69520);
}

TEST_F(Director, PositionGoingBackwardsJumpsTheClocksForward) {
    FrameAt(AfterShow + 1000000);
    FrameAt(AfterShow);
    EXPECT_EQ(positionDelta, 0xFFFFFFFFu - 1000000u + 1u);
    EXPECT_FLOAT_EQ(frameDelta, static_cast<float>(4293967296.0 / 1580.0 / 110.0));
    FrameAt(AfterShow);
    EXPECT_GT(frameClock, 2.7e6f);
}

TEST_F(Director, ShowFinishesWithTheFrameAtTheLastMark) {
    Prime(42999999, 0.0f);
    FrameAt(42999999);
    EXPECT_EQ(showFinished, 0);
    FrameAt(43000000);
    EXPECT_EQ(showFinished, 1);
    EXPECT_EQ(recorder.Names().back(), "Present");  // the last frame is still shown

    showFinished = 0;
    FrameAt(AfterShow);
    EXPECT_EQ(showFinished, 1);
    const std::vector<std::string> empty = {"Clear", "BeginScene", "EndScene", "Present"};
    EXPECT_EQ(recorder.Names(), empty);
}

TEST_F(Director, Segment2TicksResetOutsideItsWindowOnly) {
    for (DWORD position : {3900000u, AfterShow}) {
        segment2Ticks = 123;
        FrameAt(position);
        EXPECT_EQ(segment2Ticks, 0u) << "at position " << position;
    }
    for (DWORD position : {5850000u, 7799999u}) {
        segment2Ticks = 123;
        FrameAt(position);
        EXPECT_GE(segment2Ticks, 123u) << "at position " << position;
    }
}

TEST(Vocabulary, TicksDropTheFractionEveryFrame) {
    DWORD ticks = 10;
    frameDelta = 0.0079f;
    AdvanceTicks(ticks, 125.0);  // 0.9875 ticks: nothing
    EXPECT_EQ(ticks, 10u);
    frameDelta = 0.008f;
    AdvanceTicks(ticks, 125.0);
    EXPECT_EQ(ticks, 11u);
    frameDelta = 1.0f / 211.0f;
    AdvanceTicks(ticks, 210.0);
    EXPECT_EQ(ticks, 11u);
    frameDelta = 0.05f;
    for (int i = 0; i < 4; ++i) AdvanceTicks(ticks, 50.0);  // 2.5 per frame, 2 kept
    EXPECT_EQ(ticks, 19u);
    frameDelta = 0.0f;
}

TEST(Vocabulary, TruncationAndRadians) {
    EXPECT_EQ(Trunc(2.99), 2);
    EXPECT_EQ(Trunc(-2.99), -2);
    EXPECT_EQ(Trunc(0.5), 0);
    // The show's pi is the single-precision value, widened, not the double nearest pi.
    EXPECT_EQ(Radians(180.0), static_cast<double>(3.1415927f));
    EXPECT_NE(Radians(180.0), M_PI);
    EXPECT_EQ(Radians(60.0), 60.0 * static_cast<double>(3.1415927f) / 180.0);
}

TEST_F(Director, KeyLightKeepsItsLevelDimmedLightsDoNot) {
    static LightSet lights;
    lights.deviceLightCount = 3;
    for (int i = 0; i < 3; ++i) lights.lights[i].dcvDiffuse = {0.2f * (i + 1), 0.3f, 0.4f, 0.5f};

    SetKeyLight(lights, 0.75f);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].call, "SetLight");
    EXPECT_EQ(ArgumentOf(recorder.calls[0], "index"), 0);
    // Alpha untouched.
    EXPECT_EQ(recorder.calls[0].Find("light.diffuse")->numbers, (std::vector<double>{0.75, 0.75, 0.75, 0.5}));
    EXPECT_EQ(lights.lights[0].dcvDiffuse.g, 0.75f);

    recorder.calls.clear();
    DimAllLights(lights, 1.5f);  // levels are not clamped
    ASSERT_EQ(recorder.calls.size(), 3u);
    for (DWORD i = 0; i < 3; ++i) {
        EXPECT_EQ(ArgumentOf(recorder.calls[i], "index"), i);
        EXPECT_EQ(ArgumentOf(recorder.calls[i], "light.diffuse", 1), 1.5);
    }
    EXPECT_EQ(lights.lights[0].dcvDiffuse.r, 0.75f);
    EXPECT_EQ(lights.lights[2].dcvDiffuse.r, 0.2f * 3);
    EXPECT_EQ(lights.lights[2].dcvDiffuse.b, 0.4f);

    recorder.calls.clear();
    lights.deviceLightCount = 0;
    DimAllLights(lights, 0.0f);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(Vocabulary, ObjectStatesTouchOnlyListedValuesOfEveryObject) {
    static Scene scene;
    scene.objectCount = 3;
    for (int i = 0; i < 4; ++i) scene.renderStates[i] = ObjectRenderState{7, 7, 1, 7, 7, 9, 3, 2};
    SetObjectStates(scene, 1, 0, Keep, D3DBLEND_ONE);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(scene.renderStates[i].zEnable, 1u);
        EXPECT_EQ(scene.renderStates[i].zWriteEnable, 0u);
        EXPECT_EQ(scene.renderStates[i].alphaBlendEnable, 7u);
        EXPECT_EQ(scene.renderStates[i].destBlend, static_cast<DWORD>(D3DBLEND_ONE));
        EXPECT_EQ(scene.renderStates[i].lighting, 1u);
        EXPECT_EQ(scene.renderStates[i].cullMode, 2u);
    }
    EXPECT_EQ(scene.renderStates[3].zEnable, 7u);  // past the object count
}

TEST(Vocabulary, LookAtAndReversedLook) {
    static LightSet lights;
    EYE = Vector(0, 0, -10);
    TARGET = Vector(0, 0, 0);
    LookAt(lights);
    Vector p = TransformPoint(Vector(0, 0, 0), lights.view);
    EXPECT_NEAR(p.z, 10.0f, 1e-5f);
    p = TransformPoint(Vector(1, 0, -10), lights.view);
    EXPECT_NEAR(p.x, 1.0f, 1e-5f);

    // Mirrored: the eye at (0, 0, 10) looking back through the origin towards -z.
    ReversedLook(lights);
    p = TransformPoint(Vector(0, 0, 10), lights.view);
    EXPECT_NEAR(p.z, 0.0f, 1e-5f);
    p = TransformPoint(Vector(0, 0, -5), lights.view);
    EXPECT_NEAR(p.z, 15.0f, 1e-5f);

    // A degenerate camera leaves the previous view in place.
    const Matrix before = lights.view;
    EYE = TARGET = Vector(1, 1, 1);
    LookAt(lights);
    EXPECT_EQ(memcmp(&before, &lights.view, sizeof before), 0);
}

TEST_F(Director, ZClearLeavesTheColour) {
    ZClear();
    EXPECT_EQ(recorder.Lines(), std::vector<std::string>{"Clear rectCount=0 flags=2 colour=0 z=1 stencil=0"});
}
