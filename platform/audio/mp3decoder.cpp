#include "mp3decoder.h"

#include <mpg123.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace audio {

namespace {

struct HandleCloser {
    void operator()(mpg123_handle* handle) const {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Decoder = std::unique_ptr<mpg123_handle, HandleCloser>;

std::string DecoderError(mpg123_handle* handle, const char* what) {
    return std::string(what) + ": " + mpg123_strerror(handle);
}

}  // namespace

bool DecodeMp3File(const char* path, long frequency, std::vector<int16_t>& samples, std::string& error) {
    samples.clear();
    if (!path || !*path) {
        error = "no file name given";
        return false;
    }
    // mpg123 would happily open a directory or wait on a pipe; only regular files are music.
    struct stat info;
    if (stat(path, &info) != 0) {
        error = std::string("cannot open ") + path + ": " + strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = std::string(path) + " is not a regular file";
        return false;
    }
    if (info.st_size == 0) {
        error = std::string(path) + " is empty";
        return false;
    }

    int result = MPG123_OK;
    Decoder decoder(mpg123_new(nullptr, &result));
    if (!decoder) {
        error = std::string("cannot start the MP3 decoder: ") + mpg123_plain_strerror(result);
        return false;
    }
    mpg123_handle* handle = decoder.get();
    // Quiet: failures are reported through error. Resync stays on so a damaged frame in the
    // middle costs that frame, not the whole file; junk without a run of valid frames is refused.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_FORCE_STEREO, 0);
    mpg123_format_none(handle);
    if (mpg123_format(handle, frequency, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
        error = DecoderError(handle, "cannot decode to the output format");
        return false;
    }
    if (mpg123_open(handle, path) != MPG123_OK) {
        error = DecoderError(handle, (std::string("cannot open ") + path).c_str());
        return false;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) {
        error = std::string(path) + " is not an MP3 file (" + mpg123_strerror(handle) + ")";
        return false;
    }
    if (rate != frequency || channels != 2 || encoding != MPG123_ENC_SIGNED_16) {
        error = std::string(path) + ": the decoder cannot convert it to " + std::to_string(frequency) + " Hz stereo";
        return false;
    }

    // With the info tag the exact length is known up front; otherwise it is an estimate.
    off_t expectedFrames = mpg123_length(handle);
    if (expectedFrames > 0) samples.reserve(size_t(expectedFrames) * 2);

    unsigned char chunk[32768];
    for (;;) {
        size_t done = 0;
        result = mpg123_read(handle, chunk, sizeof chunk, &done);
        if (done) {
            const int16_t* decoded = reinterpret_cast<const int16_t*>(chunk);
            samples.insert(samples.end(), decoded, decoded + done / sizeof(int16_t));
        }
        if (result == MPG123_DONE) break;
        if (result == MPG123_NEW_FORMAT) continue;
        if (result != MPG123_OK) {
            error = std::string(path) + ": " + mpg123_strerror(handle);
            samples.clear();
            return false;
        }
    }
    // Keep whole stereo frames only.
    samples.resize(samples.size() & ~size_t(1));
    if (samples.empty()) {
        error = std::string(path) + " holds no audio";
        return false;
    }
    return true;
}

}  // namespace audio
