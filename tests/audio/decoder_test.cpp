// Decoding MP3 files up front into 16-bit stereo at the output's rate.
#include "audio/mp3decoder.h"
#include "mp3writer.h"
#include "workfolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using audiotest::Tone;
using audiotest::WriteMp3;

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Root-mean-square level of one channel, to tell a decoded tone from silence.
double Level(const std::vector<int16_t>& samples, int channel) {
    double sum = 0;
    size_t frames = samples.size() / 2;
    for (size_t i = 0; i < frames; ++i) sum += double(samples[i * 2 + channel]) * samples[i * 2 + channel];
    return frames ? std::sqrt(sum / double(frames)) : 0.0;
}

}  // namespace

TEST(Mp3Decoder, StereoAt44100KeepsExactlyTheEncodedFrames) {
    TemporaryFolder scratch;
    const std::string path = scratch.File("tone.mp3");
    const size_t frames = 44100 / 2 + 123;  // not a whole number of MP3 frames
    ASSERT_TRUE(WriteMp3(path, Tone(frames, 2, 44100, 440.0), 2, 44100));

    std::vector<int16_t> samples;
    std::string error;
    ASSERT_TRUE(audio::DecodeMp3File(path.c_str(), 44100, samples, error)) << error;
    // Encoder delay and padding are trimmed, so the byte count is the source's.
    EXPECT_EQ(samples.size() * sizeof(int16_t), frames * 4);
    EXPECT_GT(Level(samples, 0), 3000.0);
    EXPECT_GT(Level(samples, 1), 3000.0);
}

TEST(Mp3Decoder, MonoIsDuplicatedAndOtherRatesAreResampled) {
    TemporaryFolder scratch;
    std::vector<int16_t> samples;
    std::string error;

    const std::string mono = scratch.File("mono.mp3");
    ASSERT_TRUE(WriteMp3(mono, Tone(22050, 1, 44100, 300.0), 1, 44100));
    ASSERT_TRUE(audio::DecodeMp3File(mono.c_str(), 44100, samples, error)) << error;
    EXPECT_EQ(samples.size(), 22050u * 2);
    bool same = true;
    for (size_t i = 0; i < samples.size(); i += 2) same = same && samples[i] == samples[i + 1];
    EXPECT_TRUE(same) << "both channels of a mono file carry the same signal";

    // Half a second at 22,050 Hz still lasts half a second at 44,100 Hz.
    const std::string low = scratch.File("low.mp3");
    ASSERT_TRUE(WriteMp3(low, Tone(11025, 2, 22050, 300.0), 2, 22050));
    ASSERT_TRUE(audio::DecodeMp3File(low.c_str(), 44100, samples, error)) << error;
    EXPECT_NEAR(double(samples.size() / 2), 22050.0, 44100 * 0.02);
    EXPECT_GT(Level(samples, 0), 3000.0);

    const std::string high = scratch.File("high.mp3");
    ASSERT_TRUE(WriteMp3(high, Tone(24000, 2, 48000, 300.0), 2, 48000));
    ASSERT_TRUE(audio::DecodeMp3File(high.c_str(), 44100, samples, error)) << error;
    EXPECT_NEAR(double(samples.size() / 2), 22050.0, 44100 * 0.02);
}

TEST(Mp3Decoder, RefusesWhatIsNotMusicWithAReason) {
    TemporaryFolder scratch;
    std::vector<int16_t> samples;
    std::string error;

    EXPECT_FALSE(audio::DecodeMp3File(scratch.File("missing.mp3").c_str(), 44100, samples, error));
    EXPECT_NE(error.find("missing.mp3"), std::string::npos) << error;

    WriteBytes(scratch.File("empty.mp3"), "");
    EXPECT_FALSE(audio::DecodeMp3File(scratch.File("empty.mp3").c_str(), 44100, samples, error));
    EXPECT_FALSE(error.empty());

    WriteBytes(scratch.File("text.mp3"), std::string(4000, 'x') + "this is not music at all\n");
    EXPECT_FALSE(audio::DecodeMp3File(scratch.File("text.mp3").c_str(), 44100, samples, error));

    // Bytes from a fixed generator: junk in which frame headers may appear by chance.
    std::string junk(64 * 1024, '\0');
    uint32_t state = 12345;
    for (char& byte : junk) {
        state = state * 1103515245u + 12345u;
        byte = char(state >> 24);
    }
    WriteBytes(scratch.File("junk.mp3"), junk);
    EXPECT_FALSE(audio::DecodeMp3File(scratch.File("junk.mp3").c_str(), 44100, samples, error));

    EXPECT_FALSE(audio::DecodeMp3File(scratch.File("").c_str(), 44100, samples, error)) << "a directory";
    EXPECT_FALSE(audio::DecodeMp3File(nullptr, 44100, samples, error));
    EXPECT_FALSE(audio::DecodeMp3File("", 44100, samples, error));
    EXPECT_TRUE(samples.empty());
}

TEST(Mp3Decoder, DamagedFilesKeepWhatDecodes) {
    TemporaryFolder scratch;
    const std::string path = scratch.File("whole.mp3");
    ASSERT_TRUE(WriteMp3(path, Tone(44100, 2, 44100, 440.0), 2, 44100));
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WriteBytes(scratch.File("cut.mp3"), bytes.substr(0, bytes.size() / 2));

    std::vector<int16_t> samples;
    std::string error;
    ASSERT_TRUE(audio::DecodeMp3File(scratch.File("cut.mp3").c_str(), 44100, samples, error)) << error;
    EXPECT_GT(samples.size() / 2, 44100u / 4);
    EXPECT_LT(samples.size() / 2, 44100u);

    // A run of overwritten bytes in the middle loses a frame or two, not the file.
    std::string damaged = bytes;
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 300; ++i) damaged[i] = char(0x5a);
    WriteBytes(scratch.File("damaged.mp3"), damaged);
    ASSERT_TRUE(audio::DecodeMp3File(scratch.File("damaged.mp3").c_str(), 44100, samples, error)) << error;
    EXPECT_NEAR(double(samples.size() / 2), 44100.0, 44100 * 0.1);
}
