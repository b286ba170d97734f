#include "mp3writer.h"

#include <lame/lame.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace audiotest {

std::vector<int16_t> Tone(size_t frames, int channels, int frequency, double hertz) {
    std::vector<int16_t> samples(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * channels + c] = int16_t(8000.0 * std::sin(2.0 * M_PI * hertz * double(i) / frequency + c));
    return samples;
}

bool WriteMp3(const std::string& path, const std::vector<int16_t>& samples, int channels, int frequency) {
    lame_global_flags* lame = lame_init();
    if (!lame) return false;
    lame_set_num_channels(lame, channels);
    lame_set_in_samplerate(lame, frequency);
    lame_set_out_samplerate(lame, frequency);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 7);
    lame_set_bWriteVbrTag(lame, 1);
    bool ok = lame_init_params(lame) >= 0;
    FILE* file = ok ? fopen(path.c_str(), "w+b") : nullptr;
    ok = file != nullptr;
    if (ok) {
        const int frames = int(samples.size() / size_t(channels));
        std::vector<unsigned char> encoded(size_t(1.25 * frames + 7200));
        int bytes = channels == 1
                        ? lame_encode_buffer(lame, samples.data(), samples.data(), frames, encoded.data(), int(encoded.size()))
                        : lame_encode_buffer_interleaved(lame, const_cast<short*>(samples.data()), frames, encoded.data(),
                                                         int(encoded.size()));
        ok = bytes >= 0 && fwrite(encoded.data(), 1, size_t(bytes), file) == size_t(bytes);
        bytes = ok ? lame_encode_flush(lame, encoded.data(), int(encoded.size())) : -1;
        ok = bytes >= 0 && fwrite(encoded.data(), 1, size_t(bytes), file) == size_t(bytes);
        // The info tag goes into the first frame, which the encoder left empty for it.
        if (ok) lame_mp3_tags_fid(lame, file);
        ok = fclose(file) == 0 && ok;
    }
    lame_close(lame);
    return ok;
}

}  // namespace audiotest
