// The audio library called the way the show calls it: on the silent output this machine falls
// back to, and on the virtual clock.
#include <bass.h>
#include <platform/audiooutput.h>
#include <platform/musicclock.h>

#include "audio/mixer.h"
#include "mp3writer.h"
#include "workfolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

using audiotest::Tone;
using audiotest::WriteMp3;

namespace {

constexpr DWORD LoopFlag = BASS_SAMPLE_LOOP;
constexpr DWORD ShowStreamFlags = 0x20000;
constexpr int SilentDevice = 0;

std::atomic<int> endSyncs{0};
void CALLBACK CountEnd(HSYNC, DWORD, DWORD, DWORD) { ++endSyncs; }

void Sleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

class AudioLibrary : public testing::Test {
protected:
    void SetUp() override { endSyncs = 0; }
    void TearDown() override { BASS_Free(); }

    // frames of a stereo tone at 44,100 Hz as an MP3 file in the scratch folder.
    std::string Music(size_t frames, const char* name = "music.mp3") {
        std::string path = scratch.File(name);
        EXPECT_TRUE(WriteMp3(path, Tone(frames, 2, 44100, 440.0), 2, 44100));
        return path;
    }

    TemporaryFolder scratch;
};

TEST_F(AudioLibrary, InitialisesOnceAndFreesEverything) {
    EXPECT_EQ(BASS_Free(), 0) << "nothing to free yet";
    EXPECT_EQ(BASS_Start(), 0);
    EXPECT_EQ(BASS_StreamCreateFile(0, Music(4410).c_str(), 0, 0, ShowStreamFlags), 0u) << "not initialised";

    // The default output: a sound device, or the silent output on a machine without one.
    ASSERT_EQ(BASS_Init(-1, 44100, 0, nullptr), 1);
    EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr), 0) << "already initialised";
    EXPECT_EQ(BASS_Start(), 1);
    HSTREAM stream = BASS_StreamCreateFile(0, Music(4410).c_str(), 0, 0, ShowStreamFlags);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_Free(), 1);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), DWORD(-1)) << "freed with the library";
    EXPECT_EQ(BASS_StreamPlay(stream, 0, LoopFlag), 0);

    EXPECT_EQ(BASS_Init(-1, 0, 0, nullptr), 0);
    EXPECT_EQ(BASS_Init(-1, 1000000, 0, nullptr), 0);
    EXPECT_EQ(BASS_Init(42, 44100, 0, nullptr), 0) << "no such device";
    EXPECT_EQ(BASS_Init(SilentDevice, 44100, 0, nullptr), 1) << "usable again after a failure";
}

TEST_F(AudioLibrary, FilesThatAreNotMusicGiveNoStream) {
    ASSERT_EQ(BASS_Init(SilentDevice, 44100, 0, nullptr), 1);
    EXPECT_EQ(BASS_StreamCreateFile(0, scratch.File("missing.mp3").c_str(), 0, 0, ShowStreamFlags), 0u);
    std::ofstream(scratch.File("empty.mp3")).close();
    EXPECT_EQ(BASS_StreamCreateFile(0, scratch.File("empty.mp3").c_str(), 0, 0, ShowStreamFlags), 0u);
    std::ofstream(scratch.File("garbage.mp3")) << std::string(10000, '\x7f') << "garbage";
    EXPECT_EQ(BASS_StreamCreateFile(0, scratch.File("garbage.mp3").c_str(), 0, 0, ShowStreamFlags), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(0, nullptr, 0, 0, ShowStreamFlags), 0u);
    // Memory streams and file sections are not offered.
    EXPECT_EQ(BASS_StreamCreateFile(1, "abc", 0, 3, 0), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(0, Music(4410).c_str(), 100, 0, 0), 0u);

    EXPECT_EQ(BASS_ChannelGetPosition(0), DWORD(-1));
    EXPECT_EQ(BASS_StreamPlay(0, 0, LoopFlag), 0);
    EXPECT_EQ(BASS_ChannelSetSync(0, BASS_SYNC_END, 0, CountEnd, 0), 0u);
}

TEST_F(AudioLibrary, SilentOutputAdvancesInRealTime) {
    ASSERT_EQ(BASS_Init(SilentDevice, 44100, 0, nullptr), 1);
    const size_t frames = 44100 * 3;
    HSTREAM stream = BASS_StreamCreateFile(0, Music(frames).c_str(), 0, 0, ShowStreamFlags);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u) << "not started";
    const int64_t playTime = audio::MonotonicNanoseconds();
    ASSERT_EQ(BASS_StreamPlay(stream, 0, LoopFlag), 1);
    Sleep(100);

    const int64_t firstTime = audio::MonotonicNanoseconds();
    const DWORD first = BASS_ChannelGetPosition(stream);
    // A loaded machine may sleep much longer than asked: bound the start by the time measured.
    const double sincePlay = double(audio::MonotonicNanoseconds() - playTime) / 1e9;
    // Read continually: never backwards, always on a frame, never past the decoded audio.
    DWORD previous = first;
    int64_t now = firstTime;
    while (now - firstTime < 500'000'000) {
        const DWORD position = BASS_ChannelGetPosition(stream);
        now = audio::MonotonicNanoseconds();
        ASSERT_GE(position, previous);
        ASSERT_EQ(position % 4, 0u);
        ASSERT_LE(position, frames * 4);
        previous = position;
        Sleep(1);
    }
    const double seconds = double(now - firstTime) / 1e9;
    const double bytesPerSecond = double(previous - first) / seconds;
    EXPECT_NEAR(bytesPerSecond, 176400.0, 176400.0 * 0.1);
    EXPECT_GT(first, 0u);
    EXPECT_LE(first, DWORD(sincePlay * 176400.0) + 4096u) << "never ahead of the time played";
}

