// The audio library's entry points: one output at a time, streams decoded up front.
#include <bass.h>

#include "mixer.h"
#include "mp3decoder.h"

#include <platform/audiooutput.h>
#include <platform/backendtable.h>

#include <cstdio>
#include <string>
#include <utility>

namespace {

const platform::AudioOutputRecord* chosenOutput = nullptr;
const platform::AudioOutputRecord* activeOutput = nullptr;
long outputFrequency = 0;

// BASS's device number 0 is "no sound".
constexpr int NoSoundDevice = 0;

// Frequencies a sound device and the decoder's resampler can both be asked for.
constexpr DWORD LowestFrequency = 8000;
constexpr DWORD HighestFrequency = 192000;

bool OpenOutput(const platform::AudioOutputRecord& output, long frequency, std::string& error) {
    if (!output.open(frequency, error)) return false;
    activeOutput = &output;
    return true;
}

// The default device: the available outputs in table order, the first that opens.
bool OpenFirstAvailable(long frequency, std::string& error) {
    std::string firstError;
    for (const platform::AudioOutputRecord* const* output = platform::audioOutputTable; *output; ++output) {
        if (!(*output)->available()) continue;
        error.clear();
        if (OpenOutput(**output, frequency, error)) {
            static bool told = false;
            if (!firstError.empty() && !told) {
                fprintf(stderr, "audio: no sound device (%s); the music plays silently\n", firstError.c_str());
                told = true;
            }
            return true;
        }
        if (firstError.empty()) firstError = error;
    }
    return false;
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
    if (chosenOutput) {
        opened = OpenOutput(*chosenOutput, long(frequency), error);
    } else if (device == -1 || device == 1) {
        opened = OpenFirstAvailable(long(frequency), error);
    } else if (device == NoSoundDevice) {
        opened = OpenOutput(platform::silentOutput, long(frequency), error);
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
    return audio::PlayStream(stream, flush != 0, (flags & BASS_SAMPLE_LOOP) != 0) ? 1 : 0;
}

DWORD BASS_ChannelGetPosition(DWORD channel) {
    if (!activeOutput || !audio::StreamExists(channel)) return DWORD(-1);
    return activeOutput->position(channel);
}

BOOL BASS_Free() {
    if (!activeOutput) return 0;
    activeOutput->close();
    activeOutput = nullptr;
    outputFrequency = 0;
    audio::RemoveAllStreams();
    chosenOutput = nullptr;
    return 1;
}

bool platform::SelectAudioOutput(const char* name) {
    const AudioOutputRecord* output = FindRecord(audioOutputTable, name);
    if (output == nullptr) return false;
    chosenOutput = output;
    return true;
}

void platform::UseAudioOutput(const AudioOutputRecord* record) { chosenOutput = record; }
