#include "mixer.h"

#include <platform/audiooutput.h>

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace audio {

namespace {

SDL_AudioDeviceID device = 0;

// While SDL probes for a device, ALSA writes its own diagnostics straight to stderr; on a
// machine without sound they are noise, and the caller reports the outcome in one line.
class QuietStderr {
public:
    QuietStderr() {
        fflush(stderr);
        saved = dup(STDERR_FILENO);
        int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
        if (nowhere >= 0) close(nowhere);
    }
    ~QuietStderr() {
        fflush(stderr);
        if (saved >= 0) {
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved;
};

void FillFromMix(void*, Uint8* stream, int length) {
    // SDL asks for the next buffer as soon as the device has taken the last one, so the device
    // then holds about two buffers of earlier audio (ALSA keeps two periods); SDL offers no
    // exact figure, and the error is a fraction of a frame of the show.
    Mix(stream, size_t(length), 2 * size_t(length), MonotonicNanoseconds());
}

bool OpenSdl(long frequency, std::string& error) {
    QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    // SDL's dummy and disk drivers run in whole buffers off the wall clock, not a device; the
    // silent output keeps better time.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || !strcmp(driver, "dummy") || !strcmp(driver, "disk")) {
        error = std::string("SDL audio driver '") + (driver ? driver : "none") + "' is not a sound device";
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = int(frequency);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = FillFromMix;
    SDL_AudioSpec obtained;
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void CloseSdl() {
    if (device == 0) return;
    SDL_CloseAudioDevice(device);
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Always worth trying: an output that cannot start says why.
bool Tried() { return true; }

}  // namespace

}  // namespace audio

const platform::AudioOutputRecord platform::sdlOutput = {"SDL", audio::Tried, audio::OpenSdl, audio::HeardPosition, audio::CloseSdl};