TEST_F(AudioLibrary, LoopingMusicStartsOverAndSignalsItsEnd) {
    ASSERT_EQ(BASS_Init(SilentDevice, 44100, 0, nullptr), 1);
    const DWORD length = 8820 * 4;  // a fifth of a second
    HSTREAM stream = BASS_StreamCreateFile(0, Music(length / 4).c_str(), 0, 0, ShowStreamFlags);
    ASSERT_NE(stream, 0u);
    EXPECT_NE(BASS_ChannelSetSync(stream, BASS_SYNC_END, 0, CountEnd, 0), 0u);
    EXPECT_EQ(BASS_Start(), 1);
    ASSERT_EQ(BASS_StreamPlay(stream, 0, LoopFlag), 1);

    DWORD previous = 0;
    int wraps = 0;
    for (int i = 0; i < 700; i += 2) {
        DWORD position = BASS_ChannelGetPosition(stream);
        ASSERT_LT(position, length);
        if (position < previous) ++wraps;
        previous = position;
        Sleep(2);
    }
    EXPECT_GE(wraps, 2);
    EXPECT_GE(endSyncs.load(), 2);
}

TEST_F(AudioLibrary, MusicWithoutLoopStopsAtItsEnd) {
    ASSERT_EQ(BASS_Init(SilentDevice, 44100, 0, nullptr), 1);
    const DWORD length = 4410 * 4;
    HSTREAM stream = BASS_StreamCreateFile(0, Music(length / 4).c_str(), 0, 0, ShowStreamFlags);
    BASS_ChannelSetSync(stream, BASS_SYNC_END, 0, CountEnd, 0);
    ASSERT_EQ(BASS_StreamPlay(stream, 0, 0), 1);
    Sleep(400);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), length) << "the exact decoded length";
    EXPECT_EQ(endSyncs.load(), 1);
}

TEST_F(AudioLibrary, APickedOutputIsTheOneOpenedAndItsFailureFailsInit) {
    EXPECT_FALSE(platform::SelectAudioOutput("no such output"));
    static const platform::AudioOutputRecord failing = {
        "failing", [] { return true; },
        [](long, std::string& error) {
            error = "the device is gone";
            return false;
        },
        [](DWORD) { return DWORD(0); }, [] {}};
    platform::UseAudioOutput(&failing);
    testing::internal::CaptureStderr();
    EXPECT_EQ(BASS_Init(SilentDevice, 44100, 0, nullptr), 0) << "the picked output, whatever the device";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "audio: the device is gone\n");
    platform::UseAudioOutput(nullptr);
    EXPECT_EQ(BASS_Init(SilentDevice, 44100, 0, nullptr), 1);
}

TEST_F(AudioLibrary, VirtualClockReportsTheHostsPositionOnceStarted) {
    platform::UseVirtualMusicClock();
    ASSERT_EQ(BASS_Init(-1, 44100, 0, nullptr), 1);
    HSTREAM stream = BASS_StreamCreateFile(0, Music(4410).c_str(), 0, 0, ShowStreamFlags);
    ASSERT_NE(stream, 0u);
    platform::SetVirtualMusicPosition(123456);
    EXPECT_FALSE(platform::MusicPlaying());
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u) << "not started yet";

    ASSERT_EQ(BASS_StreamPlay(stream, 0, LoopFlag), 1);
    EXPECT_TRUE(platform::MusicPlaying());
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 123456u);
    Sleep(50);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 123456u) << "the virtual clock does not run by itself";
    // Positions far past the decoded audio are the host's to choose.
    platform::SetVirtualMusicPosition(40'000'000);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 40'000'000u);

    // Freeing the library ends the virtual session; the next one plays on the default output.
    EXPECT_EQ(BASS_Free(), 1);
    EXPECT_FALSE(platform::MusicPlaying());
    ASSERT_EQ(BASS_Init(SilentDevice, 44100, 0, nullptr), 1);
    stream = BASS_StreamCreateFile(0, Music(44100).c_str(), 0, 0, ShowStreamFlags);
    BASS_StreamPlay(stream, 0, 0);
    // The silent output advances on its own thread; on a busy machine that can take a while.
    for (int waited = 0; waited < 5000 && BASS_ChannelGetPosition(stream) == 0; waited += 10) Sleep(10);
    EXPECT_NE(BASS_ChannelGetPosition(stream), 40'000'000u);
    EXPECT_GT(BASS_ChannelGetPosition(stream), 0u);
}

}  // namespace

TEST_F(AudioLibrary, ProgramEndingWhilePlayingSilentlyExitsCleanly) {
    const std::string music = Music(44100);
    EXPECT_EXIT(
        {
            BASS_Init(SilentDevice, 44100, 0, nullptr);
            BASS_StreamPlay(BASS_StreamCreateFile(0, music.c_str(), 0, 0, ShowStreamFlags), 0, LoopFlag);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
