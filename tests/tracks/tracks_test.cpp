#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "track.h"

namespace {

TrackKey Key(float frame, float x, float y = 0.0f, float z = 0.0f) {
    TrackKey key;
    SetKey(key, frame, x, y, z, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    return key;
}

// Samples a track into an array with guard elements after it, so writes past the end show.
struct Sampled {
    std::vector<Vector> samples;
    size_t written;
};

Sampled Sample(std::vector<TrackKey> keys, size_t room) {
    const Vector guard(-12345.0f, -12345.0f, -12345.0f);
    std::vector<Vector> samples(room + 8, guard);
    SampleTrack(keys.data(), static_cast<int>(keys.size()), samples.data());
    size_t written = 0;
    while (written < samples.size() && samples[written].x != guard.x) ++written;
    for (size_t i = written; i < samples.size(); ++i) EXPECT_EQ(samples[i].x, guard.x) << "stray write at " << i;
    return Sampled{samples, written};
}

TEST(TrackKeys, SetKeyStoresParametersAndClearsTangents) {
    TrackKey key;
    memset(static_cast<void*>(&key), 0x7F, sizeof key);
    SetKey(key, 12.0f, 1.0f, 2.0f, 3.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f);
    EXPECT_EQ(key.frame, 12.0f);
    EXPECT_EQ(key.value.y, 2.0f);
    EXPECT_EQ(key.inTangent.x, 0.0f);
    EXPECT_EQ(key.outTangent.z, 0.0f);
    EXPECT_EQ(key.tension, 0.1f);
    EXPECT_EQ(key.continuity, 0.2f);
    EXPECT_EQ(key.bias, 0.3f);
    EXPECT_EQ(key.easeTo, 0.4f);
    EXPECT_EQ(key.easeFrom, 0.5f);
}

TEST(TwoKeyTracks, LineFromOriginGivesOneSamplePerFrameBeforeTheLastKey) {
    const Sampled s = Sample({Key(0, 0), Key(100, 10)}, 100);
    EXPECT_EQ(s.written, 100u);
    EXPECT_EQ(s.samples[0].x, 0.0f);
    EXPECT_NEAR(s.samples[50].x, 5.0f, 1e-4);
    EXPECT_NEAR(s.samples[99].x, 9.9f, 1e-4);
    EXPECT_EQ(s.samples[99].y, 0.0f);
}

TEST(TwoKeyTracks, StepIsTheSecondValueOverItsFrameNotTheDifference) {
    const Sampled s = Sample({Key(0, 1, 2, 3), Key(100, 10, 0, 0)}, 100);
    EXPECT_EQ(s.written, 100u);
    EXPECT_EQ(s.samples[0].x, 1.0f);
    EXPECT_NEAR(s.samples[99].x, 10.9f, 1e-4);
    // A zero second value holds the first value.
    EXPECT_EQ(s.samples[99].y, 2.0f);
    EXPECT_EQ(s.samples[99].z, 3.0f);
}

TEST(TwoKeyTracks, SingleKeyIsHeldAsOneSample) {
    const Sampled s = Sample({Key(0, 4, 5, 6)}, 1);
    ASSERT_EQ(s.written, 1u);
    EXPECT_EQ(s.samples[0].z, 6.0f);
}

TEST(SplineTracks, CollinearEvenKeysGiveALine) {
    std::vector<TrackKey> keys = {Key(0, 0), Key(10, 10), Key(20, 20)};
    const Sampled s = Sample(keys, 20);
    ASSERT_EQ(s.written, 20u);
    for (int i = 0; i < 20; ++i) EXPECT_NEAR(s.samples[i].x, static_cast<float>(i), 1e-4) << "frame " << i;

    SampleTrack(keys.data(), 3, std::vector<Vector>(20).data());
    EXPECT_FLOAT_EQ(keys[0].outTangent.x, 10.0f);
    EXPECT_FLOAT_EQ(keys[1].inTangent.x, 10.0f);
    EXPECT_FLOAT_EQ(keys[1].outTangent.x, 10.0f);
    EXPECT_FLOAT_EQ(keys[2].inTangent.x, 10.0f);
}

TEST(SplineTracks, PassesThroughEveryKeyButTheLast) {
    const Sampled s = Sample({Key(0, 3, -1, 2), Key(7, -4, 5, 0), Key(19, 8, 8, -6), Key(30, 1, 0, 9)}, 30);
    ASSERT_EQ(s.written, 30u);
    EXPECT_FLOAT_EQ(s.samples[0].x, 3.0f);
    EXPECT_FLOAT_EQ(s.samples[7].y, 5.0f);
    EXPECT_FLOAT_EQ(s.samples[19].z, -6.0f);
}

TEST(SplineTracks, UnevenSpacingScalesInteriorTangents) {
    TrackKey previous = Key(0, 0), current = Key(10, 10), next = Key(40, 20);
    ComputeKeyTangents(previous, current, next);
    // tIn = 10 / 20 = 0.5 and tOut = 30 / 20 = 1.5 applied to the average of 10 and 10.
    EXPECT_FLOAT_EQ(current.inTangent.x, 5.0f);
    EXPECT_FLOAT_EQ(current.outTangent.x, 15.0f);
    EXPECT_EQ(previous.outTangent.x, 0.0f);
    EXPECT_EQ(next.inTangent.x, 0.0f);
}

TEST(SplineTracks, FullContinuityIgnoresSpacingAndSplitsTheSides) {
    TrackKey previous = Key(0, 0), next = Key(40, 30);
    TrackKey current;
    SetKey(current, 10.0f, 4.0f, 0.0f, 0.0f, 0.5f, 1.0f, 0.25f, 0.0f, 0.0f);
    ComputeKeyTangents(previous, current, next);
    const float d1 = 4.0f, d2 = 26.0f;
    EXPECT_FLOAT_EQ(current.inTangent.x, (1 - 0.5f) * (1 - 0.25f) * d2);
    EXPECT_FLOAT_EQ(current.outTangent.x, (1 - 0.5f) * (1 + 0.25f) * d1);
}

TEST(SplineTracks, EndTangentsFollowTensionAndSpacing) {
    TrackKey k0 = Key(0, 0), k1 = Key(10, 20), k2 = Key(40, 20);
    k0.tension = 0.5f;
    ComputeFirstKeyTangent(k0, k1, k2);
    // D = 20, d = 20, F = 40, f = 10: 20 * (0.25 - 0.125) + 1.5 * 10 + 10 = 27.5, halved by tension.
    EXPECT_FLOAT_EQ(k0.outTangent.x, 13.75f);

    TrackKey ka = Key(0, 0), kb = Key(30, 0), kc = Key(40, 20);
    ComputeLastKeyTangent(ka, kb, kc);
    // D = 20, d = 20, F = 40, f = 10, no tension.
    EXPECT_FLOAT_EQ(kc.inTangent.x, 27.5f);
    EXPECT_EQ(kc.outTangent.x, 0.0f);
}

TEST(SplineTracks, EaseUsesTheSegmentsOwnKeys) {
    // Collinear keys make the spline x = 10u inside the first segment, so samples show the ease.
    std::vector<TrackKey> keys = {Key(0, 0), Key(10, 10), Key(20, 20)};
    keys[0].easeFrom = 0.5f;
    keys[1].easeTo = 0.5f;
    Sampled s = Sample(keys, 20);
    EXPECT_NEAR(s.samples[2].x, 10.0f * Ease(0.2f, 0.5f, 0.5f), 1e-4);
    EXPECT_NEAR(s.samples[2].x, 0.8f, 1e-4);
    EXPECT_NEAR(s.samples[12].x, 12.0f, 1e-4);  // the second segment is not eased

    // The other two parameters belong to neighbouring segments that do not exist here.
    keys = {Key(0, 0), Key(10, 10), Key(20, 20)};
    keys[0].easeTo = 0.5f;
    keys[1].easeFrom = 0.5f;
    s = Sample(keys, 20);
    EXPECT_NEAR(s.samples[2].x, 2.0f, 1e-4);
    EXPECT_NEAR(s.samples[12].x, 10.0f + 10.0f * Ease(0.2f, 0.5f, 0.0f), 1e-4);
}

TEST(Ease, KnownValues) {
    EXPECT_EQ(Ease(0.3f, 0.0f, 0.0f), 0.3f);
    EXPECT_FLOAT_EQ(Ease(0.25f, 0.5f, 0.5f), 0.125f);
    EXPECT_FLOAT_EQ(Ease(0.25f, 1.0f, 1.0f), 0.125f);  // a sum past 1 is normalised
    EXPECT_FLOAT_EQ(Ease(0.5f, 0.5f, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(Ease(0.75f, 0.5f, 0.5f), 0.875f);
    EXPECT_EQ(Ease(0.0f, 0.3f, 0.2f), 0.0f);
}

TEST(Ease, ContinuousAndRisingForLopsidedParameters) {
    const float parameters[][2] = {{0.2f, 0.0f}, {0.0f, 0.3f}, {0.1f, 0.6f}, {0.9f, 0.7f}};
    for (const auto& p : parameters) {
        float last = Ease(0.0f, p[0], p[1]);
        for (int i = 1; i < 1000; ++i) {
            const float value = Ease(i / 1000.0f, p[0], p[1]);
            EXPECT_GE(value, last) << p[0] << " " << p[1] << " at " << i;
            EXPECT_LT(value - last, 0.01f) << p[0] << " " << p[1] << " at " << i;
            last = value;
        }
        EXPECT_NEAR(last, 1.0f, 0.01f);
    }
}

TEST(SampleLookUp, HoldsTheLastSampleAtAndPastTheEnd) {
    const Vector samples[3] = {Vector(1, 0, 0), Vector(2, 0, 0), Vector(3, 0, 0)};
    EXPECT_EQ(SampleAt(samples, 3, 0).x, 1.0f);
    EXPECT_EQ(SampleAt(samples, 3, 2).x, 3.0f);
    EXPECT_EQ(SampleAt(samples, 3, 3).x, 3.0f);
    EXPECT_EQ(SampleAt(samples, 3, 0xFFFFFFFFu).x, 3.0f);
    EXPECT_EQ(SampleAt(samples, 1, 5).x, 1.0f);
}

}  // namespace
