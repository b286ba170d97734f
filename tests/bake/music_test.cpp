#include <gtest/gtest.h>

#include <cmath>
#include <mpg123.h>
#include <vector>

#include "baked.h"
#include "bake/music.h"

using namespace bake;

namespace {
struct Decoded {
    bool ok = false;
    long rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved
    size_t Frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};

const Decoded& Music() {
    static Decoded decoded = [] {
        Decoded d;
        mpg123_init();
        int error = 0;
        mpg123_handle* handle = mpg123_new(nullptr, &error);
        if (!handle) return d;
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        if (mpg123_open(handle, (BakedFolder() + "/music/clone.mp3").c_str()) != MPG123_OK) {
            mpg123_delete(handle);
            return d;
        }
        int encoding = 0;
        mpg123_getformat(handle, &d.rate, &d.channels, &encoding);
        mpg123_format_none(handle);
        mpg123_format(handle, d.rate, d.channels, MPG123_ENC_SIGNED_16);
        std::vector<unsigned char> buffer(65536);
        size_t done = 0;
        int result;
        while ((result = mpg123_read(handle, buffer.data(), buffer.size(), &done)) == MPG123_OK || result == MPG123_NEW_FORMAT || done > 0) {
            const int16_t* p = reinterpret_cast<const int16_t*>(buffer.data());
            d.samples.insert(d.samples.end(), p, p + done / 2);
            if (result == MPG123_DONE) break;
        }
        d.ok = result == MPG123_DONE;
        mpg123_close(handle);
        mpg123_delete(handle);
        return d;
    }();
    return decoded;
}

double Rms(const Decoded& d, double fromSeconds, double toSeconds) {
    size_t from = size_t(fromSeconds * 44100) * 2, to = std::min(d.samples.size(), size_t(toSeconds * 44100) * 2);
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(d.samples[i]) * d.samples[i];
    return to > from ? std::sqrt(sum / double(to - from)) / 32768.0 : 0.0;
}

double Seconds(int mark) { return TimelineMarks()[size_t(mark)] / 176400.0; }
}  // namespace

TEST(BakedMusic, DecodesToTheWholePieceAtCdRateInStereo) {
    const Decoded& d = Music();
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rate, 44100);
    EXPECT_EQ(d.channels, 2);
    EXPECT_GE(d.Frames(), size_t(250 * 44100));
    // The encoder's info tag lets the decoder drop its delay and padding: the decoded audio is
    // exactly the synthesised length, so every beat lands where the show expects it.
    EXPECT_EQ(d.Frames(), size_t(MusicFrames));
}

TEST(BakedMusic, TheTimelineMarksAreTheShowsTableAndTheShowEndsInsideThePiece) {
    const auto& marks = TimelineMarks();
    ASSERT_EQ(marks.size(), 33u);
    EXPECT_EQ(marks.front(), 3000000u);
    EXPECT_EQ(marks.back(), 43000000u);
    for (size_t i = 1; i < marks.size(); ++i) EXPECT_GT(marks[i], marks[i - 1]);
    EXPECT_LT(marks.back() / 4, uint32_t(MusicFrames));
}

TEST(BakedMusic, PlaysThroughTheShowAndFadesOutAfterTheLastMark) {
    const Decoded& d = Music();
    ASSERT_TRUE(d.ok);
    // Every segment of the show has music under it: no silent stretch of a second or more.
    for (double t = 1; t + 1 < Seconds(32); t += 1) EXPECT_GT(Rms(d, t, t + 1), 0.01) << "near " << t << " s";
    EXPECT_GT(Rms(d, Seconds(7), Seconds(14)), 0.08);
    EXPECT_LT(Rms(d, MusicSeconds - 0.5, MusicSeconds), 0.005);
    size_t clipped = 0;
    for (int16_t s : d.samples) clipped += s >= 32767 || s <= -32767;
    EXPECT_LT(clipped, d.samples.size() / 10000);
}

TEST(BakedMusic, KicksLandOnTheBeatGrid) {
    // In a driving section the low end peaks on the beat (81,250 bytes apart), not between beats.
    const Decoded& d = Music();
    ASSERT_TRUE(d.ok);
    double onBeat = 0, offBeat = 0;
    int64_t firstBeat = int64_t(std::ceil(Seconds(7) * 44100 / BeatFrames)) + 1;
    for (int64_t beat = firstBeat; beat < firstBeat + 16; ++beat)
        for (int half = 0; half < 2; ++half) {
            size_t start = size_t(std::llround((beat + 0.5 * half) * BeatFrames));
            double energy = 0;
            for (size_t i = start; i < start + 1500; ++i) {
                double mono = (double(d.samples[i * 2]) + d.samples[i * 2 + 1]) / 65536.0;
                energy += mono * mono;
            }
            (half ? offBeat : onBeat) += energy;
        }
    EXPECT_GT(onBeat, 2 * offBeat);
}

TEST(BakedMusic, SectionsChangeAtTheMarks) {
    // The breath at mark 2 drops the drums; they come back at mark 3.
    const Decoded& d = Music();
    ASSERT_TRUE(d.ok);
    double before = Rms(d, Seconds(2) - 1.0, Seconds(2)), inside = Rms(d, Seconds(2) + 0.1, Seconds(3) - 0.1);
    double after = Rms(d, Seconds(3), Seconds(3) + 1.0);
    EXPECT_LT(inside, before);
    EXPECT_LT(inside, after);
}
