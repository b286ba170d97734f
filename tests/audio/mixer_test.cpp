// The mix and the heard position, driven with a made-up clock so every figure is exact.
#include "audio/mixer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int64_t Start = 5'000'000'000;  // an arbitrary monotonic time
constexpr int64_t Millisecond = 1'000'000;

// The time at which the output has played the given number of frames past Start.
int64_t AfterFrames(int64_t frames) { return Start + (frames * 1'000'000'000 + 44099) / 44100; }

// Frames numbered 0, 1, 2, ... in both channels, so any output frame tells where it came from.
std::vector<int16_t> Numbered(size_t frames, int16_t first = 0) {
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) samples[i * 2] = samples[i * 2 + 1] = int16_t(first + i);
    return samples;
}

std::vector<int16_t> MixFrames(size_t frames, size_t queuedBytes, int64_t now) {
    std::vector<int16_t> out(frames * 2);
    audio::Mix(reinterpret_cast<uint8_t*>(out.data()), frames * 4, queuedBytes, now);
    return out;
}

struct SyncCall {
    HSYNC sync;
    DWORD channel;
    DWORD user;
};
std::vector<SyncCall> syncCalls;
void CALLBACK RecordSync(HSYNC sync, DWORD channel, DWORD, DWORD user) { syncCalls.push_back({sync, channel, user}); }

class Mixer : public testing::Test {
protected:
    void SetUp() override {
        audio::RemoveAllStreams();
        audio::SetMixFrequency(44100);
        syncCalls.clear();
    }
    void TearDown() override { audio::RemoveAllStreams(); }
};

TEST_F(Mixer, PositionFollowsTheClockBetweenMixesAndStopsAtWhatWasHanded) {
    HSTREAM stream = audio::AddStream(Numbered(44100), false);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(audio::StreamPosition(stream, Start), 0u) << "not playing yet";
    ASSERT_TRUE(audio::PlayStream(stream, false, false));
    EXPECT_EQ(audio::StreamPosition(stream, Start), 0u) << "nothing handed yet";

    MixFrames(1024, 0, Start);
    EXPECT_EQ(audio::StreamPosition(stream, Start), 0u);
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(441)), 441u * 4);
    // Between whole frames the position stays on a frame boundary.
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(500) + Millisecond / 100), 500u * 4);
    // Never ahead of what the output was given, however late it is asked.
    EXPECT_EQ(audio::StreamPosition(stream, Start + 1000 * Millisecond), 1024u * 4);

    // The next buffer moves the limit on; the reading carries on from where it was.
    MixFrames(1024, 0, AfterFrames(1024));
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(1500)), 1500u * 4);
}

TEST_F(Mixer, AudioStillQueuedInTheOutputIsNotHeardYet) {
    HSTREAM stream = audio::AddStream(Numbered(44100), false);
    audio::PlayStream(stream, false, false);
    // The output still holds 2048 frames of earlier audio when it takes the first of ours.
    MixFrames(1024, 2048 * 4, Start);
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(2000)), 0u);
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(2048 + 100)), 100u * 4);
}

TEST_F(Mixer, PositionNeverGoesBackWhenTheOutputsEstimateDoes) {
    HSTREAM stream = audio::AddStream(Numbered(44100), false);
    audio::PlayStream(stream, false, false);
    MixFrames(2048, 0, Start);
    DWORD before = audio::StreamPosition(stream, AfterFrames(1000));
    ASSERT_EQ(before, 1000u * 4);
    // A later mix claims more is still queued than the clock suggested.
    MixFrames(1024, 2000 * 4, AfterFrames(1000));
    DWORD previous = before;
    for (int64_t frame = 1000; frame <= 4000; frame += 37) {
        DWORD now = audio::StreamPosition(stream, AfterFrames(frame));
        EXPECT_GE(now, previous) << "at frame " << frame;
        EXPECT_LE(now, 3072u * 4);
        previous = now;
    }
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(5000)), 3072u * 4);
}

