#include "showmusic.h"

#include <bass.h>
#include <lame/lame.h>
#include <platform/musicclock.h>

#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "music.h"
#include "workfolder.h"

std::string WriteSilentShowMusic(const std::string& folder) {
    mkdir(folder.c_str(), 0755);
    const std::string musicFolder = folder + "/music";
    mkdir(musicFolder.c_str(), 0755);
    const std::string path = musicFolder + "/clone.mp3";

    lame_t encoder = lame_init();
    if (encoder == nullptr) return "";
    lame_set_in_samplerate(encoder, 44100);
    lame_set_num_channels(encoder, 2);
    lame_set_brate(encoder, 64);
    if (lame_init_params(encoder) < 0) {
        lame_close(encoder);
        return "";
    }
    std::vector<short> silence(44100 / 5 * 2, 0);  // a fifth of a second, stereo
    std::vector<unsigned char> bytes(silence.size() * 2 + 7200);
    int size = lame_encode_buffer_interleaved(encoder, silence.data(), static_cast<int>(silence.size() / 2),
                                              bytes.data(), static_cast<int>(bytes.size()));
    if (size >= 0) {
        const int tail = lame_encode_flush(encoder, bytes.data() + size, static_cast<int>(bytes.size()) - size);
        size = tail >= 0 ? size + tail : -1;
    }
    lame_close(encoder);
    if (size <= 0) return "";

    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) return "";
    const bool written = fwrite(bytes.data(), 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
    return fclose(file) == 0 && written ? path : "";
}

bool StartSilentShowMusic() {
    const ScopedWorkFolder folder;
    const std::string mp3Path = WriteSilentShowMusic(folder.path);
    if (mp3Path.empty()) return false;
    platform::UseVirtualMusicClock();
    if (!BASS_Init(-1, 44100, 0, nullptr)) return false;
    MusicStream = BASS_StreamCreateFile(FALSE, mp3Path.c_str(), 0, 0, 0x20000);
    if (MusicStream == 0) return false;
    return BASS_StreamPlay(MusicStream, FALSE, BASS_SAMPLE_LOOP) != 0;
}
