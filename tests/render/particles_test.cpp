// The fixed-seed generator and the particle field it fills.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "globals.h"

namespace {

// The generator has one state for the whole process, so checks of its first results run in a
// freshly started copy of this program.
void RunInFreshProcess(void (*body)()) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            body();
            std::exit(::testing::Test::HasFailure() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

void SetRokiHeights(float startRange, float dropHeight) {
    rokiScene.bounds[28].maximum.y = startRange;
    rokiScene.bounds[55].maximum.y = dropHeight;
}

TEST(RandomTest, FirstResultsOfTheFixedSeed) {
    RunInFreshProcess([] {
        const int expected[4] = {41, 18467, 6334, 26500};
        for (int value : expected) {
            const int got = Random();
            if (got != value) {
                std::fprintf(stderr, "got %d, expected %d\n", got, value);
                std::exit(1);
            }
        }
    });
}

TEST(ParticleFieldTest, FirstEntryFromTheFirstFourDraws) {
    RunInFreshProcess([] {
        SetRokiHeights(300.0f, 42.0f);
        InitParticleField();
        const Particle& p = particleField[0];
        // size (41 mod 20) / 10 + 1, speed (18467 mod 7) / 10 + 0.3 negated by 6334 mod 100 = 34,
        // then height (26500 mod 3000) / 10.
        if (p.size != 1.1f || p.speed != -0.4f || p.height != 250.0f) {
            std::fprintf(stderr, "%g %g %g\n", p.size, p.speed, p.height);
            std::exit(1);
        }
    });
}

TEST(ParticleFieldTest, TinyStartRangeStartsEveryParticleAtTheFloor) {
    SetRokiHeights(0.05f, 9.0f);
    InitParticleField();
    for (const Particle& p : particleField) EXPECT_EQ(p.height, 0.0f);
    SetRokiHeights(-3.0f, 9.0f);
    InitParticleField();
    for (const Particle& p : particleField) EXPECT_EQ(p.height, 0.0f);
}

TEST(ParticleFieldTest, InitialHeightsStayInsideTheStartRange) {
    SetRokiHeights(12.34f, 50.0f);
    InitParticleField();
    for (const Particle& p : particleField) {
        EXPECT_GE(p.height, 0.0f);
        EXPECT_LE(p.height, 12.3f);
        // Heights are whole tenths.
        EXPECT_NEAR(p.height * 10.0f, std::round(p.height * 10.0f), 1e-3f);
    }
}

TEST(ParticleFieldTest, ResetGivesRisersTheFloorAndFallersTheDropHeight) {
    SetRokiHeights(10.0f, 77.5f);
    int rising = 0, falling = 0;
    for (int round = 0; round < 4; ++round)
        for (int i = 0; i < ParticleCount; ++i) {
            particleField[i].height = 5.0f;
            ResetParticle(i);
            const Particle& p = particleField[i];
            EXPECT_GE(p.size, 1.0f);
            EXPECT_LE(p.size, 2.9f + 1e-6f);
            EXPECT_GE(std::fabs(p.speed), 0.3f - 1e-6f);
            EXPECT_LE(std::fabs(p.speed), 0.9f + 1e-6f);
            if (p.speed > 0) {
                ++rising;
                EXPECT_EQ(p.height, 0.0f);
            } else {
                ++falling;
                EXPECT_EQ(p.height, 77.5f);
            }
        }
    // Both directions turn up: the sign comes from its own draw.
    EXPECT_GT(rising, 100);
    EXPECT_GT(falling, 100);
}

TEST(ParticleFieldTest, ResetOutsideTheFieldChangesNothing) {
    const Particle first = particleField[0];
    ResetParticle(-1);
    ResetParticle(ParticleCount);
    EXPECT_EQ(particleField[0].size, first.size);
    EXPECT_EQ(particleField[0].height, first.height);
}

}  // namespace