TEST_F(Mixer, LoopingStreamRestartsAtTheStartAndSignalsEveryEnd) {
    HSTREAM stream = audio::AddStream(Numbered(1000), false);
    HSYNC sync = audio::AddEndSync(stream, RecordSync, 77);
    ASSERT_NE(sync, 0u);
    audio::PlayStream(stream, false, true);

    std::vector<int16_t> out = MixFrames(2500, 0, Start);
    for (size_t i = 0; i < 2500; ++i) ASSERT_EQ(out[i * 2], int16_t(i % 1000)) << "frame " << i;
    ASSERT_EQ(syncCalls.size(), 2u);
    EXPECT_EQ(syncCalls[0].sync, sync);
    EXPECT_EQ(syncCalls[0].channel, stream);
    EXPECT_EQ(syncCalls[0].user, 77u);

    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(999)), 999u * 4);
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(1000)), 0u) << "second pass begins";
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(1250)), 250u * 4);
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(2400)), 400u * 4);
}

TEST_F(Mixer, StreamWithoutLoopEndsInSilenceAndStaysAtItsEnd) {
    HSTREAM stream = audio::AddStream(Numbered(1000, 1), false);
    audio::AddEndSync(stream, RecordSync, 0);
    audio::PlayStream(stream, false, false);

    std::vector<int16_t> out = MixFrames(1500, 0, Start);
    EXPECT_EQ(out[999 * 2], 1000);
    EXPECT_EQ(out[1000 * 2], 0);
    EXPECT_EQ(out[1499 * 2 + 1], 0);
    EXPECT_EQ(syncCalls.size(), 1u);
    MixFrames(1500, 0, AfterFrames(1500));
    EXPECT_EQ(syncCalls.size(), 1u) << "an ended stream does not end again";
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(5000)), 1000u * 4);
}

TEST_F(Mixer, StreamsCreatedLoopingKeepLoopingAndFlushRestarts) {
    HSTREAM stream = audio::AddStream(Numbered(1000), true);
    audio::PlayStream(stream, false, false);
    std::vector<int16_t> out = MixFrames(1200, 0, Start);
    EXPECT_EQ(out[1100 * 2], 100);

    // Playing again without flush carries on; with flush it starts over.
    audio::PlayStream(stream, false, false);
    EXPECT_EQ(MixFrames(1, 0, AfterFrames(1200))[0], 200);
    audio::PlayStream(stream, true, false);
    EXPECT_EQ(audio::StreamPosition(stream, AfterFrames(1201)), 0u);
    EXPECT_EQ(MixFrames(1, 0, AfterFrames(1201))[0], 0);
}

TEST_F(Mixer, StreamsAddUpAndClipOnlyTheirSum) {
    HSTREAM first = audio::AddStream(std::vector<int16_t>(200, 30000), false);
    HSTREAM second = audio::AddStream(std::vector<int16_t>(200, 30000), false);
    HSTREAM third = audio::AddStream(std::vector<int16_t>(200, -30000), false);
    EXPECT_NE(first, second);
    audio::PlayStream(first, false, false);
    audio::PlayStream(second, false, false);
    EXPECT_EQ(MixFrames(10, 0, Start)[0], 32767);
    audio::PlayStream(third, false, false);
    // Clipping the first two before adding the third would give 2767.
    EXPECT_EQ(MixFrames(10, 0, Start)[1], 30000);
}

TEST_F(Mixer, UnknownHandlesAreRefused) {
    EXPECT_FALSE(audio::PlayStream(12345, false, false));
    EXPECT_EQ(audio::AddEndSync(12345, RecordSync, 0), 0u);
    EXPECT_EQ(audio::StreamPosition(12345, Start), 0u);
    HSTREAM stream = audio::AddStream(Numbered(10), false);
    EXPECT_TRUE(audio::StreamExists(stream));
    audio::RemoveAllStreams();
    EXPECT_FALSE(audio::StreamExists(stream));
    EXPECT_EQ(audio::AddStream(Numbered(10), false) == stream, false) << "handles are not reused";
    EXPECT_EQ(audio::AddStream({}, true), 0u) << "a looping stream without audio would never end a mix";
    EXPECT_EQ(audio::AddStream({1}, true), 0u);
}

}  // namespace
