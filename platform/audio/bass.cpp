// The audio library's entry points: one output at a time, streams decoded up front.
#include <bass.h>

#include "audio/mixer.h"
#include "audio/mp3decoder.h"
#include "audio/output.h"
#include "audio/virtualclock.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {

const audio::AudioOutput* activeOutput = nullptr;
long outputFrequency = 0;

// Frequencies a sound device and the decoder's resampler can both be asked for.
constexpr DWORD LowestFrequency = 8000;
constexpr DWORD HighestFrequency = 192000;

bool OpenOutput(const audio::AudioOutput& output, long frequency, std::string& error) {
    if (!output.open(frequency, error)) return false;
    activeOutput = &output;
    return true;
}

}  // namespace

BOOL BASS_Init(int device, DWORD frequency, DWORD flags, HWND window) {
    if (activeOutput) {
        fprintf(stderr, "audio: already initialised\n");
        return 0;
    }
    if (frequency < LowestFrequency || frequency > HighestFrequency) {
        fprintf(stderr, "audio: cannot play at %lu Hz\n", (unsigned long)frequency);
        return 0;
    }
    // Positions advance at the output's rate, so it must be known before any mix runs.
    audio::SetMixFrequency(long(frequency));
    std::string error;
    bool opened = false;
    if (audio::VirtualClockRequested()) {
        opened = OpenOutput(audio::virtualClockOutput, long(frequency), error);
    } else if (device == -1 || device == 1) {
        opened = OpenOutput(audio::sdlOutput, long(frequency), error);
        if (!opened) {
            static bool told = false;
            if (!told) {
                fprintf(stderr, "audio: no sound device (%s); the music plays silently\n", error.c_str());
                told = true;
            }
            error.clear();
            opened = OpenOutput(audio::silentOutput, long(frequency), error);
        }
    } else if (device == 0) {
        opened = OpenOutput(audio::silentOutput, long(frequency), error);
    } else {
        error = "no output device " + std::to_string(device);
    }
    if (!opened) {
        fprintf(stderr, "audio: %s\n", error.c_str());
        return 0;
    }
    outputFrequency = long(frequency);
    return 1;
}

HSTREAM BASS_StreamCreateFile(BOOL fromMemory, const void* file, DWORD offset, DWORD length, DWORD flags) {
    if (!activeOutput) {
        fprintf(stderr, "audio: a stream needs the library initialised first\n");
        return 0;
    }
    if (fromMemory || offset != 0 || length != 0) {
        fprintf(stderr, "audio: streams play whole files only\n");
        return 0;
    }
    std::vector<int16_t> samples;
    std::string error;
    if (!audio::DecodeMp3File(static_cast<const char*>(file), outputFrequency, samples, error)) {
        fprintf(stderr, "audio: %s\n", error.c_str());
        return 0;
    }
    return audio::AddStream(std::move(samples), (flags & BASS_SAMPLE_LOOP) != 0);
}

HSYNC BASS_ChannelSetSync(DWORD channel, DWORD type, DWORD parameter, SYNCPROC* procedure, DWORD user) {
    if (type != BASS_SYNC_END) return 0;
    return audio::AddEndSync(channel, procedure, user);
}

BOOL BASS_Start() { return activeOutput != nullptr; }

BOOL BASS_StreamPlay(HSTREAM stream, BOOL flush, DWORD flags) {
    if (!audio::PlayStream(stream, flush != 0, (flags & BASS_SAMPLE_LOOP) != 0)) return 0;
    audio::SetMusicPlaying(true);
    return 1;
}

DWORD BASS_ChannelGetPosition(DWORD channel) {
    if (!audio::StreamExists(channel)) return DWORD(-1);
    if (activeOutput == &audio::virtualClockOutput)
        return audio::StreamStarted(channel) ? audio::VirtualPosition() : 0;
    return audio::StreamPosition(channel, audio::MonotonicNanoseconds());
}

BOOL BASS_Free() {
    if (!activeOutput) return 0;
    activeOutput->close();
    activeOutput = nullptr;
    outputFrequency = 0;
    audio::RemoveAllStreams();
    audio::ResetVirtualClock();
    return 1;
}
