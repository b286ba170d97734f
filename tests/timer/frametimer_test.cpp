// The stopwatch in both of its modes, on a clock the test moves by hand. This program supplies its
// own performance counter and millisecond timer in place of the platform's.
#include <gtest/gtest.h>

#include "frametimer.h"

namespace {

LONGLONG fakeFrequency;  // 0: no performance counter
bool fakeCounterClaimsZero;  // the counter call succeeds but reports no ticks per second
LONGLONG fakeTicks;
DWORD fakeMilliseconds;

}  // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = fakeFrequency;
    return fakeFrequency != 0 || fakeCounterClaimsZero;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* counter) {
    counter->QuadPart = fakeTicks;
    return TRUE;
}

DWORD timeGetTime() { return fakeMilliseconds; }

namespace {

class CounterTimer : public ::testing::Test {
protected:
    void SetUp() override {
        frameTimerState = FrameTimerState{};
        fakeFrequency = 1000;
        fakeTicks = 5000;
        FrameTimer(TimerReset);
    }
};

class MillisecondTimer : public ::testing::Test {
protected:
    void SetUp() override {
        frameTimerState = FrameTimerState{};
        fakeFrequency = 0;
        fakeMilliseconds = 5000;
        FrameTimer(TimerReset);
    }
};

}  // namespace

TEST_F(CounterTimer, MeasuresSinceResetAndBetweenDeltas) {
    EXPECT_EQ(frameTimerState.counterAvailable, 1);
    fakeTicks = 5250;
    EXPECT_FLOAT_EQ(FrameTimer(TimerSinceReset), 0.25f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerDelta), 0.25f);
    fakeTicks = 5500;
    EXPECT_FLOAT_EQ(FrameTimer(TimerDelta), 0.25f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerSinceReset), 0.5f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerAbsolute), 5.5f);
}

TEST_F(CounterTimer, PauseFreezesAllButAbsoluteTime) {
    fakeTicks = 6000;
    EXPECT_EQ(FrameTimer(TimerPause), 0.0f);
    fakeTicks = 9000;
    EXPECT_FLOAT_EQ(FrameTimer(TimerSinceReset), 1.0f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerDelta), 0.0f);  // pause moved the last delta time too
    EXPECT_FLOAT_EQ(FrameTimer(TimerAbsolute), 9.0f);

    // Resuming removes the paused stretch from the time since reset.
    FrameTimer(TimerResume);
    fakeTicks = 9500;
    EXPECT_FLOAT_EQ(FrameTimer(TimerSinceReset), 1.5f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerDelta), 0.5f);
}

TEST_F(CounterTimer, StepMovesTheFrozenTimeByATenth) {
    fakeTicks = 6000;
    FrameTimer(TimerPause);
    FrameTimer(TimerStep);
    FrameTimer(TimerStep);
    EXPECT_FLOAT_EQ(FrameTimer(TimerSinceReset), 1.2f);
}

TEST_F(CounterTimer, StepWhileRunningFreezesNearTheClockZero) {
    fakeTicks = 8000;
    FrameTimer(TimerStep);
    fakeTicks = 9000;
    EXPECT_FLOAT_EQ(FrameTimer(TimerSinceReset), (100.0f - 5000.0f) / 1000.0f);
}

TEST_F(CounterTimer, UnknownCommandChangesNothing) {
    fakeTicks = 5400;
    EXPECT_EQ(FrameTimer(7), -1.0f);
    EXPECT_EQ(FrameTimer(-1), -1.0f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerDelta), 0.4f);
    EXPECT_FLOAT_EQ(FrameTimer(TimerSinceReset), 0.4f);
}

TEST_F(MillisecondTimer, MeasuresInSecondsOfTheMillisecondClock) {
    EXPECT_EQ(frameTimerState.counterAvailable, 0);
    fakeMilliseconds = 5250;
    EXPECT_NEAR(FrameTimer(TimerSinceReset), 0.25f, 1e-6f);
    EXPECT_NEAR(FrameTimer(TimerDelta), 0.25f, 1e-6f);
    EXPECT_NEAR(FrameTimer(TimerAbsolute), 5.25f, 1e-6f);
}

TEST_F(MillisecondTimer, PauseKeepsTheLastDeltaTime) {
    fakeMilliseconds = 5100;
    FrameTimer(TimerDelta);
    fakeMilliseconds = 5400;
    FrameTimer(TimerPause);
    fakeMilliseconds = 7000;
    // The first delta after the pause reaches back to the previous delta query.
    EXPECT_NEAR(FrameTimer(TimerDelta), 0.3f, 1e-6f);
    EXPECT_NEAR(FrameTimer(TimerSinceReset), 0.4f, 1e-6f);
    FrameTimer(TimerStep);
    EXPECT_NEAR(FrameTimer(TimerSinceReset), 0.5f, 1e-6f);
    FrameTimer(TimerResume);
    fakeMilliseconds = 7200;
    EXPECT_NEAR(FrameTimer(TimerSinceReset), 0.5f + 0.2f, 1e-5f);
}

TEST_F(MillisecondTimer, UsesTheUnsignedMillisecondCount) {
    fakeMilliseconds = 0xFFFFFFF0u;
    EXPECT_NEAR(FrameTimer(TimerAbsolute), 4294967.28f, 1.0f);
}

TEST(FrameTimerStart, ACounterWithoutTicksFallsBackToMilliseconds) {
    frameTimerState = FrameTimerState{};
    fakeFrequency = 0;
    fakeCounterClaimsZero = true;
    fakeMilliseconds = 1000;
    FrameTimer(TimerReset);
    fakeCounterClaimsZero = false;
    EXPECT_EQ(frameTimerState.counterAvailable, 0);
    fakeMilliseconds = 1500;
    EXPECT_NEAR(FrameTimer(TimerSinceReset), 0.5f, 1e-6f);  // a finite time, not a division by zero
}
